#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace brenvo1::platform::windows {

// The file-system service on Windows. Paths and names are WTF-8 inside the
// engine (see wtf8.h) and UTF-16 towards the system.
//
// The start folder is found the way the user typed it (relative to the
// current folder, drive-relative, UNC) and listed by its full path. Every
// call below it goes through the "\\?\" form or relative to the folder's
// own handle, so paths longer than MAX_PATH work and CON, NUL, COM1 and the
// like, with any extension, are the files they are.
//
// Within a folder, files and subfolders each come in ascending order of the
// WTF-8 bytes of their names with ASCII letters lowered, ties by raw bytes:
// the same order as on POSIX. Junctions and directory links are followed.
// Only disk files are read; a file that is locked, denied, offline or that
// would be recalled from a cloud store by reading it is reported unreadable.
class WindowsFileSystem : public FileSystemService {
 public:
  bool FolderExists(std::string_view path) override;
  OpenedFolder GetFolder(std::string_view path) override;
};

// path as UTF-16; nullopt when it is not WTF-8 or holds a NUL, so that it
// cannot name any file.
std::optional<std::wstring> WideFromWtf8(std::string_view path);
std::string Wtf8FromWide(std::wstring_view path);

// The full path the system makes of a typed path: separator "\", "." and
// ".." resolved, no trailing separator except after a drive's root (C:\,
// \\?\C:\, \\.\C:\). A last part that names a device is the folder of that
// name, trimmed as the system trims names. A \\?\ path is taken as spelled,
// only its "." and ".." parts resolved. nullopt when it cannot be made.
std::optional<std::wstring> FullFolderPath(std::wstring_view typed);

// The "\\?\" or "\\?\UNC\" form of a full path (also of a "\\.\" one), which
// the system takes without parsing: no length limit, no device names, no
// trimming.
std::wstring ExtendedLengthPath(std::wstring_view full);

}  // namespace brenvo1::platform::windows
