/* The same job as Quorvin.exe in plain C, as lean as Win32 allows: a hidden
   dialog (the main window's: its font and OK button, from a template in
   memory) whose initialisation names today's note, looks for it, creates it
   if it is missing, asks the shell to open it and closes the dialog before
   it is shown. The floor a normal run of Quorvin.exe is measured against. */
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <stdio.h>

static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)wParam, (void)lParam;
  if (message == WM_INITDIALOG) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t name[32], relative[40], folder[MAX_PATH];
    swprintf(name, 32, L"%04u_%02u_%02u.txt", now.wYear, now.wMonth, now.wDay);
    swprintf(relative, 40, L".\\%ls", name);
    GetCurrentDirectoryW(MAX_PATH, folder);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(name, &found);
    if (search != INVALID_HANDLE_VALUE) {
      FindClose(search);
    } else {
      HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL);
      DWORD written;
      WriteFile(file, "header\r\n\r\n", 10, &written, NULL);
      FlushFileBuffers(file);
      CloseHandle(file);
    }
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    SHELLEXECUTEINFOW request = {0};
    request.cbSize = sizeof request;
    request.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    request.lpVerb = L"open";
    request.lpFile = relative;
    request.lpDirectory = folder;
    request.nShow = SW_SHOWNORMAL;
    ShellExecuteExW(&request);
    CoUninitialize();
    PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
  }
  if (message == WM_CLOSE) EndDialog(window, IDCANCEL);
  return FALSE;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
  (void)previous, (void)command_line, (void)show;
  /* The main dialog's template: DS_SETFONT with 8-point MS Sans Serif, one
     OK button. Words: style, extended style, control count, position and
     size, empty menu and class, title, font; then the button, aligned. */
  static const WORD dialog_template[] = {
      LOWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT),
      HIWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT), 0, 0, 1, 0, 0,
      310, 103, 0, 0, 'Q', 'u', 'o', 'r', 'v', 'i', 'n', 0, 8,
      'M', 'S', ' ', 'S', 'a', 'n', 's', ' ', 'S', 'e', 'r', 'i', 'f', 0,
      LOWORD(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON),
      HIWORD(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON), 0, 0, 184, 9, 50, 14, IDOK,
      0xFFFF, 0x0080, 'O', 'K', 0, 0};
  DialogBoxIndirectParamW(instance, (const DLGTEMPLATE*)dialog_template, NULL, Proc, 0);
  return 0;
}
