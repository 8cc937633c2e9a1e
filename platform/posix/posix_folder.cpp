#include "platform/posix/posix_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "platform/posix/posix_file.h"
#include "platform/posix/system_error.h"

namespace brenvo1::platform::posix {

namespace {

enum class Kind { File, SubFolder, Neither };

Kind KindOf(int folder, const char* name, unsigned char type) {
  switch (type) {
    case DT_REG:
      return Kind::File;
    case DT_DIR:
      return Kind::SubFolder;
    case DT_LNK:
    case DT_UNKNOWN:
      break;
    default:
      return Kind::Neither;  // FIFO, socket, device
  }
  struct stat st;
  if (::fstatat(folder, name, &st, 0) != 0) {
    // A dangling link or a link loop is nothing to read. An entry whose
    // kind is hidden (its stat is denied) may be a folder with a whole tree
    // behind it: it is tried as one, so that it is reported as unreadable,
    // whatever its name, rather than passed over.
    const int error = errno;
    return (error == ENOENT || error == ELOOP || error == ENOTDIR) ? Kind::Neither : Kind::SubFolder;
  }
  if (S_ISREG(st.st_mode)) return Kind::File;
  if (S_ISDIR(st.st_mode)) return Kind::SubFolder;
  return Kind::Neither;
}

}  // namespace

PosixFolder::PosixFolder(std::shared_ptr<FolderNode> node)
    : ListedFolder(node->identity), node_(std::move(node)) {}

PosixFolder::~PosixFolder() { node_->run->EndReads(this); }

void PosixFolder::WillRead(std::vector<const std::string*> names) {
  will_read_.Set(std::move(names));
  ReadAheadIfItPays();
}

void PosixFolder::ReadAheadIfItPays() {
  PosixRun& run = *node_->run;
  if (will_read_.done() || !run.read_ahead_switch()->On(node_->network)) return;
  if (run.read_ahead().Planned(this)) return;
  run.PlanReads(*node_, this, will_read_.rest());
}

std::unique_ptr<Folder> PosixFolder::GetSubFolder(const std::string& name) {
  FileDescriptor fd(node_->run->OpenAt(*node_, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() < 0) ThrowError(name, errno, "open folder");
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) ThrowError(name, errno, "stat");
  return std::make_unique<PosixFolder>(node_->run->Child(node_, name, std::move(fd), st));
}

std::unique_ptr<TextStream> PosixFolder::OpenTextFile(const std::string& name) {
  // The file before may have shown that files come from a disk.
  ReadAheadIfItPays();
  will_read_.Opening(name);
  PosixRun& run = *node_->run;
  if (std::optional<std::unique_ptr<TextStream>> ahead = run.read_ahead().Take(this, name)) return std::move(*ahead);
  return OpenedFile(FileDescriptor(run.OpenAt(*node_, name.c_str(), kFileFlags)), node_->network, name,
                    run.read_ahead_switch());
}

// Reads the entries straight from the folder's own descriptor: no second
// descriptor and no directory stream to allocate per folder.
bool PosixFolder::ReadEntries(const GoOn& go_on) {
  const int fd = node_->run->Descriptor(*node_);
  alignas(struct dirent64) char buffer[32 * 1024];
  for (;;) {
    const ssize_t got = ::getdents64(fd, buffer, sizeof buffer);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      ThrowError({}, errno, "list");
    }
    int since_asked = 0;
    for (ssize_t at = 0; at < got;) {
      const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + at);
      at += entry->d_reclen;
      const char* name = entry->d_name;
      if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
      // Links need a question to the system each; a folder of a hundred
      // thousand of them is a long listing.
      if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
        if (++since_asked % 64 == 0 && !go_on()) return false;
      }
      switch (KindOf(fd, name, entry->d_type)) {
        case Kind::File:
          AddFile(name);
          break;
        case Kind::SubFolder:
          AddSubFolder(name);
          break;
        case Kind::Neither:
          break;
      }
    }
    if (!go_on()) return false;
  }
}

}  // namespace brenvo1::platform::posix
