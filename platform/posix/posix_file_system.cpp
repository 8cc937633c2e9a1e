#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/posix/folder_path_walk.h"
#include "platform/posix/posix_folder.h"
#include "platform/posix/system_error.h"

namespace brenvo1::platform::posix {

bool PosixFileSystem::FolderExists(std::string_view path) {
  // O_PATH: a folder the user may not read still exists; reading it is
  // reported later as such.
  const FolderReached reached = ReachFolder(path, O_PATH);
  // Out of descriptors or memory, the system could not look: no answer
  // about the folder, and certainly not that it is missing.
  if (reached.error == EMFILE || reached.error == ENFILE || reached.error == ENOMEM) {
    ThrowError(reached.listed, reached.error, "open folder");
  }
  return reached.error == 0;
}

OpenedFolder PosixFileSystem::GetFolder(std::string_view path) {
  FolderReached reached = ReachFolder(path, O_RDONLY);
  if (reached.error != 0) ThrowError(reached.listed, reached.error, "open folder");
  struct stat st;
  if (::fstat(reached.folder.get(), &st) != 0) ThrowError(reached.listed, errno, "stat");
  std::shared_ptr<FolderNode> node = PosixRun::ForThisProcess(read_ahead_)->Start(std::move(reached.folder), st, reached.listed);
  return {reached.listed, std::make_unique<PosixFolder>(std::move(node))};
}

}  // namespace brenvo1::platform::posix
