#pragma once

#include <string_view>

#include "platform/file_system.h"
#include "platform/read_ahead.h"

namespace brenvo1::platform::windows {

// The file-system service on Windows. Paths and names are WTF-8 inside the
// engine (see text/wtf8.h) and UTF-16 towards the system.
//
// The start folder is found the way the user typed it (relative to the
// current folder, drive-relative, UNC) and listed by its full path. Every
// call below it goes through the "\\?\" form or relative to the folder's
// own handle (windows_folder.h), so paths longer than MAX_PATH work and
// CON, NUL, COM1 and the like, with any extension, are the files they are.
//
// Within a folder, files and subfolders each come in ascending order of the
// WTF-8 bytes of their names with ASCII letters lowered, ties by raw bytes:
// the same order as on POSIX. Junctions and directory links are followed.
class WindowsFileSystem : public FileSystemService {
 public:
  explicit WindowsFileSystem(ReadAheadMode read_ahead = ReadAheadMode::WhereItPays) : read_ahead_(read_ahead) {}
  bool FolderExists(std::string_view path) override;
  OpenedFolder GetFolder(std::string_view path) override;

 private:
  ReadAheadMode read_ahead_;
};

}  // namespace brenvo1::platform::windows
