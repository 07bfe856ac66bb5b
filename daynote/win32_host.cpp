#include "daynote/win32_host.h"

#include <windows.h>
#include <shellapi.h>

namespace daynote {
namespace {

// FILETIME counts 100-nanosecond ticks from 1601; ours are seconds from 1970.
// Neither goes through the C runtime's time_t, which is 32 bits wide here.
constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kTicksFrom1601To1970 = 116444736000000000;

std::string SystemMessage(DWORD error) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length ? std::string(text, length) : "error " + std::to_string(error);
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.')) {
    message.pop_back();
  }
  return message;
}

// A path from an API that, given too small a buffer, says what size it needs.
template <class GetPath>
std::optional<std::string> PathFrom(GetPath get) {
  const DWORD size = get(0, nullptr);
  if (size == 0) return std::nullopt;
  std::string path(size, '\0');
  const DWORD length = get(size, &path[0]);
  if (length == 0 || length >= size) return std::nullopt;
  path.resize(length);
  return path;
}

std::string CurrentFolder() {
  return PathFrom([](DWORD size, char* path) { return GetCurrentDirectoryA(size, path); })
      .value_or("the current folder");
}

[[noreturn]] void Fail(NoteStep step, const std::string& name) {
  const DWORD error = GetLastError();
  throw NoteError(step, name, CurrentFolder(), SystemMessage(error));
}

class Win32NoteFile : public NoteFile {
 public:
  Win32NoteFile(HANDLE file, std::string name) : file_(file), name_(std::move(name)) {}
  Win32NoteFile(const Win32NoteFile&) = delete;
  Win32NoteFile& operator=(const Win32NoteFile&) = delete;
  ~Win32NoteFile() override {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
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
      Fail(NoteStep::Write, name_);
    }
  }

  void Flush() override {
    if (!FlushFileBuffers(file_)) Fail(NoteStep::Flush, name_);
  }

  void Close() override {
    const HANDLE file = file_;
    file_ = INVALID_HANDLE_VALUE;
    if (!CloseHandle(file)) Fail(NoteStep::Close, name_);
  }

 private:
  HANDLE file_;
  std::string name_;
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
std::tm Win32Host::LocalTime(Seconds time) {
  const std::int64_t ticks = time * kTicksPerSecond + kTicksFrom1601To1970;
  FILETIME utc_file_time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME utc{}, local{};
  FileTimeToSystemTime(&utc_file_time, &utc);
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;

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
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(name.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  FindClose(search);
  return std::string(found.cFileName);
}

std::unique_ptr<NoteFile> Win32Host::CreateNew(const std::string& name) {
  // Share mode 0: nobody else opens the note until it is complete.
  // OPEN_REPARSE_POINT: a link of the note's name is never followed.
  const HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return nullptr;
    SetLastError(error);
    Fail(NoteStep::Create, name);
  }
  return std::make_unique<Win32NoteFile>(file, name);
}

void Win32Host::Remove(const std::string& name) { DeleteFileA(name.c_str()); }

void Win32Host::Open(const std::string& name) {
  const std::optional<std::string> full = PathFrom(
      [&](DWORD size, char* path) { return GetFullPathNameA(name.c_str(), size, path, nullptr); });
  if (!full) {
    const std::string reason = SystemMessage(GetLastError());
    throw OpenerError("cannot open " + name + " in " + CurrentFolder() + ": " + reason);
  }
  // Whatever the shell answers, the program goes on: it shows its own
  // message when no application is associated with text files.
  ShellExecuteA(nullptr, "open", full->c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace daynote
