#include "afx/winapp.h"

#include <cctype>
#include <exception>

#include "afx/wnd.h"

namespace {
CWinApp* theOneApp = nullptr;

std::string ProgramName(HINSTANCE instance) {
  char path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameA(instance, path, MAX_PATH);
  std::string name(path, length);
  name.erase(0, name.find_last_of("\\/") + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}
}  // namespace

CWinApp::CWinApp(const char* appName) {
  theOneApp = this;
  if (appName) m_appName = appName;
}

CWinApp::~CWinApp() { theOneApp = nullptr; }

CWinApp* AfxGetApp() { return theOneApp; }
HINSTANCE AfxGetInstanceHandle() { return theOneApp->m_hInstance; }
CWnd* AfxGetMainWnd() { return theOneApp ? theOneApp->m_pMainWnd : nullptr; }

std::string AfxLoadString(UINT id) {
  char text[256];  // the program's strings are short menu and window texts
  const int length = ::LoadStringA(AfxGetInstanceHandle(), id, text, sizeof text);
  return std::string(text, length > 0 ? length : 0);
}

void CWinApp::ReportException(const std::string& message) {
  std::string text = message.empty() ? "An unexpected error occurred." : message;
  text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  if (text.back() != '.') text += '.';
  ::MessageBoxA(m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr, text.c_str(), m_appName.c_str(),
                MB_OK | MB_ICONEXCLAMATION);
}

int CWinApp::Run() {
  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  CWinApp* app = AfxGetApp();
  app->m_hInstance = instance;
  if (app->m_appName.empty()) app->m_appName = ProgramName(instance);
  try {
    return app->InitInstance() ? app->Run() : 0;
  } catch (const std::exception& error) {
    app->ReportException(error.what());
  } catch (...) {
    app->ReportException("An unexpected error occurred.");
  }
  return 1;
}
