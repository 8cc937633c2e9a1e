#pragma once

// The start folder of a search as the user typed it, followed as the
// system follows a path, and the path its entries are listed under.

#include <string>
#include <string_view>

#include "platform/posix/file_descriptor.h"

namespace brenvo1::platform::posix {

struct FolderReached {
  FileDescriptor folder;  // opened with the flags asked for; none on failure
  std::string listed;     // the path its entries are listed under
  int error = 0;          // why it could not be reached, or 0
};

// Follows a typed folder path one part at a time, each part opened
// relative to the folder before it: links where they are met, ".." from
// the folder reached, no length limit. The last part is opened with flags
// (O_PATH or O_RDONLY). The listed path is made from the same steps, so it
// always names the folder that was opened: absolute, without "." parts or
// repeated or trailing "/" (except for "/" itself), links kept as typed
// but where a ".." follows one. From a part that cannot be followed on,
// the parts stay as typed (the system cannot open such a path).
FolderReached ReachFolder(std::string_view path, int flags);

// ReachFolder's listed path alone.
std::string ListedFolderPath(std::string_view path);

}  // namespace brenvo1::platform::posix
