#include "platform/posix/posix_run.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/vfs.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/posix/folder_path_walk.h"
#include "platform/posix/posix_file.h"
#include "platform/posix/system_error.h"

namespace brenvo1::platform::posix {

namespace {

FolderIdentity IdentityOf(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// File systems whose files lie on another machine (statfs(2)'s magic
// numbers; FUSE covers sshfs and other servers reached through a program).
bool OnNetwork(int fd) {
  struct statfs info;
  if (::fstatfs(fd, &info) != 0) return false;
  switch (static_cast<unsigned long>(info.f_type)) {
    case 0x6969:      // NFS
    case 0x517B:      // SMB
    case 0xFF534D42:  // CIFS
    case 0xFE534D42:  // SMB2
    case 0x65735546:  // FUSE
    case 0x01021997:  // 9P
    case 0x00C36400:  // Ceph
    case 0x5346414F:  // AFS
    case 0x6B414653:  // kAFS
    case 0x73757245:  // Coda
    case 0x0BD00BD0:  // Lustre
    case 0x01161970:  // GFS2
    case 0x564C:      // NCP
      return true;
    default:
      return false;
  }
}

}  // namespace

FolderNode::~FolderNode() {
  if (run && fd.get() >= 0) run->Forget(*this);
}

std::shared_ptr<PosixRun> PosixRun::ForThisProcess(ReadAheadMode mode) {
  struct rlimit limit;
  const rlim_t soft = ::getrlimit(RLIMIT_NOFILE, &limit) == 0 ? limit.rlim_cur : 1024;
  // A quarter of what the process may open for folders and a sixteenth for
  // files read ahead, the rest left to the file being read and to
  // everything else the program holds.
  const rlim_t quarter = soft == RLIM_INFINITY ? 256 : soft / 4;
  const rlim_t sixteenth = soft == RLIM_INFINITY ? ReadAhead::kDepth : soft / 16;
  return std::make_shared<PosixRun>(static_cast<std::size_t>(std::clamp<rlim_t>(quarter, 1, 256)), mode,
                                    static_cast<std::size_t>(std::clamp<rlim_t>(sixteenth, 1, ReadAhead::kDepth)));
}

void PosixRun::PlanReads(FolderNode& folder, const void* key, std::vector<const std::string*> names) {
  const int fd = Descriptor(folder);
  reading_ahead_ = &folder;
  reading_ahead_key_ = key;
  const bool network = folder.network;
  // A server answers each open and each read in turn: threads wait for
  // them together. A local disk is asked for the whole file and fetches it
  // while the walk goes on: the walk's own thread opens ahead.
  read_ahead_.Plan(
      key, std::move(names),
      [fd, network, slow = switch_](const std::string& name) -> std::unique_ptr<TextStream> {
        const int file = ::openat(fd, name.c_str(), kFileFlags);
        if (file < 0 && (errno == EMFILE || errno == ENFILE)) throw ReadAhead::NotNow{};
        if (file >= 0) ::posix_fadvise(file, 0, 0, POSIX_FADV_WILLNEED);
        std::unique_ptr<FileStream> stream = OpenedFile(FileDescriptor(file), network, name, slow);
        if (stream && network) stream->ReadAhead(ReadAhead::kChunk);
        return stream;
      },
      switch_->ByThreads(network) ? ReadAhead::By::Threads : ReadAhead::By::Walk);
}

void PosixRun::EndReads(const void* key) {
  if (key != reading_ahead_key_) return;
  read_ahead_.Forget(key);
  reading_ahead_ = nullptr;
  reading_ahead_key_ = nullptr;
}

std::shared_ptr<FolderNode> PosixRun::Start(FileDescriptor fd, const struct stat& st, std::string path) {
  auto node = std::make_shared<FolderNode>();
  node->run = shared_from_this();
  node->identity = IdentityOf(st);
  node->network = OnNetwork(fd.get());
  node->fd = std::move(fd);
  start_path_ = std::move(path);
  Opened(*node);
  return node;
}

std::shared_ptr<FolderNode> PosixRun::Child(const std::shared_ptr<FolderNode>& parent, std::string name,
                                            FileDescriptor fd, const struct stat& st) {
  auto node = std::make_shared<FolderNode>();
  node->run = shared_from_this();
  node->parent = parent;
  node->name = std::move(name);
  node->identity = IdentityOf(st);
  // A folder on the same device as the one above lies on the same file
  // system: one question per mount, not per folder.
  node->network = node->identity.device == parent->identity.device ? parent->network : OnNetwork(fd.get());
  node->fd = std::move(fd);
  Opened(*node);
  return node;
}

int PosixRun::Descriptor(FolderNode& node) {
  if (node.fd.get() >= 0) {
    open_.splice(open_.end(), open_, node.place);
    return node.fd.get();
  }
  // The folders between the nearest open one (or the start) and this one,
  // this one first.
  std::vector<FolderNode*> closed;
  for (FolderNode* at = &node; at != nullptr && at->fd.get() < 0; at = at->parent.get()) closed.push_back(at);
  for (auto at = closed.rbegin(); at != closed.rend(); ++at) Reopen(**at);
  return node.fd.get();
}

void PosixRun::Reopen(FolderNode& folder) {
  const std::string& path = folder.parent ? folder.name : start_path_;
  FileDescriptor fd;
  if (folder.parent) {
    fd.Reset(OpenAt(*folder.parent, folder.name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  } else {
    FolderReached reached = ReachFolder(start_path_, O_RDONLY);
    errno = reached.error;
    fd = std::move(reached.folder);
  }
  if (fd.get() < 0) ThrowError(path, errno, "open folder");
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) ThrowError(path, errno, "stat");
  // Replaced since it was walked: what it holds now was never listed.
  if (IdentityOf(st) != folder.identity) ThrowError(path, ESTALE, "open folder");
  folder.fd = std::move(fd);
  Opened(folder);
}

int PosixRun::OpenAt(FolderNode& folder, const char* name, int flags) {
  const int at = Descriptor(folder);
  int fd = ::openat(at, name, flags);
  if (fd < 0 && (errno == EMFILE || errno == ENFILE)) {
    LetGoOfAllBut(&folder);
    fd = ::openat(at, name, flags);
  }
  return fd;
}

void PosixRun::Forget(FolderNode& node) { open_.erase(node.place); }

void PosixRun::Opened(FolderNode& node) {
  node.place = open_.insert(open_.end(), &node);
  for (auto at = open_.begin(); open_.size() > most_open_ && at != open_.end();) {
    if (*at == &node || *at == reading_ahead_) {
      ++at;
      continue;
    }
    (*at)->fd.Reset();
    at = open_.erase(at);
  }
}

void PosixRun::LetGoOfAllBut(const FolderNode* keep) {
  // What is held ahead goes first, and its threads stop using the folder.
  read_ahead_.Drop();
  reading_ahead_ = nullptr;
  reading_ahead_key_ = nullptr;
  for (auto at = open_.begin(); at != open_.end();) {
    if (*at == keep) {
      ++at;
      continue;
    }
    (*at)->fd.Reset();
    at = open_.erase(at);
  }
}

}  // namespace brenvo1::platform::posix
