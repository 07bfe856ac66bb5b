// Windows and their message tables.
//
// Each window class has a static table of {message, handler} entries chained
// to its base class's table. A message found in no table gets the window's
// default processing; a handler asks for it itself with Default().
#pragma once

#include <windows.h>

#include "afx/menu.h"

class CWnd;

// One entry of a table: the handler is in the member of its signature, the
// other two are null. A table ends with an entry for message 0.
struct MessageEntry {
  UINT message;
  void (CWnd::*onVoid)();
  void (CWnd::*onUintLong)(UINT, LPARAM);
  HICON (CWnd::*onHandle)();  // the handle is the message's result
};

struct MessageMap {
  const MessageMap* base;
  const MessageEntry* entries;
};

template <class T>
MessageEntry OnMessage(UINT message, void (T::*handler)()) {
  return {message, static_cast<void (CWnd::*)()>(handler), nullptr, nullptr};
}
template <class T>
MessageEntry OnMessage(UINT message, void (T::*handler)(UINT, LPARAM)) {
  return {message, nullptr, static_cast<void (CWnd::*)(UINT, LPARAM)>(handler), nullptr};
}
template <class T>
MessageEntry OnMessage(UINT message, HICON (T::*handler)()) {
  return {message, nullptr, nullptr, static_cast<HICON (CWnd::*)()>(handler)};
}

// Declares a class's table; BEGIN/END_MESSAGE_MAP define it in its .cpp file.
// clang-format off
#define DECLARE_MESSAGE_MAP()                                                \
 protected:                                                                  \
  static const MessageMap* GetThisMessageMap();                              \
  const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                               \
  const MessageMap* theClass::GetThisMessageMap() {                          \
    using ThisClass [[maybe_unused]] = theClass;                             \
    using BaseClass = baseClass;                                             \
    static const MessageEntry entries[] = {
#define ON_MESSAGE_HANDLER(message, handler) OnMessage(message, &ThisClass::handler),
#define ON_WM_PAINT() ON_MESSAGE_HANDLER(WM_PAINT, OnPaint)
#define ON_WM_SYSCOMMAND() ON_MESSAGE_HANDLER(WM_SYSCOMMAND, OnSysCommand)
#define ON_WM_QUERYDRAGICON() ON_MESSAGE_HANDLER(WM_QUERYDRAGICON, OnQueryDragIcon)
#define END_MESSAGE_MAP()                                                    \
  MessageEntry{0, nullptr, nullptr, nullptr}};                             \
    static const MessageMap map{BaseClass::GetThisMessageMap(), entries};    \
    return &map;                                                             \
  }
// clang-format on

class CWnd {
 public:
  CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  virtual ~CWnd() = default;

  // Default processing of the message being handled. Its result is not
  // passed on: no handler here gives a result of its own but the drag icon.
  void Default();

  LRESULT SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
  }
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
  }
  // Centres the window over its owner while that is shown, otherwise on the
  // work area of the screen it is on, and keeps it on that work area.
  void CenterWindow();
  BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
  void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
  // The window's system menu, as it is unless `revert`; empty if it has none.
  CMenu GetSystemMenu(BOOL revert) const { return CMenu(::GetSystemMenu(m_hWnd, revert)); }
  HICON SetIcon(HICON icon, BOOL big) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
  }

  HWND m_hWnd = nullptr;  // owned by the system's dialog manager, not by us

 protected:
  // A plain window handles nothing itself: the chain of tables ends here.
  static const MessageMap* GetThisMessageMap() { return nullptr; }
  virtual const MessageMap* GetMessageMap() const { return nullptr; }

  // Calls the handler the tables give for `message`; false if none does.
  // Sets `result` only for a handler that gives one.
  bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

  // What Default() does for this kind of window.
  virtual void DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  MSG m_current{};  // the message being dispatched, for Default()
};
