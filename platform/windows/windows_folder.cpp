#include "platform/windows/windows_folder.h"

#include <winternl.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>

#include "platform/file_stream.h"
#include "platform/windows/error_text.h"
#include "platform/windows/wide_text.h"

namespace brenvo1::platform::windows {

namespace {

// Not in every SDK's headers.
constexpr ULONG kFileOpenNoRecall = 0x00400000;
constexpr DWORD kAttributeRecallOnOpen = 0x00040000;
constexpr DWORD kAttributeRecallOnDataAccess = 0x00400000;
constexpr DWORD kErrorDirectoryNotSupported = 336;

// Reading such a file would fetch it from tape or from a cloud store first.
constexpr DWORD kNotLocalAttributes = FILE_ATTRIBUTE_OFFLINE | kAttributeRecallOnOpen | kAttributeRecallOnDataAccess;

constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;

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
class WindowsTextStream : public FileStream {
 public:
  WindowsTextStream(Handle&& handle, std::uint64_t size, std::shared_ptr<ReadAheadSwitch> slow)
      : FileStream(size), handle_(std::move(handle)), slow_(std::move(slow)) {}

 private:
  // The time the first read takes tells whether the file came from a disk
  // or a server rather than from memory.
  std::size_t ReadFirst(char* into, std::size_t size) override {
    const auto start = std::chrono::steady_clock::now();
    const std::size_t got = ReadSome(into, size);
    if (got > 0) slow_->FirstRead(std::chrono::steady_clock::now() - start > kSlowRead);
    return got;
  }

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

  // Longer than memory ever takes to hand out a chunk.
  static constexpr std::chrono::milliseconds kSlowRead{2};

  Handle handle_;
  std::shared_ptr<ReadAheadSwitch> slow_;
};


FailureReason ReasonOf(DWORD error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return FailureReason::InUse;
    case ERROR_ACCESS_DENIED:
      return FailureReason::AccessDenied;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return FailureReason::Gone;
    default:
      return FailureReason::Other;
  }
}

}  // namespace

void ThrowError(std::string path, DWORD error, const char* operation) {
  std::string system_text = SystemErrorText(error);
  std::string what = std::string(operation) + " " + path + ": " + system_text;
  throw FileSystemError(std::move(path), what, ReasonOf(error), std::move(system_text));
}

bool OnNetwork(HANDLE handle) {
  constexpr ULONG kNetworkFileSystem = 0x14;  // FILE_DEVICE_NETWORK_FILE_SYSTEM
  constexpr ULONG kRemoteDevice = 0x10;       // FILE_REMOTE_DEVICE
  FILE_FS_DEVICE_INFORMATION device{};
  IO_STATUS_BLOCK status;
  if (NtQueryVolumeInformationFile(handle, &status, &device, sizeof device, FileFsDeviceInformation) < 0) {
    return false;
  }
  return device.DeviceType == kNetworkFileSystem || (device.Characteristics & kRemoteDevice) != 0;
}

std::unique_ptr<WindowsFolder> WindowsFolder::Opened(Handle&& handle, const std::string& name,
                                                     std::shared_ptr<WindowsRun> run, bool network) {
  FILE_ID_INFO info;
  if (!GetFileInformationByHandleEx(handle.get(), FileIdInfo, &info, sizeof info)) {
    ThrowError(name, GetLastError(), "stat");
  }
  return std::make_unique<WindowsFolder>(std::move(handle), IdentityOf(info), std::move(run), network);
}

WindowsFolder::WindowsFolder(Handle&& handle, FolderIdentity identity, std::shared_ptr<WindowsRun> run, bool network)
    : ListedFolder(identity), handle_(std::move(handle)), run_(std::move(run)), network_(network) {}

WindowsFolder::~WindowsFolder() { run_->read_ahead.Forget(this); }

void WindowsFolder::WillRead(std::vector<const std::string*> names) {
  will_read_.Set(std::move(names));
  ReadAheadIfItPays();
}

void WindowsFolder::ReadAheadIfItPays() {
  if (will_read_.done() || !run_->read_ahead_switch->On(network_)) return;
  if (run_->read_ahead.Planned(this)) return;
  run_->read_ahead.Plan(this, will_read_.rest(),
                        [this](const std::string& name) -> std::unique_ptr<TextStream> {
                          std::unique_ptr<FileStream> stream = OpenListedFile(name);
                          if (stream) stream->ReadAhead(ReadAhead::kChunk);
                          return stream;
                        });
}

std::unique_ptr<Folder> WindowsFolder::GetSubFolder(const std::string& name) {
  const std::optional<std::wstring> wide = WideName(name);
  if (!wide) ThrowError(name, ERROR_INVALID_NAME, "open folder");
  Handle opened;
  const DWORD error =
      OpenRelative(handle_.get(), *wide, kFolderAccess, FILE_DIRECTORY_FILE | FILE_OPEN_FOR_BACKUP_INTENT, opened);
  // A link that leads nowhere, or round in a circle of links, is no
  // folder: passed over as on POSIX.
  if (error != 0 && links_.contains(name) && NameNotFound(error)) return nullptr;
  if (error != 0) ThrowError(name, error, "open folder");
  // A link may lead onto another volume, which may lie elsewhere.
  const bool network = links_.contains(name) ? OnNetwork(opened.get()) : network_;
  return Opened(std::move(opened), name, run_, network);
}

std::unique_ptr<TextStream> WindowsFolder::OpenTextFile(const std::string& name) {
  // The file before may have shown that files come from far.
  ReadAheadIfItPays();
  will_read_.Opening(name);
  if (std::optional<std::unique_ptr<TextStream>> ahead = run_->read_ahead.Take(this, name)) return std::move(*ahead);
  return OpenListedFile(name);
}

std::unique_ptr<FileStream> WindowsFolder::OpenListedFile(const std::string& name) const {
  if (not_local_.contains(name)) ThrowError(name, ERROR_FILE_OFFLINE, "open");
  const std::optional<std::wstring> wide = WideName(name);
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
  if (!link) return std::make_unique<WindowsTextStream>(std::move(opened), 0, run_->read_ahead_switch);
  if (GetFileType(opened.get()) != FILE_TYPE_DISK) return nullptr;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(opened.get(), &info)) ThrowError(name, GetLastError(), "stat");
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return nullptr;
  if (info.dwFileAttributes & kNotLocalAttributes) ThrowError(name, ERROR_FILE_OFFLINE, "open");
  const std::uint64_t size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  return std::make_unique<WindowsTextStream>(std::move(opened), size, run_->read_ahead_switch);
}

bool WindowsFolder::IsFolderNow(const std::wstring& name) const {
  Handle opened;
  return OpenRelative(handle_.get(), name, FILE_READ_ATTRIBUTES, FILE_DIRECTORY_FILE | FILE_OPEN_FOR_BACKUP_INTENT,
                      opened) == 0;
}

bool WindowsFolder::ReadEntries(const GoOn& go_on) {
  // One buffer for the whole listing; a folder's entries come in batches
  // of as many as fit, with a look at the run between them.
  std::vector<std::uint64_t> buffer(64 * 1024 / sizeof(std::uint64_t));
  FILE_INFO_BY_HANDLE_CLASS request = FileFullDirectoryRestartInfo;
  for (;;) {
    if (!GetFileInformationByHandleEx(handle_.get(), request, buffer.data(),
                                      static_cast<DWORD>(buffer.size() * sizeof buffer[0]))) {
      const DWORD error = GetLastError();
      if (error == ERROR_NO_MORE_FILES) return true;
      ThrowError({}, error, "list");
    }
    request = FileFullDirectoryInfo;
    const auto* bytes = reinterpret_cast<const char*>(buffer.data());
    for (;;) {
      const auto* entry = reinterpret_cast<const FILE_FULL_DIR_INFO*>(bytes);
      const std::wstring_view wide(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
      if (wide != L"." && wide != L"..") Add(Wtf8Text(wide), entry->FileAttributes);
      if (entry->NextEntryOffset == 0) break;
      bytes += entry->NextEntryOffset;
    }
    if (!go_on()) return false;
  }
}

void WindowsFolder::Add(std::string name, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) links_.insert(name);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    AddSubFolder(std::move(name));
    return;
  }
  if (attributes & kNotLocalAttributes) not_local_.insert(name);
  AddFile(std::move(name));
}

}  // namespace brenvo1::platform::windows
