#include "daynote/win32_host.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <winternl.h>

#include <algorithm>
#include <array>

#include "daynote/utf16.h"

namespace daynote {
namespace {

// FILETIME counts 100-nanosecond ticks from 1601; ours are seconds from 1970.
// Neither goes through the C runtime's time_t, which is 32 bits wide here.
constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kTicksFrom1601To1970 = 116444736000000000;

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
// it is.
std::wstring ExactPath(const std::string& name) {
  const std::optional<std::wstring> folder = CurrentFolderPath();
  if (!folder) return utf16::FromUtf8(name);  // the folder is gone: the call fails
  return ExtendedLengthPath(InFolder(*folder, name));
}

// A function of a system library, loaded from the system folder on first
// use. The shell's libraries load a dozen others in turn, any of which a
// folder such as Downloads may hold a look-alike of: imported, they would
// be loaded with the program, before it restricts where DLLs are searched.
template <typename Function>
Function* SystemFunction(const wchar_t* library, const char* name) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const HMODULE module = LoadLibraryW((std::wstring(folder, length) + L"\\" + library).c_str());
  return module ? reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

// The shell may hand "open" to extensions that need COM in a single-threaded
// apartment; COM is left as it was found.
class ComApartment {
 public:
  ComApartment()
      : initialise_(SystemFunction<decltype(CoInitializeEx)>(L"ole32.dll", "CoInitializeEx")),
        uninitialise_(SystemFunction<decltype(CoUninitialize)>(L"ole32.dll", "CoUninitialize")),
        initialised_(
            initialise_ && uninitialise_ &&
            SUCCEEDED(initialise_(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (initialised_) uninitialise_();
  }

 private:
  decltype(CoInitializeEx)* initialise_;
  decltype(CoUninitialize)* uninitialise_;
  bool initialised_;
};

// A folder's identity: its volume's serial number and its index on that
// volume, the same whatever path leads to it (a drive letter's alias, a short
// name, \\?\, a junction). With `resolved`, also its path as the system
// resolves it (\\?\C:\a, \\?\UNC\server\share\a), empty if it cannot say.
using FolderId = std::array<DWORD, 3>;
std::optional<FolderId> IdentifyFolder(const std::wstring& path, std::wstring* resolved = nullptr) {
  const HANDLE folder = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<FolderId> id;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(folder, &info)) {
    id = FolderId{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  }
  if (resolved) {
    const DWORD size = GetFinalPathNameByHandleW(folder, nullptr, 0, FILE_NAME_NORMALIZED);
    resolved->assign(size, L'\0');
    const DWORD length =
        GetFinalPathNameByHandleW(folder, resolved->data(), size, FILE_NAME_NORMALIZED);
    resolved->resize(length < size ? length : 0);
  }
  CloseHandle(folder);
  return id;
}

// Windows starts a program in its own folder when it cannot use the one it
// was asked for (Wine does for names it cannot map), and some launchers
// start programs in System32: a note made there would be nobody's. The
// folder and each folder above it, where the system resolved it to be, are
// compared with the Windows folder by identity, not by name.
bool IsWindowsFolder(const std::wstring& folder) {
  wchar_t windows[MAX_PATH];
  const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  const std::optional<FolderId> system = IdentifyFolder(std::wstring(windows, length));
  std::wstring path;  // stays empty where the system cannot resolve it: then the folder alone
  std::optional<FolderId> here = IdentifyFolder(folder, &path);
  if (!system) return false;
  for (;;) {
    if (here == system) return true;
    // Up to \\?\C:\ or \\?\UNC\server, whose "\\?\" ends at 3.
    const std::size_t separator = path.find_last_of(L'\\', path.size() - 2);
    if (separator == std::wstring::npos || separator <= 3) return false;
    path.resize(path[separator - 1] == L':' ? separator + 1 : separator);  // C:\ keeps its "\"
    here = IdentifyFolder(path);
  }
}

// Windows starts a program in its own folder when it cannot use the one it
// was asked for: no note is made or looked for there.
void RefuseTheWindowsFolder(const std::string& name) {
  if (IsWindowsFolder(CurrentFolderPath().value_or(L""))) {
    throw NoteError(NoteStep::Look, name, CurrentFolder(),
                    "notes are not kept in the Windows folder, where Windows starts a program "
                    "when the folder it was to start in could not be used");
  }
}

// The command that opens text files, as it is set up, whether or not its
// program is there; none if none is set up.
std::optional<std::wstring> TextFileCommand() {
  const auto query =
      SystemFunction<decltype(AssocQueryStringW)>(L"shlwapi.dll", "AssocQueryStringW");
  DWORD size = 0;
  if (!query) return std::nullopt;
  if (query(ASSOCF_NONE, ASSOCSTR_COMMAND, L".txt", L"open", nullptr, &size) != S_FALSE ||
      size <= 1) {
    return std::nullopt;
  }
  std::wstring command(size, L'\0');
  if (FAILED(query(ASSOCF_NONE, ASSOCSTR_COMMAND, L".txt", L"open", command.data(), &size))) {
    return std::nullopt;
  }
  command.resize(command.find(L'\0'));
  if (command.find_first_not_of(L" \t") == std::wstring::npos) return std::nullopt;
  return command;
}

// Whether `path` leads to a file or folder, following any links.
bool Reaches(const std::wstring& path) {
  const HANDLE entry = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (entry == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
  }
  CloseHandle(entry);
  return true;
}

[[noreturn]] void Fail(NoteStep step, const std::string& name, DWORD error) {
  throw NoteError(step, name, CurrentFolder(), SystemMessage(error));
}

// The system's own calls in ntdll, which every process has loaded.
template <typename Function>
Function* NtdllFunction(const char* name) {
  return reinterpret_cast<Function*>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

// A request to link or rename a file to `name` in the current folder that
// never replaces an entry; the two requests are laid out alike.
template <typename Info>
std::string NameRequest(const std::string& name) {
  // The full path in the kernel's own spelling, which takes any length.
  const std::wstring target = L"\\??\\" + ExactPath(name).substr(4);
  std::string buffer(sizeof(Info) + target.size() * sizeof(wchar_t), '\0');
  auto* info = reinterpret_cast<Info*>(buffer.data());
  info->ReplaceIfExists = FALSE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(target.size()) * sizeof(wchar_t);
  target.copy(info->FileName, target.size());
  return buffer;
}

// Gives the file open as `file` the second name `name` in the current
// folder, never replacing an entry; a Windows error code, 0 on success.
DWORD LinkByHandle(HANDLE file, const std::string& name) {
  using SetInformation =
      NTSTATUS NTAPI(HANDLE, IO_STATUS_BLOCK*, void*, ULONG, FILE_INFORMATION_CLASS);
  using ToWindowsError = ULONG NTAPI(NTSTATUS);
  const auto set_information = NtdllFunction<SetInformation>("NtSetInformationFile");
  const auto to_windows_error = NtdllFunction<ToWindowsError>("RtlNtStatusToDosError");
  if (!set_information || !to_windows_error) return ERROR_NOT_SUPPORTED;
  std::string link = NameRequest<FILE_LINK_INFORMATION>(name);
  IO_STATUS_BLOCK status{};
  const NTSTATUS result = set_information(file, &status, link.data(),
                                          static_cast<ULONG>(link.size()), FileLinkInformation);
  return result >= 0 ? 0 : to_windows_error(result);
}

bool IsTaken(DWORD error) { return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS; }

// A copy of a name of its own beside the note, to be given the note's name.
HANDLE CreateCopy(const std::string& note, std::string& copy, DWORD flags) {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  const std::uint64_t seed = static_cast<std::uint64_t>(counter.QuadPart) ^
                             (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32);
  for (std::uint64_t attempt = 0;; ++attempt) {
    copy = CopyName(note, seed + attempt * 0x9E3779B97F4A7C15ULL);
    // DELETE: to be linked, renamed or deleted through this handle. Readers
    // may open the note while the handle lasts, just after it is saved.
    const HANDLE file = CreateFileW(ExactPath(copy).c_str(), GENERIC_WRITE | DELETE,
                                    FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | flags, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    const DWORD error = GetLastError();
    if (!IsTaken(error) || attempt == 100) Fail(NoteStep::Create, note, error);
  }
}

// Gives the file open as `file` the modification time `time`. A refusal
// leaves the time of writing, as before.
void SetModified(HANDLE file, Seconds time) {
  const std::int64_t ticks = time * kTicksPerSecond + kTicksFrom1601To1970;
  const FILETIME written{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  (void)SetFileTime(file, nullptr, nullptr, &written);
}

// A new note's content, in a file of a name of its own that the system
// deletes when it is closed, also when the start is killed or the user logs
// off, from the instant it is created: the note's name is a second link to
// it, which closing leaves. Where the file system has no links (FAT,
// exFAT), the content moves to a copy that can be renamed, whose mark is
// lifted for the rename: a start killed in between leaves that copy.
class Win32PendingNote : public PendingNote {
 public:
  Win32PendingNote(HANDLE file, std::string name, std::string copy)
      : file_(file), name_(std::move(name)), copy_(std::move(copy)) {}
  Win32PendingNote(const Win32PendingNote&) = delete;
  Win32PendingNote& operator=(const Win32PendingNote&) = delete;
  ~Win32PendingNote() override {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  }

  void Write(const std::string& bytes) override {
    Store(bytes);
    content_ += bytes;
  }

  void Flush() override {
    if (!FlushFileBuffers(file_)) Fail(NoteStep::Flush, name_, GetLastError());
  }

  // Set on the handle once the content is written, the time is kept when the
  // handle is closed.
  void SetTime(Seconds time) override {
    time_ = time;
    SetModified(file_, time);
  }

  // A link or rename that does not replace: a name taken meanwhile, in any
  // case, stays another start's.
  void Save() override {
    const DWORD error = LinkByHandle(file_, name_);
    if (error == 0 || IsTaken(error)) {
      saved_ = true;  // closing removes only the copy's name
      return;
    }
    RenameRoad();
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
  void Store(const std::string& bytes) {
    DWORD written = 0;
    if (!WriteFile(file_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
      Fail(NoteStep::Write, name_, GetLastError());
    }
  }

  // Deleted when closed, or not; false if the system refuses. A mark given
  // when the file was created cannot be lifted so.
  bool SetDeleteOnClose(bool deleted) {
    FILE_DISPOSITION_INFO disposition{static_cast<BOOLEAN>(deleted)};
    return SetFileInformationByHandle(file_, FileDispositionInfo, &disposition, sizeof disposition);
  }

  void RenameRoad() {
    std::string copy;
    const HANDLE file = CreateCopy(name_, copy, 0);
    CloseHandle(file_);  // the first copy goes
    file_ = file;
    copy_ = std::move(copy);
    // Where the file system cannot delete on close, the copy is removed
    // by name instead; only a start killed meanwhile leaves it then.
    delete_on_close_ = SetDeleteOnClose(true);
    Store(content_);
    Flush();
    if (time_) SetModified(file_, *time_);
    if (delete_on_close_ && !SetDeleteOnClose(false)) Fail(NoteStep::Save, name_, GetLastError());
    delete_on_close_ = false;
    std::string rename = NameRequest<FILE_RENAME_INFO>(name_);
    if (SetFileInformationByHandle(file_, FileRenameInfo, rename.data(),
                                   static_cast<DWORD>(rename.size()))) {
      saved_ = true;
      return;
    }
    const DWORD error = GetLastError();
    if (!IsTaken(error)) Fail(NoteStep::Save, name_, error);
  }

  HANDLE file_;
  std::string name_;
  std::string copy_;
  std::string content_;  // as stored, for the rename road
  std::optional<Seconds> time_;  // its modification time, once set
  bool saved_ = false;
  bool delete_on_close_ = true;
};

}  // namespace

std::string SystemMessage(DWORD error, const std::string& subject) {
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
  if (subject.empty()) return message;
  if (message.find("%1") == std::string::npos) return subject + ": " + message;
  for (std::size_t at = 0; (at = message.find("%1", at)) != std::string::npos;
       at += subject.size()) {
    message.replace(at, 2, subject);
  }
  return message;
}

std::wstring ExtendedLengthPath(const std::wstring& path) {
  if (path.compare(0, 4, L"\\\\?\\") == 0) return path;
  if (path.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + path.substr(2);
  return L"\\\\?\\" + path;
}

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
  return fields;
}

// The file-search API finds files and folders, hidden ones too, and compares
// names as the file system does: without regard to case.
std::optional<std::string> Win32Host::FindEntry(const std::string& name) {
  RefuseTheWindowsFolderOnce(name);
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(ExactPath(name).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
    // Wine finds an entry it cannot describe, such as a link to nothing,
    // and then has no more files: it is there all the same.
    if (error == ERROR_NO_MORE_FILES) return name;
    Fail(NoteStep::Look, name, error);
  }
  FindClose(search);
  return utf16::ToUtf8(found.cFileName);
}

std::string Win32Host::FolderName() { return CurrentFolder(); }

// A start lists the folder and looks for the note in it: the folder's
// identities are walked once.
void Win32Host::RefuseTheWindowsFolderOnce(const std::string& name) {
  const std::optional<std::wstring> folder = CurrentFolderPath();
  if (folder && folder == allowed_folder_) return;
  RefuseTheWindowsFolder(name);
  allowed_folder_ = folder;
}

std::vector<std::string> Win32Host::ListEntries() {
  RefuseTheWindowsFolderOnce("notes");
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(ExactPath("*").c_str(), &found);
  std::vector<std::string> names;
  // A drive's root has no "." or "..": empty, it has no entry to find.
  if (search == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) return names;
  if (search == INVALID_HANDLE_VALUE) Fail(NoteStep::Look, "notes", GetLastError());
  do {
    names.push_back(utf16::ToUtf8(found.cFileName));
  } while (FindNextFileW(search, &found));
  const DWORD error = GetLastError();
  FindClose(search);
  if (error != ERROR_NO_MORE_FILES) Fail(NoteStep::Look, "notes", error);
  return names;
}

bool Win32Host::IsNoteFile(const std::string& name) {
  const std::wstring path = ExactPath(name);
  DWORD attributes = GetFileAttributesW(path.c_str());
  // A link's own attributes say nothing of what it leads to; a link to
  // nothing cannot be opened.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    const HANDLE file = CreateFileW(path.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION information{};
    const bool described =
        file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &information);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    attributes = described ? information.dwFileAttributes : INVALID_FILE_ATTRIBUTES;
  }
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TemplateText Win32Host::ReadTemplate(const std::string& name, std::size_t limit) {
  // Links are followed; a folder opens too (backup semantics), to be told
  // as one.
  const HANDLE file = CreateFileW(ExactPath(name).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) return {"", "cannot be read: " + SystemMessage(error)};
    // An entry that leads nowhere was meant to be one (Wine finds a link to
    // nothing, and then has no more files).
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(ExactPath(name).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    const bool entry = search != INVALID_HANDLE_VALUE || GetLastError() == ERROR_NO_MORE_FILES;
    return {"", entry ? "is a link to nothing" : ""};
  }
  BY_HANDLE_FILE_INFORMATION information{};
  std::string bytes(limit + 1, '\0');
  DWORD size = 0;
  const bool described = GetFileInformationByHandle(file, &information);
  const bool folder = described && (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  const bool fits =
      described && information.nFileSizeHigh == 0 && information.nFileSizeLow <= limit;
  const bool read = !folder && fits &&
                    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &size, nullptr);
  const DWORD error = GetLastError();
  CloseHandle(file);
  if (folder) return {"", "is a folder"};
  // Larger than it may be, or grown past it since it was looked at.
  if (described && (!fits || size > limit)) {
    return {"", "is larger than " + std::to_string(limit / 1024) + " KiB"};
  }
  if (!read) return {"", "cannot be read: " + SystemMessage(error)};
  return {bytes.substr(0, size), ""};
}

std::unique_ptr<PendingNote> Win32Host::CreatePending(const std::string& name) {
  std::string copy;
  const HANDLE file = CreateCopy(name, copy, FILE_FLAG_DELETE_ON_CLOSE);
  return std::make_unique<Win32PendingNote>(file, name, std::move(copy));
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
  const auto execute = SystemFunction<decltype(ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
  if (!execute) {
    throw OpenerError("cannot open " + name + ": " + SystemMessage(GetLastError(), "shell32.dll"));
  }
  if (execute(&request)) return;
  const DWORD error = GetLastError();
  if (!Reaches(ExtendedLengthPath(path))) {
    throw OpenerError(title_ + " disappeared before Windows could open it:\n\n" +
                      utf16::ToUtf8(path) +
                      "\n\nIt was removed or moved meanwhile, or it is a link to nothing");
  }

  // Wine answers a missing program for text files with "bad EXE format" (it
  // tries the note as a program), Windows with "no association".
  const std::optional<std::wstring> command = TextFileCommand();
  if (!command && (error == ERROR_NO_ASSOCIATION || error == ERROR_BAD_EXE_FORMAT ||
                   error == ERROR_FILE_NOT_FOUND)) {
    // Where the system has it, the user chooses a program.
    using OpenWith = HRESULT WINAPI(HWND, const OPENASINFO*);
    const auto open_with = SystemFunction<OpenWith>(L"shell32.dll", "SHOpenWithDialog");
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
    if (error == ERROR_FILE_NOT_FOUND)
      reason = "The program set up to open text files cannot be found";
    if (error == ERROR_BAD_EXE_FORMAT)
      reason = "The program set up to open text files cannot be started";
    reason += " (text files open with: " + utf16::ToUtf8(*command) + ")";
  }
  throw OpenerError(title_ + " is ready, but Windows cannot open it:\n\n" + utf16::ToUtf8(path) +
                    "\n\n" + reason);
}

namespace {

// The entry `name`, opened without following a link; others may meanwhile
// do to it only what `share` lets them.
HANDLE OpenToJudge(const std::string& name, DWORD access, DWORD share) {
  return CreateFileW(ExactPath(name).c_str(), access, share, nullptr, OPEN_EXISTING,
                     FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// What the file open as `file` holds, read from its start no further than
// the longest untouched content and a byte. A file of more than one name
// (another day's note too, perhaps) or empty, holding nothing to keep or to
// give, is none of the two.
Holding Judge(HANDLE file, const std::vector<std::string>& untouched) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (file == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(file, &information) ||
      (information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
      information.nNumberOfLinks != 1 ||
      (information.nFileSizeHigh == 0 && information.nFileSizeLow == 0)) {
    return Holding::kOther;
  }
  std::size_t longest = 0;
  for (const std::string& content : untouched) longest = std::max(longest, content.size());
  std::string bytes(longest + 1, '\0');
  std::size_t size = 0;
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return Holding::kOther;
  while (size < bytes.size()) {
    DWORD got = 0;
    if (!ReadFile(file, &bytes[size], static_cast<DWORD>(bytes.size() - size), &got, nullptr)) {
      return Holding::kOther;
    }
    if (got == 0) break;
    size += got;
  }
  bytes.resize(size);
  return std::find(untouched.begin(), untouched.end(), bytes) != untouched.end()
             ? Holding::kUntouched
             : Holding::kText;
}

// Renames the file open as `file` to `name` in the current folder, never
// replacing an entry.
bool RenameByHandle(HANDLE file, const std::string& name) {
  std::string rename = NameRequest<FILE_RENAME_INFO>(name);
  return SetFileInformationByHandle(file, FileRenameInfo, rename.data(),
                                    static_cast<DWORD>(rename.size()));
}

bool DeleteByHandle(HANDLE file) {
  FILE_DISPOSITION_INFO disposition{TRUE};
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
}

// Closes a handle on every way out.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

std::optional<Seconds> Win32Host::DayStart(std::int64_t year, int month, int day) {
  if (year < 1601 || year > 30827) return std::nullopt;
  SYSTEMTIME local{static_cast<WORD>(year), static_cast<WORD>(month), 0, static_cast<WORD>(day),
                   0, 0, 0, 0};
  SYSTEMTIME utc{};
  FILETIME start{};
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) ||
      !SystemTimeToFileTime(&utc, &start)) {
    return std::nullopt;
  }
  const std::int64_t ticks =
      (static_cast<std::int64_t>(start.dwHighDateTime) << 32) | start.dwLowDateTime;
  return (ticks - kTicksFrom1601To1970) / kTicksPerSecond;
}

std::string Win32Host::ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  return GetComputerNameW(name, &size) ? utf16::ToUtf8(std::wstring(name, size)) : "";
}

Holding Win32Host::Examine(const std::string& name, const std::vector<std::string>& untouched) {
  const Handle file(
      OpenToJudge(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE));
  return Judge(file.get(), untouched);
}

// Judged and removed through one handle that lets nobody else write to the
// file, or rename or remove it, meanwhile: what is removed is what was judged.
bool Win32Host::RemoveUntouched(const std::string& name,
                                const std::vector<std::string>& untouched) {
  const Handle file(OpenToJudge(name, GENERIC_READ | DELETE, FILE_SHARE_READ));
  if (Judge(file.get(), untouched) != Holding::kUntouched) return false;
  if (!DeleteByHandle(file.get())) Fail(NoteStep::Remove, name, GetLastError());
  return true;
}

// Windows has no exchange of two names. Both files are held so that nobody
// else can write, rename or remove either; the untouched note is renamed
// aside to a hidden name of its own, the copy is renamed to the note's name
// (which a start may have taken in the instant between: then the note goes
// back), and only then is the note's file removed, through its handle.
bool Win32Host::TakeCopy(const std::string& note, const std::string& copy,
                         const std::vector<std::string>& untouched) {
  const Handle old_note(OpenToJudge(note, GENERIC_READ | DELETE, FILE_SHARE_READ));
  const Handle words(OpenToJudge(copy, GENERIC_READ | DELETE, FILE_SHARE_READ));
  if (Judge(old_note.get(), untouched) != Holding::kUntouched ||
      Judge(words.get(), untouched) == Holding::kOther) {
    return false;
  }
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  if (!RenameByHandle(old_note.get(), CopyName(note, static_cast<std::uint64_t>(counter.QuadPart)))) {
    return false;
  }
  if (!RenameByHandle(words.get(), note)) {
    // Where the note's name was taken meanwhile, the untouched file aside
    // is of no use to anyone.
    if (!RenameByHandle(old_note.get(), note)) DeleteByHandle(old_note.get());
    return false;
  }
  DeleteByHandle(old_note.get());
  return true;
}

}  // namespace daynote
