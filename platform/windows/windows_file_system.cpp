#include "platform/windows/windows_file_system.h"

#include "platform/windows/folder_path_forms.h"
#include "platform/windows/wide_text.h"
#include "platform/windows/windows_folder.h"

namespace brenvo1::platform::windows {

namespace {

constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;

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

bool WindowsFileSystem::FolderExists(std::string_view path) {
  const std::optional<std::wstring> wide = WideName(path);
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
  const std::optional<std::wstring> wide = WideName(path);
  if (!wide) ThrowError(std::string(path), ERROR_INVALID_NAME, "open folder");
  const std::optional<std::wstring> full = FullFolderPath(*wide);
  if (!full) ThrowError(std::string(path), ERROR_INVALID_NAME, "open folder");
  std::string listed = Wtf8Text(*full);
  Handle opened;
  const DWORD error = OpenFolderByPath(ExtendedLengthPath(*full), opened);
  if (error != 0) ThrowError(std::move(listed), error, "open folder");
  const bool network = OnNetwork(opened.get());
  std::unique_ptr<Folder> folder =
      WindowsFolder::Opened(std::move(opened), listed, std::make_shared<WindowsRun>(read_ahead_), network);
  return {std::move(listed), std::move(folder)};
}

}  // namespace brenvo1::platform::windows
