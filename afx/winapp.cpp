#include "afx/winapp.h"

#include <cctype>
#include <cstdlib>
#include <exception>

#include "afx/wnd.h"
#include "daynote/utf16.h"

namespace {
// The application object that WinMain runs, as MFC has one.
CWinApp* theOneApp = nullptr;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

std::string ProgramName(HINSTANCE instance) {
  std::wstring path(MAX_PATH, L'\0');
  DWORD length = 0;
  while ((length = ::GetModuleFileNameW(instance, path.data(), static_cast<DWORD>(path.size()))) ==
         path.size()) {
    path.resize(path.size() * 2);
  }
  path.resize(length);
  path.erase(0, path.find_last_of(L"\\/") + 1);
  const std::size_t dot = path.rfind(L'.');
  if (dot != std::wstring::npos) path.erase(dot);
  return utf16::ToUtf8(path);
}

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::size_t CharactersFrom(const std::string& text, std::size_t from) {
  std::size_t count = 0;
  for (std::size_t i = from; i < text.size(); ++i) count += !IsContinuationByte(text[i]);
  return count;
}
}  // namespace

CWinApp::CWinApp(const char* appName) {
  theOneApp = this;
  if (appName) m_appName = appName;
}

CWinApp::~CWinApp() { theOneApp = nullptr; }

CWinApp* AfxGetApp() { return theOneApp; }

// The runtime splits the wide command line before WinMain of a program
// built for wWinMain (-municode); no pattern is expanded (_dowildcard is 0).
std::vector<std::string> AfxCommandLineArguments() {
  std::vector<std::string> arguments;
  for (int i = 1; __wargv && i < __argc; ++i) arguments.push_back(utf16::ToUtf8(__wargv[i]));
  return arguments;
}
HINSTANCE AfxGetInstanceHandle() { return theOneApp->m_hInstance; }
CWnd* AfxGetMainWnd() { return theOneApp ? theOneApp->m_pMainWnd : nullptr; }

std::string AfxLoadString(UINT id) {
  const wchar_t* text = nullptr;  // read-only, in the program's image
  const int length =
      ::LoadStringW(AfxGetInstanceHandle(), id, reinterpret_cast<wchar_t*>(&text), 0);
  return length > 0 ? utf16::ToUtf8(std::wstring(text, length)) : std::string();
}

std::string AfxBreakLongRuns(const std::string& text, std::size_t width) {
  std::string lines;
  std::size_t run = 0;                              // characters since the last break
  std::size_t after_separator = std::string::npos;  // a better place to break the run
  for (std::size_t i = 0; i < text.size();) {
    std::size_t end = i + 1;
    while (end < text.size() && IsContinuationByte(text[end])) ++end;
    const char c = text[i];
    if (c == ' ' || c == '\n' || c == '\t') {
      lines.append(text, i, end - i);
      run = 0;
      after_separator = std::string::npos;
      i = end;
      continue;
    }
    if (run == width) {
      if (after_separator != std::string::npos) {
        lines.insert(after_separator, 1, '\n');
        run = CharactersFrom(lines, after_separator + 1);
      } else {
        lines += '\n';
        run = 0;
      }
      after_separator = std::string::npos;
    }
    lines.append(text, i, end - i);
    ++run;
    if (c == '\\' || c == '/') after_separator = lines.size();
    i = end;
  }
  return lines;
}

std::string AfxFitLines(const std::string& text, std::size_t lines) {
  std::vector<std::size_t> starts{0};  // of each line
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
    starts.push_back(at + 1);
  }
  if (starts.size() <= lines) return text;
  const std::size_t head = lines / 2, tail = lines - head - 1;
  return text.substr(0, starts[head]) + "\xE2\x80\xA6\n" +
         text.substr(starts[starts.size() - tail]);
}

void AfxUseVisualStyles() {
  static bool used = false;
  if (used || !theOneApp || theOneApp->m_stylesManifest == 0) return;
  used = true;
  ACTCTXW request{};
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.hModule = ::GetModuleHandleW(nullptr);
  request.lpResourceName = MAKEINTRESOURCEW(theOneApp->m_stylesManifest);
  const HANDLE context = ::CreateActCtxW(&request);
  ULONG_PTR cookie = 0;  // never deactivated: the run ends with it
  if (context != INVALID_HANDLE_VALUE) ::ActivateActCtx(context, &cookie);  // else the classic look
}

int AfxMessageBox(const std::string& text, UINT type) {
  AfxUseVisualStyles();
  CWnd* main = AfxGetMainWnd();
  const std::string title = theOneApp ? theOneApp->m_appName : std::string();
  return ::MessageBoxW(
      main ? main->m_hWnd : nullptr,
      utf16::FromUtf8(AfxFitLines(AfxBreakLongRuns(text, kMessageLineWidth), kMessageLines))
          .c_str(),
      utf16::FromUtf8(title).c_str(), type);
}

void CWinApp::ReportException(const std::string& message) {
  std::string text = message.empty() ? "An unexpected error occurred." : message;
  // The C locale's, which changes only a to z: a UTF-8 byte stays as it is.
  text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  if (text.back() != '.') text += '.';
  AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}

int CWinApp::Run() {
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return ExitInstance();
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  CWinApp* app = AfxGetApp();
  app->m_hInstance = instance;
  if (app->m_appName.empty()) app->m_appName = ProgramName(instance);
  try {
    return app->InitInstance() ? app->Run() : app->ExitInstance();
  } catch (const std::exception& error) {
    app->ReportException(error.what());
  } catch (...) {
    app->ReportException("An unexpected error occurred.");
  }
  return 1;
}
