#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace brenvo1::platform::posix {

// The file-system service on POSIX. Folders are walked through directory
// descriptors (openat), so a full path is built only where one is needed.
// Within a folder, files and subfolders each come in ascending order of their
// names compared bytewise with ASCII letters lowered, ties by raw bytes.
// A file is an entry that is a regular file after following links; a
// directory or a link to one is a subfolder; anything else is neither.
//
// While a run's files come from the disk, files are opened when the walk
// announces them and the system is asked to fetch their content; each is
// then read through that same descriptor at its turn. Folders are never
// opened or listed ahead.
enum class LookAhead {
  WhileFilesComeFromDisk,  // what the program uses
  Always,                  // for tests of the look-ahead itself
  Never,
};

class PosixFileSystem : public FileSystemService {
 public:
  explicit PosixFileSystem(LookAhead look_ahead = LookAhead::WhileFilesComeFromDisk) : look_ahead_(look_ahead) {}
  bool FolderExists(std::string_view path) override;
  OpenedFolder GetFolder(std::string_view path) override;

 private:
  LookAhead look_ahead_;
};

// The path under which a folder's entries are listed: path made absolute
// against the current folder, without "." parts or repeated or trailing "/"
// (except for "/" itself), and with ".." resolved as the system resolves it:
// it goes up from the folder reached so far, which for a link is the link's
// target. Other links stay as typed. The path is followed one part at a time,
// as the folder is opened, however long it is; from a part that leads to no
// folder on, the parts stay as typed (the system cannot open such a path).
std::string ListedFolderPath(std::string_view path);

}  // namespace brenvo1::platform::posix
