/* Copied under the name of each DLL the program or the system's DLLs may
   load by name: planted beside Quorvin.exe, as in a Downloads folder, it
   leaves a mark in the current folder if it is ever loaded. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance, (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    CloseHandle(CreateFileW(L"planted-dll-was-loaded", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0,
                            NULL));
  }
  return TRUE;
}
