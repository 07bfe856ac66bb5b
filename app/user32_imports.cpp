// USER32's functions, bound by hand once the program has restricted where
// DLLs are searched. Imported, USER32 would be loaded with the program, and
// with it (under Wine) a dozen DLLs it imports, any of which a Downloads
// folder may hold a look-alike of. Each slot stands in for the import
// library's entry of the same name, through which every call goes; a
// function missing here comes from the import library again, and the Wine
// test that reads the import table says so.
#include "app/user32_imports.h"

#include <windows.h>

#include <string>

// Each function with the bytes of its arguments, as the import library
// spells its name.
// clang-format off
#define USER32_FUNCTIONS(X)                                                                     \
  X(AppendMenuW, 16) X(BeginPaint, 8) X(DefDlgProcW, 16) X(DefWindowProcW, 16)                 \
  X(DialogBoxParamW, 20) X(DispatchMessageW, 4) X(DrawIcon, 16) X(EndDialog, 8) X(EndPaint, 8) \
  X(GetClientRect, 8) X(GetMessageW, 16) X(GetMonitorInfoW, 8) X(GetSystemMenu, 8)             \
  X(GetSystemMetrics, 4) X(GetWindow, 8) X(GetWindowLongW, 8) X(GetWindowRect, 8)              \
  X(IsIconic, 4) X(IsWindowVisible, 4) X(LoadIconW, 8) X(LoadStringW, 16) X(MessageBoxW, 16)   \
  X(MonitorFromWindow, 8) X(PostMessageW, 16) X(SendMessageW, 16) X(SetWindowLongW, 12)        \
  X(SetWindowPos, 28) X(TranslateMessage, 4)
// clang-format on

// The linker's import slots are writable globals by their nature; they are
// filled once, before the first call.
// NOLINTBEGIN(cppcoreguidelines-avoid-non-const-global-variables)
#define SLOT(name, bytes) extern "C" FARPROC slot_##name asm("__imp__" #name "@" #bytes);
USER32_FUNCTIONS(SLOT)
#undef SLOT
#define SLOT(name, bytes) FARPROC slot_##name = nullptr;
USER32_FUNCTIONS(SLOT)
#undef SLOT
// NOLINTEND(cppcoreguidelines-avoid-non-const-global-variables)

bool BindUser32() {
  wchar_t folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  const HMODULE user32 = ::LoadLibraryW((std::wstring(folder, length) + L"\\user32.dll").c_str());
  if (!user32) return false;
  bool bound = true;
#define BIND(name, bytes) bound = (slot_##name = ::GetProcAddress(user32, #name)) && bound;
  USER32_FUNCTIONS(BIND)
#undef BIND
  return bound;
}
