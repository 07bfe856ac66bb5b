/* The least a Windows GUI program can be: it starts and exits. The floor a
   run of Quorvin.exe under Wine is measured against. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
  (void)instance, (void)previous, (void)command_line, (void)show;
  return 0;
}
