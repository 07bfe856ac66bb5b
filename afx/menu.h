// A menu by its handle. The menus the program touches (a window's system
// menu) belong to their windows, so the wrapper borrows the handle and never
// destroys it.
#pragma once

#include <windows.h>

#include <string>

#include "daynote/utf16.h"

class CMenu {
 public:
  explicit CMenu(HMENU menu) : m_hMenu(menu) {}

  explicit operator bool() const { return m_hMenu != nullptr; }
  BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const std::string& text = "") {
    return ::AppendMenuW(m_hMenu, flags, id,
                         text.empty() ? nullptr : utf16::FromUtf8(text).c_str());
  }

  HMENU m_hMenu;
};
