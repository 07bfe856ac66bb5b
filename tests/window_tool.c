/* What a user sees of a top-level window, and what a user can do to it, for
   the tests under Wine. The window is the visible one with TITLE (any one
   with it if none is visible); exit status 1 if there is none.
     window_tool post TITLE MESSAGE WPARAM   posts a message, as the system
                                             would on a user's choice
     window_tool text TITLE                  prints a message box's text (UTF-8)
     window_tool rect TITLE                  prints left top right bottom
     window_tool enabled TITLE               prints 1 if it takes input, else 0
     window_tool moving TITLE                prints 1 while it is moved or sized by keys, else 0
     window_tool icon TITLE                  prints 1 if a message box shows an icon, then 1
                                             if a window owns it
     window_tool workarea                    prints the screen's work area
   Numbers may be given in hex (0x...). With QUORVIN_DESKTOP set, it looks on
   that Wine desktop instead of the default one. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static HWND found;

static BOOL CALLBACK Match(HWND window, LPARAM title) {
  char text[256];
  GetWindowTextA(window, text, sizeof text);
  if (strcmp(text, (const char*)title) != 0) return TRUE;
  if (!found || IsWindowVisible(window)) found = window;
  return !IsWindowVisible(window);
}

int main(int argc, char** argv) {
  if (argc == 2 && strcmp(argv[1], "workarea") == 0) {
    RECT area;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    printf("%ld %ld %ld %ld\n", area.left, area.top, area.right, area.bottom);
    return 0;
  }
  if (argc < 3) return 2;
  const char* desktop_name = getenv("QUORVIN_DESKTOP");
  if (desktop_name) {
    HDESK desktop = OpenDesktopA(desktop_name, 0, FALSE, GENERIC_ALL);
    if (!desktop || !SetThreadDesktop(desktop)) return 3;
  }
  EnumWindows(Match, (LPARAM)argv[2]);
  if (!found) return 1;
  const char* command = argv[1];
  if (strcmp(command, "post") == 0 && argc >= 5) {
    UINT message = (UINT)strtoul(argv[3], NULL, 0);
    WPARAM wParam = (WPARAM)strtoul(argv[4], NULL, 0);
    return PostMessageW(found, message, wParam, argc > 5 ? (LPARAM)strtol(argv[5], NULL, 0) : 0) ? 0 : 1;
  }
  if (strcmp(command, "text") == 0) {
    /* A message box's text is the static control 0xFFFF. */
    wchar_t text[4096];
    char utf8[4 * 4096];
    GetWindowTextW(GetDlgItem(found, 0xFFFF), text, 4096);
    int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, NULL, NULL);
    fwrite(utf8, 1, length > 0 ? length - 1 : 0, stdout);
    return 0;
  }
  if (strcmp(command, "rect") == 0) {
    RECT rect;
    GetWindowRect(found, &rect);
    printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
    return 0;
  }
  if (strcmp(command, "icon") == 0) {
    /* Wine's message box shows its icon in the static control stc1. */
    printf("%d %d\n", SendMessageW(GetDlgItem(found, 0x440), STM_GETICON, 0, 0) ? 1 : 0,
           GetWindow(found, GW_OWNER) ? 1 : 0);
    return 0;
  }
  if (strcmp(command, "moving") == 0) {
    GUITHREADINFO gui;
    memset(&gui, 0, sizeof gui), gui.cbSize = sizeof gui;
    GetGUIThreadInfo(GetWindowThreadProcessId(found, NULL), &gui);
    return printf("%d\n", (gui.flags & GUI_INMOVESIZE) != 0) < 0;
  }
  if (strcmp(command, "enabled") == 0) {
    printf("%d\n", IsWindowEnabled(found) ? 1 : 0);
    return 0;
  }
  return 2;
}
