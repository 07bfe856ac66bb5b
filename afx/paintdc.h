// The device context of one WM_PAINT: painting begins when it is made and
// ends when it goes out of scope, on every way out.
#pragma once

#include <windows.h>

#include "afx/wnd.h"

class CPaintDC {
 public:
  explicit CPaintDC(CWnd* window)
      : m_window(window->m_hWnd), m_hDC(::BeginPaint(m_window, &m_ps)) {}
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;
  ~CPaintDC() { ::EndPaint(m_window, &m_ps); }

  HDC GetSafeHdc() const { return m_hDC; }
  BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }

 private:
  HWND m_window;
  PAINTSTRUCT m_ps{};  // before m_hDC: BeginPaint fills it
  HDC m_hDC;
};
