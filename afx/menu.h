// A menu by its handle. The menus the program touches (a window's system
// menu) belong to their windows, so the wrapper borrows the handle and never
// destroys it.
#pragma once

#include <windows.h>

class CMenu {
 public:
  explicit CMenu(HMENU menu) : m_hMenu(menu) {}

  explicit operator bool() const { return m_hMenu != nullptr; }
  BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const char* text = nullptr) {
    return ::AppendMenuA(m_hMenu, flags, id, text);
  }

  HMENU m_hMenu;
};
