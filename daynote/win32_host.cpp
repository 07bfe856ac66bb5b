#include "daynote/win32_host.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "daynote/utf16.h"

namespace daynote {
namespace {

// FILETIME counts 100-nanosecond ticks from 1601; ours are seconds from 1970.
// Neither goes through the C runtime's time_t, which is 32 bits wide here.
constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kTicksFrom1601To1970 = 116444736000000000;

std::string SystemMessage(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message =
      length ? utf16::ToUtf8(std::wstring(text, length)) : "error " + std::to_string(error);
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.')) {
    message.pop_back();
  }
  return message;
}

// The current folder as Windows names it; none when it cannot say.
std::optional<std::wstring> CurrentFolderPath() {
  for (DWORD size = MAX_PATH;;) {
    std::wstring path(size, L'\0');
    const DWORD length = GetCurrentDirectoryW(size, path.data());
    if (length == 0) return std::nullopt;
    if (length < size) return path.substr(0, length);
    size = length;
  }
}

std::string CurrentFolder() {
  const std::optional<std::wstring> folder = CurrentFolderPath();
  return folder ? utf16::ToUtf8(*folder) : "the current folder";
}

// The entry `name` of `folder`; a root such as C:\ ends in its separator.
std::wstring InFolder(const std::wstring& folder, const std::string& name) {
  return folder + (folder.back() == L'\\' ? L"" : L"\\") + utf16::FromUtf8(name);
}

// `name` in the current folder, spelled so that Windows takes it exactly as
// it is: at any length, with no trailing dots or spaces dropped.
std::wstring ExactPath(const std::string& name) {
  const std::optional<std::wstring> folder = CurrentFolderPath();
  if (!folder) return utf16::FromUtf8(name);  // the folder is gone: the call fails
  std::wstring path = InFolder(*folder, name);
  if (path.compare(0, 4, L"\\\\?\\") == 0) return path;
  if (path.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + path.substr(2);
  return L"\\\\?\\" + path;
}

// The shell may hand "open" to extensions that need COM in a single-threaded
// apartment; COM is left as it was found.
class ComApartment {
 public:
  ComApartment()
      : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED |
                                                           COINIT_DISABLE_OLE1DDE))) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (initialised_) CoUninitialize();
  }

 private:
  bool initialised_;
};

// Windows starts a program in its own folder when it cannot use the one it
// was asked for (Wine does for names it cannot map), and some launchers
// start programs in System32: a note made there would be nobody's.
bool IsWindowsFolder(const std::wstring& folder) {
  wchar_t windows[MAX_PATH];
  const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH || folder.size() < length) return false;
  return CompareStringOrdinal(folder.c_str(), static_cast<int>(length), windows,
                              static_cast<int>(length), TRUE) == CSTR_EQUAL &&
         (folder.size() == length || folder[length] == L'\\');
}

// The command that opens text files, as it is set up, whether or not its
// program is there; none if none is set up.
std::optional<std::wstring> TextFileCommand() {
  DWORD size = 0;
  if (AssocQueryStringW(ASSOCF_NONE, ASSOCSTR_COMMAND, L".txt", L"open", nullptr, &size) != S_FALSE ||
      size <= 1) {
    return std::nullopt;
  }
  std::wstring command(size, L'\0');
  if (FAILED(AssocQueryStringW(ASSOCF_NONE, ASSOCSTR_COMMAND, L".txt", L"open", command.data(),
                               &size))) {
    return std::nullopt;
  }
  command.resize(command.find(L'\0'));
  if (command.find_first_not_of(L" \t") == std::wstring::npos) return std::nullopt;
  return command;
}

[[noreturn]] void Fail(NoteStep step, const std::string& name, DWORD error) {
  throw NoteError(step, name, CurrentFolder(), SystemMessage(error));
}

// A new note's content, in a file of a name of its own that the system
// deletes when it is closed, also when the start is killed or the user logs
// off, until the moment it gets the note's name.
class Win32PendingNote : public PendingNote {
 public:
  Win32PendingNote(HANDLE file, std::string name, std::string copy)
      : file_(file), name_(std::move(name)), copy_(std::move(copy)) {}
  Win32PendingNote(const Win32PendingNote&) = delete;
  Win32PendingNote& operator=(const Win32PendingNote&) = delete;
  ~Win32PendingNote() override {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  }

  // Deleted when closed, or not; false if the system refuses.
  bool SetDeleteOnClose(bool deleted) {
    FILE_DISPOSITION_INFO disposition{static_cast<BOOLEAN>(deleted)};
    if (!SetFileInformationByHandle(file_, FileDispositionInfo, &disposition, sizeof disposition)) {
      return false;
    }
    delete_on_close_ = deleted;
    return true;
  }

  // Text mode: each line feed is stored as carriage return and line feed.
  void Write(const std::string& text) override {
    std::string stored;
    for (char c : text) {
      if (c == '\n') stored += '\r';
      stored += c;
    }
    DWORD written = 0;
    if (!WriteFile(file_, stored.data(), static_cast<DWORD>(stored.size()), &written, nullptr) ||
        written != stored.size()) {
      Fail(NoteStep::Write, name_, GetLastError());
    }
  }

  void Flush() override {
    if (!FlushFileBuffers(file_)) Fail(NoteStep::Flush, name_, GetLastError());
  }

  // A rename that does not replace: a name taken meanwhile, in any case,
  // stays another start's.
  void Save() override {
    if (delete_on_close_ && !SetDeleteOnClose(false)) Fail(NoteStep::Save, name_, GetLastError());
    // The full path in the kernel's own spelling, which takes any length.
    const std::wstring target = L"\\??\\" + ExactPath(name_).substr(4);
    std::string buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t), '\0');
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(target.size()) * sizeof(wchar_t);
    target.copy(rename->FileName, target.size());
    if (SetFileInformationByHandle(file_, FileRenameInfo, rename, static_cast<DWORD>(buffer.size()))) {
      saved_ = true;
      return;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) Fail(NoteStep::Save, name_, error);
  }

  void Discard() override {
    if (file_ == INVALID_HANDLE_VALUE) return;
    const bool deleted = saved_ || delete_on_close_ || SetDeleteOnClose(true);
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    if (!deleted && !DeleteFileW(ExactPath(copy_).c_str())) {
      Fail(NoteStep::Remove, copy_, GetLastError());
    }
  }

 private:
  HANDLE file_;
  std::string name_;
  std::string copy_;
  bool saved_ = false;
  bool delete_on_close_ = false;
};

}  // namespace

Seconds Win32Host::Now() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const std::int64_t ticks =
      (static_cast<std::int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return (ticks - kTicksFrom1601To1970) / kTicksPerSecond;
}

// The system's time zone decides the local date, not the C runtime's TZ
// variable, which would apply US daylight rules to whatever it finds there.
std::optional<std::tm> Win32Host::LocalTime(Seconds time) {
  constexpr Seconds kLatest = (INT64_MAX - kTicksFrom1601To1970) / kTicksPerSecond;
  if (time < -kTicksFrom1601To1970 / kTicksPerSecond || time > kLatest) return std::nullopt;
  const std::int64_t ticks = time * kTicksPerSecond + kTicksFrom1601To1970;
  FILETIME utc_file_time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME utc{}, local{};
  if (!FileTimeToSystemTime(&utc_file_time, &utc) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
    return std::nullopt;
  }

  std::tm fields{};
  fields.tm_year = local.wYear - 1900;
  fields.tm_mon = local.wMonth - 1;
  fields.tm_mday = local.wDay;
  fields.tm_wday = local.wDayOfWeek;
  fields.tm_hour = local.wHour;
  fields.tm_min = local.wMinute;
  fields.tm_sec = local.wSecond;
  static const int kDaysBeforeMonth[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  const int year = local.wYear;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  fields.tm_yday = kDaysBeforeMonth[fields.tm_mon] + local.wDay - 1 + (leap && local.wMonth > 2);
  return fields;
}

// The file-search API finds files and folders, hidden ones too, and compares
// names as the file system does: without regard to case.
std::optional<std::string> Win32Host::FindEntry(const std::string& name) {
  if (IsWindowsFolder(CurrentFolderPath().value_or(L""))) {
    throw NoteError(NoteStep::Look, name, CurrentFolder(),
                    "notes are not kept in the Windows folder; start Quorvin in your notes "
                    "folder (a shortcut's \"Start in\")");
  }
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(ExactPath(name).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
    Fail(NoteStep::Look, name, error);
  }
  FindClose(search);
  return utf16::ToUtf8(found.cFileName);
}

std::unique_ptr<PendingNote> Win32Host::CreatePending(const std::string& name) {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  const std::uint64_t seed = static_cast<std::uint64_t>(counter.QuadPart) ^
                             (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32);
  for (std::uint64_t attempt = 0;; ++attempt) {
    std::string copy = CopyName(name, seed + attempt * 0x9E3779B97F4A7C15ULL);
    // DELETE: to be renamed or deleted through this handle. Readers may open
    // the note while the handle lasts, just after it is saved.
    const HANDLE file = CreateFileW(ExactPath(copy).c_str(), GENERIC_WRITE | DELETE,
                                    FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      auto note = std::make_unique<Win32PendingNote>(file, name, std::move(copy));
      // Where the file system cannot delete on close, the copy is removed
      // by name instead; only a start killed meanwhile leaves it then.
      note->SetDeleteOnClose(true);
      return note;
    }
    const DWORD error = GetLastError();
    if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt == 100) {
      Fail(NoteStep::Create, name, error);
    }
  }
}

void Win32Host::Open(const std::string& name) {
  const std::optional<std::wstring> folder = CurrentFolderPath();
  if (!folder) throw OpenerError("cannot open " + name + ": the current folder has no path");
  const std::wstring path = InFolder(*folder, name);

  // The entry relative to the folder, which is given apart: handed a full
  // path, the shell expands %NAME% in it and may substitute a look-alike.
  const std::wstring relative = L".\\" + utf16::FromUtf8(name);
  const ComApartment com;
  SHELLEXECUTEINFOW request{};
  request.cbSize = sizeof request;
  request.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;  // we say it ourselves, once
  request.lpVerb = L"open";
  request.lpFile = relative.c_str();
  request.lpDirectory = folder->c_str();
  request.nShow = SW_SHOWNORMAL;
  if (ShellExecuteExW(&request)) return;
  const DWORD error = GetLastError();

  // Wine answers a missing program for text files with "bad EXE format" (it
  // tries the note as a program), Windows with "no association".
  const std::optional<std::wstring> command = TextFileCommand();
  if (!command && (error == ERROR_NO_ASSOCIATION || error == ERROR_BAD_EXE_FORMAT ||
                   error == ERROR_FILE_NOT_FOUND)) {
    // Where the system has it, the user chooses a program.
    using OpenWith = HRESULT(WINAPI*)(HWND, const OPENASINFO*);
    const auto open_with = reinterpret_cast<OpenWith>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"shell32.dll"), "SHOpenWithDialog")));
    if (open_with) {
      OPENASINFO choice{path.c_str(), nullptr,
                        OAIF_ALLOW_REGISTRATION | OAIF_REGISTER_EXT | OAIF_EXEC};
      const HRESULT result = open_with(nullptr, &choice);
      if (SUCCEEDED(result) || result == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return;
    }
  }
  // The note is there: what is amiss is the program for it, which is named.
  std::string reason = SystemMessage(error);
  if (!command) {
    reason = "No program is set up to open text files";
  } else {
    if (error == ERROR_FILE_NOT_FOUND) reason = "The program set up to open text files cannot be found";
    if (error == ERROR_BAD_EXE_FORMAT) reason = "The program set up to open text files cannot be started";
    reason += " (text files open with: " + utf16::ToUtf8(*command) + ")";
  }
  throw OpenerError("today's note is ready, but Windows cannot open it:\n\n" +
                    utf16::ToUtf8(path) + "\n\n" + reason);
}

}  // namespace daynote
