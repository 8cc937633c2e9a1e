#pragma once

#include <string_view>

#include "platform/file_system.h"
#include "platform/read_ahead.h"

namespace brenvo1::platform::posix {

// The file-system service on POSIX. The start folder is followed as the
// system follows a path (folder_path_walk.h); below it, folders are walked
// through their descriptors (posix_folder.h), a bounded number of them open
// at once, and files are read ahead where that pays (posix_run.h). Within
// a folder, files and subfolders each come
// in ascending order of their names compared bytewise with ASCII letters
// lowered, ties by raw bytes.
class PosixFileSystem : public FileSystemService {
 public:
  explicit PosixFileSystem(ReadAheadMode read_ahead = ReadAheadMode::WhereItPays) : read_ahead_(read_ahead) {}
  bool FolderExists(std::string_view path) override;
  OpenedFolder GetFolder(std::string_view path) override;

 private:
  ReadAheadMode read_ahead_;
};

}  // namespace brenvo1::platform::posix
