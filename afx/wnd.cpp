#include "afx/wnd.h"

void CWnd::Default() { DefaultProcessing(m_current.message, m_current.wParam, m_current.lParam); }

void CWnd::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
  ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

void CWnd::CenterWindow() {
  const HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
  const bool over_owner = owner && ::IsWindowVisible(owner) && !::IsIconic(owner);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ::GetMonitorInfoW(::MonitorFromWindow(over_owner ? owner : m_hWnd, MONITOR_DEFAULTTOPRIMARY),
                    &monitor);
  const RECT area = monitor.rcWork;
  RECT around = area, window;
  if (over_owner) ::GetWindowRect(owner, &around);
  ::GetWindowRect(m_hWnd, &window);
  const int width = window.right - window.left, height = window.bottom - window.top;
  const auto place = [](LONG from, LONG to, int extent, LONG low, LONG high) {
    const LONG start = from + (to - from - extent) / 2;
    return start + extent > high ? high - extent : start < low ? low : start;
  };
  ::SetWindowPos(m_hWnd, nullptr, place(around.left, around.right, width, area.left, area.right),
                 place(around.top, around.bottom, height, area.top, area.bottom), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  for (const MessageMap* map = GetMessageMap(); map; map = map->base) {
    for (const MessageEntry* entry = map->entries; entry->message != 0; ++entry) {
      if (entry->message != message) continue;

      // Handlers may send messages that come back here before they return,
      // or throw; either way the outer message is current again afterwards.
      struct Restore {
        MSG& slot;
        MSG saved;
        Restore(const Restore&) = delete;
        Restore& operator=(const Restore&) = delete;
        ~Restore() { slot = saved; }
      } restore{m_current, m_current};
      m_current = MSG{m_hWnd, message, wParam, lParam, 0, {}};
      if (entry->onVoid) (this->*entry->onVoid)();
      if (entry->onUintLong) (this->*entry->onUintLong)(static_cast<UINT>(wParam), lParam);
      if (entry->onHandle) *result = reinterpret_cast<LRESULT>((this->*entry->onHandle)());
      return true;
    }
  }
  return false;
}
