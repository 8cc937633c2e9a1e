#include "platform/windows/windows_file_system.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstring>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/listed_folder.h"
#include "platform/sized_text_stream.h"
#include "platform/windows/error_text.h"
#include "text/wtf8.h"

namespace brenvo1::platform::windows {

namespace {

// Not in every SDK's headers.
constexpr ULONG kFileOpenNoRecall = 0x00400000;
constexpr DWORD kAttributeRecallOnOpen = 0x00040000;
constexpr DWORD kAttributeRecallOnDataAccess = 0x00400000;
constexpr DWORD kErrorDirectoryNotSupported = 336;

// Reading such a file would fetch it from tape or from a cloud store first.
constexpr DWORD kNotLocalAttributes = FILE_ATTRIBUTE_OFFLINE | kAttributeRecallOnOpen | kAttributeRecallOnDataAccess;

[[noreturn]] void ThrowError(std::string path, DWORD error, const char* operation) {
  std::string what = std::string(operation) + " " + path + ": " + SystemErrorText(error);
  throw FileSystemError(std::move(path), what);
}

class Handle {
 public:
  explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  ~Handle() { Reset(); }
  Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  void Reset() {
    if (valid()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

// Opens name relative to the folder handle parent, as openat does: one
// component, taken literally by the system, whatever its length or name.
// Returns the Win32 error code, 0 on success.
DWORD OpenRelative(HANDLE parent, const std::wstring& name, ACCESS_MASK access, ULONG options, Handle& opened) {
  if (name.size() * sizeof(wchar_t) > 0xFFFF) return ERROR_FILENAME_EXCED_RANGE;
  UNICODE_STRING unicode_name;
  unicode_name.Buffer = const_cast<wchar_t*>(name.c_str());
  unicode_name.Length = unicode_name.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  OBJECT_ATTRIBUTES attributes;
  // Names come from the listing exactly as stored: matched as they are.
  InitializeObjectAttributes(&attributes, &unicode_name, 0, parent, nullptr);
  IO_STATUS_BLOCK status_block;
  HANDLE handle = INVALID_HANDLE_VALUE;
  const NTSTATUS status = NtCreateFile(&handle, access | SYNCHRONIZE, &attributes, &status_block, nullptr, 0,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                                       options | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
  if (status < 0) return RtlNtStatusToDosError(status);
  opened = Handle(handle);
  return 0;
}

bool NameNotFound(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_CANT_RESOLVE_FILENAME ||
         error == ERROR_CANT_ACCESS_FILE || error == ERROR_INVALID_REPARSE_DATA;
}

// One query, where GetFileInformationByHandle makes two (the file's and its
// volume's). NTFS ids fit in their low half; the high half, which ReFS
// uses, is folded into the volume's part.
FolderIdentity IdentityOf(const FILE_ID_INFO& info) {
  std::uint64_t low = 0;
  std::uint64_t high = 0;
  static_assert(sizeof info.FileId.Identifier == 2 * sizeof low);
  std::memcpy(&low, info.FileId.Identifier, sizeof low);
  std::memcpy(&high, info.FileId.Identifier + sizeof low, sizeof high);
  return {info.VolumeSerialNumber ^ (high * 0x9E3779B97F4A7C15ull), low};
}

// Read up to its end: the listing told what the file is, and asking the
// system for its size costs a file server a request per file.
class WindowsTextStream : public SizedTextStream {
 public:
  WindowsTextStream(Handle&& handle, std::uint64_t size) : SizedTextStream(size), handle_(std::move(handle)) {}

  void Close() override { handle_.Reset(); }

 private:
  std::size_t ReadSome(char* into, std::size_t size) override {
    if (!handle_.valid()) ThrowError({}, ERROR_INVALID_HANDLE, "read");
    DWORD got = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!ReadFile(handle_.get(), into, wanted, &got, nullptr)) {
      const DWORD error = GetLastError();
      if (error != ERROR_HANDLE_EOF) ThrowError({}, error, "read");
    }
    return got;
  }

  std::optional<std::uint64_t> RegularFileSize() override {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_.get(), &size)) ThrowError({}, GetLastError(), "stat");
    return static_cast<std::uint64_t>(size.QuadPart);
  }

  Handle handle_;
};

constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;

class WindowsFolder : public ListedFolder {
 public:
  WindowsFolder(Handle&& handle, FolderIdentity identity) : ListedFolder(identity), handle_(std::move(handle)) {}

  std::unique_ptr<Folder> GetSubFolder(const std::string& name) override {
    const std::optional<std::wstring> wide = WideFromWtf8(name);
    if (!wide) ThrowError(name, ERROR_INVALID_NAME, "open folder");
    Handle opened;
    const DWORD error =
        OpenRelative(handle_.get(), *wide, kFolderAccess, FILE_DIRECTORY_FILE | FILE_OPEN_FOR_BACKUP_INTENT, opened);
    // A link that leads nowhere, or round in a circle of links, is no
    // folder: passed over as on POSIX.
    if (error != 0 && links_.contains(name) && NameNotFound(error)) return nullptr;
    if (error != 0) ThrowError(name, error, "open folder");
    return Opened(std::move(opened), name);
  }

  std::unique_ptr<TextStream> OpenTextFile(const std::string& name) override {
    if (not_local_.contains(name)) ThrowError(name, ERROR_FILE_OFFLINE, "open");
    const std::optional<std::wstring> wide = WideFromWtf8(name);
    if (!wide) ThrowError(name, ERROR_INVALID_NAME, "open");
    Handle opened;
    const DWORD error = OpenRelative(handle_.get(), *wide, FILE_READ_DATA | FILE_READ_ATTRIBUTES,
                                     FILE_NON_DIRECTORY_FILE | FILE_SEQUENTIAL_ONLY | kFileOpenNoRecall, opened);
    if (error == kErrorDirectoryNotSupported || error == ERROR_ACCESS_DENIED) {
      // A folder put in the file's place since the listing answers so.
      if (IsFolderNow(*wide)) return nullptr;
    }
    const bool link = links_.contains(name);
    if (error != 0 && link && NameNotFound(error)) return nullptr;
    if (error != 0) ThrowError(name, error, "open");
    // The listing shows a plain file's own attributes; a link's are its
    // own, not its target's, which are asked for here.
    if (!link) return std::make_unique<WindowsTextStream>(std::move(opened), 0);
    if (GetFileType(opened.get()) != FILE_TYPE_DISK) return nullptr;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(opened.get(), &info)) ThrowError(name, GetLastError(), "stat");
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return nullptr;
    if (info.dwFileAttributes & kNotLocalAttributes) ThrowError(name, ERROR_FILE_OFFLINE, "open");
    const std::uint64_t size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return std::make_unique<WindowsTextStream>(std::move(opened), size);
  }

  static std::unique_ptr<Folder> Opened(Handle&& handle, const std::string& path) {
    FILE_ID_INFO info;
    if (!GetFileInformationByHandleEx(handle.get(), FileIdInfo, &info, sizeof info)) {
      ThrowError(path, GetLastError(), "stat");
    }
    return std::make_unique<WindowsFolder>(std::move(handle), IdentityOf(info));
  }

 private:
  bool IsFolderNow(const std::wstring& name) const {
    Handle opened;
    return OpenRelative(handle_.get(), name, FILE_READ_ATTRIBUTES, FILE_DIRECTORY_FILE | FILE_OPEN_FOR_BACKUP_INTENT,
                        opened) == 0;
  }

  void ReadEntries() override {
    // One buffer for the whole listing; a folder's entries come in batches
    // of as many as fit.
    std::vector<std::uint64_t> buffer(64 * 1024 / sizeof(std::uint64_t));
    FILE_INFO_BY_HANDLE_CLASS request = FileFullDirectoryRestartInfo;
    for (;;) {
      if (!GetFileInformationByHandleEx(handle_.get(), request, buffer.data(),
                                        static_cast<DWORD>(buffer.size() * sizeof buffer[0]))) {
        const DWORD error = GetLastError();
        if (error == ERROR_NO_MORE_FILES) break;
        ThrowError({}, error, "list");
      }
      request = FileFullDirectoryInfo;
      const auto* bytes = reinterpret_cast<const char*>(buffer.data());
      for (;;) {
        const auto* entry = reinterpret_cast<const FILE_FULL_DIR_INFO*>(bytes);
        const std::wstring_view wide(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
        if (wide != L"." && wide != L"..") Add(Wtf8FromWide(wide), entry->FileAttributes);
        if (entry->NextEntryOffset == 0) break;
        bytes += entry->NextEntryOffset;
      }
    }
  }

  void Add(std::string name, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) links_.insert(name);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      AddSubFolder(std::move(name));
      return;
    }
    if (attributes & kNotLocalAttributes) not_local_.insert(name);
    AddFile(std::move(name));
  }

  Handle handle_;
  std::unordered_set<std::string> links_;      // reparse points: junctions, links
  std::unordered_set<std::string> not_local_;  // offline or recalled on reading
};

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Opens a folder by its "\\?\" path, following links to it.
DWORD OpenFolderByPath(const std::wstring& extended, Handle& opened) {
  const HANDLE handle = CreateFileW(extended.c_str(), kFolderAccess | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return GetLastError();
  opened = Handle(handle);
  return 0;
}

}  // namespace

std::optional<std::wstring> WideFromWtf8(std::string_view path) {
  if (path.find('\0') != std::string_view::npos) return std::nullopt;
  const std::optional<std::u16string> units = text::Utf16FromWtf8(path);
  if (!units) return std::nullopt;
  return std::wstring(units->begin(), units->end());
}

std::string Wtf8FromWide(std::wstring_view path) {
  return text::Wtf8FromUtf16(std::u16string(path.begin(), path.end()));
}

namespace {

std::optional<std::wstring> SystemFullPath(const std::wstring& input) {
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFullPathNameW(input.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return std::nullopt;
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.resize(length);
  }
}

bool IsDevicePath(std::wstring_view path) { return path.starts_with(L"\\\\.\\") || path.starts_with(L"\\\\?\\"); }

// The end of the first parts of path that begin at from: the separator
// after the last of them, or the path's end.
std::size_t EndOfParts(std::wstring_view path, std::size_t from, int parts) {
  std::size_t at = from;
  for (int i = 0; i < parts && at < path.size(); ++i) {
    at = path.find(L'\\', i == 0 ? at : at + 1);
    if (at == std::wstring_view::npos) return path.size();
  }
  return at;
}

// How much of a full path its root takes. A drive's root keeps its
// separator (C:\ and the device forms \\?\C:\ and \\.\C:\, which without it
// name the volume, not its root folder); a share's root needs none
// (\\server\share, \\?\UNC\server\share).
std::size_t RootLength(std::wstring_view full) {
  if (full.starts_with(L"\\\\?\\UNC\\")) return EndOfParts(full, 8, 2);
  if (IsDevicePath(full)) {
    const std::size_t end = EndOfParts(full, 4, 1);
    return end < full.size() ? end + 1 : end;
  }
  if (full.size() >= 3 && full[1] == L':' && IsSeparator(full[2])) return 3;
  if (full.size() >= 2 && IsSeparator(full[0]) && IsSeparator(full[1])) return EndOfParts(full, 2, 2);
  return 1;
}

// The system takes a \\?\ path as it is spelled: it trims no name and
// reads no device in it, so "dir." is the folder "dir.", not "dir". Only its
// "." and ".." parts are resolved here (".." stopping at the root), as the
// system would refuse them as names.
std::wstring LiteralFullPath(std::wstring_view typed) {
  const std::size_t root = RootLength(typed);
  std::vector<std::wstring_view> kept;
  for (std::wstring_view rest = typed.substr(root); !rest.empty();) {
    const std::size_t cut = rest.find(L'\\');
    const std::wstring_view part = rest.substr(0, cut);
    rest = cut == std::wstring_view::npos ? std::wstring_view() : rest.substr(cut + 1);
    if (part == L"..") {
      if (!kept.empty()) kept.pop_back();
    } else if (!part.empty() && part != L".") {
      kept.push_back(part);
    }
  }
  std::wstring full(typed.substr(0, root));
  for (const std::wstring_view part : kept) {
    if (full.back() != L'\\') full.push_back(L'\\');
    full.append(part);
  }
  return full;
}

}  // namespace

std::optional<std::wstring> FullFolderPath(std::wstring_view typed) {
  if (typed.empty()) return std::nullopt;
  if (typed.starts_with(L"\\\\?\\")) return LiteralFullPath(typed);
  std::wstring input(typed);
  if (input.starts_with(L"\\\\.\\")) {
    // The system would let ".." climb over the drive of such a path, to the
    // bare device prefix: its dots are resolved first, stopping at the root.
    std::replace(input.begin(), input.end(), L'/', L'\\');
    input = LiteralFullPath(input);
  }
  std::optional<std::wstring> full = SystemFullPath(input);
  if (!full) return std::nullopt;
  if (IsDevicePath(*full) && !IsDevicePath(input)) {
    // A last part such as "con" or "NUL.txt" made the system name its
    // device; the user meant the folder of that name where it is typed,
    // trimmed of trailing dots and spaces as the system trims any other
    // name ("AUX " is the folder "AUX", as "a " is "a").
    const std::size_t cut = input.find_last_of(L"\\/:");
    const std::wstring parent = cut == std::wstring::npos ? L"." : input.substr(0, cut + 1);
    std::wstring_view name = std::wstring_view(input).substr(cut == std::wstring::npos ? 0 : cut + 1);
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.remove_suffix(1);
    full = SystemFullPath(parent);
    if (!full || IsDevicePath(*full) || name.empty()) return std::nullopt;
    if (full->empty() || !IsSeparator(full->back())) full->push_back(L'\\');
    full->append(name);
  }
  const std::size_t root = RootLength(*full);
  while (full->size() > root && IsSeparator(full->back())) full->pop_back();
  return full;
}

std::wstring ExtendedLengthPath(std::wstring_view full) {
  if (full.starts_with(L"\\\\?\\")) return std::wstring(full);
  // The same path, but no longer parsed by the system on the way.
  if (full.starts_with(L"\\\\.\\")) return L"\\\\?\\" + std::wstring(full.substr(4));
  if (full.size() >= 2 && IsSeparator(full[0]) && IsSeparator(full[1])) {
    return L"\\\\?\\UNC\\" + std::wstring(full.substr(2));
  }
  return L"\\\\?\\" + std::wstring(full);
}

bool WindowsFileSystem::FolderExists(std::string_view path) {
  const std::optional<std::wstring> wide = WideFromWtf8(path);
  if (!wide) return false;
  const std::optional<std::wstring> full = FullFolderPath(*wide);
  if (!full) return false;
  Handle opened;
  if (OpenFolderByPath(ExtendedLengthPath(*full), opened) != 0) {
    // A folder that exists but may not be opened is still a folder; it is
    // then reported as unreadable rather than as missing.
    const DWORD attributes = GetFileAttributesW(ExtendedLengthPath(*full).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  }
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileInformationByHandle(opened.get(), &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

OpenedFolder WindowsFileSystem::GetFolder(std::string_view path) {
  const std::optional<std::wstring> wide = WideFromWtf8(path);
  if (!wide) ThrowError(std::string(path), ERROR_INVALID_NAME, "open folder");
  const std::optional<std::wstring> full = FullFolderPath(*wide);
  if (!full) ThrowError(std::string(path), ERROR_INVALID_NAME, "open folder");
  std::string listed = Wtf8FromWide(*full);
  Handle opened;
  const DWORD error = OpenFolderByPath(ExtendedLengthPath(*full), opened);
  if (error != 0) ThrowError(std::move(listed), error, "open folder");
  std::unique_ptr<Folder> folder = WindowsFolder::Opened(std::move(opened), listed);
  return {std::move(listed), std::move(folder)};
}

}  // namespace brenvo1::platform::windows
