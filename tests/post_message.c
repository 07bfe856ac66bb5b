/* post_message TITLE MESSAGE WPARAM: posts a window message to the top-level
   window with that title, as the system would on a user's choice. Exits 1 if
   there is no such window. Numbers may be given in hex (0x...). With
   QUORVIN_DESKTOP set, looks on that Wine desktop instead of the default. */
#include <windows.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const char* desktop_name = getenv("QUORVIN_DESKTOP");
  if (desktop_name) {
    HDESK desktop = OpenDesktopA(desktop_name, 0, FALSE, GENERIC_ALL);
    if (!desktop || !SetThreadDesktop(desktop)) return 3;
  }
  HWND window = FindWindowA(NULL, argv[1]);
  if (!window) return 1;
  UINT message = (UINT)strtoul(argv[2], NULL, 0);
  WPARAM wParam = (WPARAM)strtoul(argv[3], NULL, 0);
  return PostMessageA(window, message, wParam, 0) ? 0 : 1;
}
