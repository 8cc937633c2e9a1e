#include "platform/posix/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/listed_folder.h"
#include "platform/sized_text_stream.h"

namespace brenvo1::platform::posix {

namespace {

[[noreturn]] void ThrowError(std::string path, int error_number, const char* operation) {
  std::string what = std::string(operation) + " " + path + ": " + std::strerror(error_number);
  throw FileSystemError(std::move(path), what);
}

bool HoldsNul(std::string_view path) { return path.find('\0') != std::string_view::npos; }

FolderIdentity IdentityOf(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  ~FileDescriptor() { Reset(); }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  void Reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  void Release() { fd_ = -1; }

 private:
  int fd_;
};

// What a run keeps ahead of the walk. The first read of each file asks only
// for what memory holds; while files keep coming from the disk, the files
// the walk announces are opened at once and the kernel is asked to fetch
// them, so the disk serves many requests together rather than one after
// another. Each is then read through the descriptor opened for it: one open
// per file. With the files in memory nothing is asked ahead, and a file
// costs its open and its close.
//
// The descriptors held so are few, and they go back before the walk's own
// opens run short: when an open fails for want of descriptors, everything
// held is closed and the open is tried again. A held file is never worth a
// file that cannot be read.
class RunLookAhead {
 public:
  explicit RunLookAhead(LookAhead mode) : mode_(mode) {
    struct rlimit limit;
    const rlim_t soft = ::getrlimit(RLIMIT_NOFILE, &limit) == 0 ? limit.rlim_cur : RLIM_INFINITY;
    // A sixteenth of the descriptors at most: the rest are the walk's.
    window_ = soft == RLIM_INFINITY ? kWindow : std::min<std::size_t>(kWindow, soft / 16);
  }
  ~RunLookAhead() { ReleaseAll(); }
  RunLookAhead(const RunLookAhead&) = delete;
  RunLookAhead& operator=(const RunLookAhead&) = delete;

  void FirstRead(bool from_disk) {
    if (from_disk) {
      files_left_ = kFilesAfterADiskRead;
    } else if (files_left_ > 0) {
      --files_left_;
    }
  }

  // Whether a file announced now should be opened ahead.
  bool Wanted() const {
    if (held_.size() >= window_) return false;
    return mode_ == LookAhead::Always || (mode_ == LookAhead::WhileFilesComeFromDisk && files_left_ > 0);
  }

  bool Holds(const void* folder, std::string_view name) const { return Find(folder, name) != held_.end(); }
  void Hold(const void* folder, std::string_view name, int fd) { held_.push_back({folder, std::string(name), fd}); }

  // The descriptor held for the file, handed over, or -1.
  int Take(const void* folder, std::string_view name) {
    const auto found = Find(folder, name);
    if (found == held_.end()) return -1;
    const int fd = found->fd;
    held_.erase(found);
    return fd;
  }

  void Release(const void* folder) {
    std::erase_if(held_, [folder](const Held& held) {
      if (held.folder == folder) ::close(held.fd);
      return held.folder == folder;
    });
  }

  // True when something was given back.
  bool ReleaseAll() {
    for (const Held& held : held_) ::close(held.fd);
    const bool released = !held_.empty();
    held_.clear();
    return released;
  }

 private:
  struct Held {
    const void* folder;
    std::string name;
    int fd;
  };

  std::vector<Held>::const_iterator Find(const void* folder, std::string_view name) const {
    return std::find_if(held_.begin(), held_.end(),
                        [&](const Held& held) { return held.folder == folder && held.name == name; });
  }

  static constexpr int kFilesAfterADiskRead = 64;
  static constexpr std::size_t kWindow = 16;
  LookAhead mode_;
  int files_left_ = 0;
  std::size_t window_;
  std::vector<Held> held_;  // in the order of their announcement
};

// openat that, when the process has run out of descriptors, gives back
// those held ahead and tries again.
int OpenAt(int folder, const char* name, int flags, RunLookAhead& look_ahead) {
  int fd = ::openat(folder, name, flags);
  if (fd < 0 && (errno == EMFILE || errno == ENFILE) && look_ahead.ReleaseAll()) fd = ::openat(folder, name, flags);
  return fd;
}

// O_NONBLOCK: a FIFO swapped in since the listing must not stall the run.
constexpr int kFileFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

// Read up to its end, with no stat: the listing said it is a regular file,
// and that costs a file server a request per file. What turns out to be
// something else reads as empty: a folder put in its place (EISDIR), a FIFO
// with nothing written to it (end or EAGAIN).
class PosixTextStream : public SizedTextStream {
 public:
  PosixTextStream(int fd, std::shared_ptr<RunLookAhead> look_ahead)
      : SizedTextStream(0), fd_(fd), look_ahead_(std::move(look_ahead)) {}

  void Close() override { fd_.Reset(); }

 private:
  // Asks only for what memory holds, and tells the look-ahead whether that
  // was the file's first bytes.
  std::size_t ReadFirst(char* into, std::size_t size) override {
    iovec piece{into, size};
    ssize_t got;
    do {
      got = ::preadv2(fd_.get(), &piece, 1, -1, RWF_NOWAIT);
    } while (got < 0 && errno == EINTR);
    if (got < 0 && errno != EAGAIN) return ReadSome(into, size);  // no answer where the file lives
    // Nothing at all in memory: the disk has it. A short read only says
    // the rest is not at hand yet, which a file read before can also say.
    look_ahead_->FirstRead(got < 0);
    if (got <= 0) return ReadSome(into, size);
    return static_cast<std::size_t>(got);
  }

  std::size_t ReadSome(char* into, std::size_t size) override {
    if (fd_.get() < 0) ThrowError({}, EBADF, "read");
    for (;;) {
      const ssize_t got = ::read(fd_.get(), into, size);
      if (got >= 0) return static_cast<std::size_t>(got);
      if (errno == EISDIR || errno == EAGAIN) return 0;
      if (errno != EINTR) ThrowError({}, errno, "read");
    }
  }

  std::optional<std::uint64_t> RegularFileSize() override {
    struct stat st;
    if (::fstat(fd_.get(), &st) != 0) ThrowError({}, errno, "stat");
    if (!S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
  }

  FileDescriptor fd_;
  std::shared_ptr<RunLookAhead> look_ahead_;  // a stream may outlive its folder
};

class PosixFolder : public ListedFolder {
 public:
  PosixFolder(int fd, FolderIdentity identity, std::shared_ptr<RunLookAhead> look_ahead)
      : ListedFolder(identity), fd_(fd), look_ahead_(std::move(look_ahead)) {}
  ~PosixFolder() override { look_ahead_->Release(this); }
  PosixFolder(const PosixFolder&) = delete;
  PosixFolder& operator=(const PosixFolder&) = delete;

  std::unique_ptr<Folder> GetSubFolder(const std::string& name) override {
    const int fd = OpenAt(fd_.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, *look_ahead_);
    if (fd < 0) ThrowError(name, errno, "open folder");
    return Opened(fd, name, look_ahead_);
  }

  // Opens the file now and asks the kernel to fetch it: the walk reads it
  // through this descriptor at its turn. A failure here is left for that
  // turn, which opens the file again and reports it.
  void Prefetch(const std::string& name) override {
    if (!look_ahead_->Wanted() || look_ahead_->Holds(this, name)) return;
    const int fd = ::openat(fd_.get(), name.c_str(), kFileFlags);
    if (fd < 0) return;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_WILLNEED);
    look_ahead_->Hold(this, name, fd);
  }

  std::unique_ptr<TextStream> OpenTextFile(const std::string& name) override {
    int fd = look_ahead_->Take(this, name);
    if (fd < 0) fd = OpenAt(fd_.get(), name.c_str(), kFileFlags, *look_ahead_);
    if (fd < 0) ThrowError(name, errno, "open");
    return std::make_unique<PosixTextStream>(fd, look_ahead_);
  }

  static std::unique_ptr<Folder> Opened(int fd, std::string_view path, std::shared_ptr<RunLookAhead> look_ahead) {
    struct stat st;
    if (::fstat(fd, &st) != 0) {
      const int error = errno;
      ::close(fd);
      ThrowError(std::string(path), error, "stat");
    }
    return std::make_unique<PosixFolder>(fd, IdentityOf(st), std::move(look_ahead));
  }

 private:
  enum class Kind { File, SubFolder, Neither };

  Kind KindOf(const char* name, unsigned char type) const {
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
    if (::fstatat(fd_.get(), name, &st, 0) != 0) {
      // A dangling link or a link loop is nothing to read. An entry whose
      // kind is hidden (its stat is denied) may be a folder with a whole
      // tree behind it: it is tried as one, so that it is reported as
      // unreadable, whatever its name, rather than passed over.
      const int error = errno;
      return (error == ENOENT || error == ELOOP || error == ENOTDIR) ? Kind::Neither : Kind::SubFolder;
    }
    if (S_ISREG(st.st_mode)) return Kind::File;
    if (S_ISDIR(st.st_mode)) return Kind::SubFolder;
    return Kind::Neither;
  }

  // Reads the entries straight from the folder's own descriptor: no second
  // descriptor and no directory stream to allocate per folder.
  void ReadEntries() override {
    alignas(struct dirent64) char buffer[32 * 1024];
    for (;;) {
      const ssize_t got = ::getdents64(fd_.get(), buffer, sizeof buffer);
      if (got == 0) break;
      if (got < 0) {
        if (errno == EINTR) continue;
        ThrowError({}, errno, "list");
      }
      for (ssize_t at = 0; at < got;) {
        const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + at);
        at += entry->d_reclen;
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        switch (KindOf(name, entry->d_type)) {
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
    }
  }

  FileDescriptor fd_;
  std::shared_ptr<RunLookAhead> look_ahead_;  // shared by the folders of one run
};

// The parts of a path between its slashes, without the empty ones.
std::vector<std::string_view> PartsOf(std::string_view path) {
  std::vector<std::string_view> parts;
  while (!path.empty()) {
    const auto slash = path.find('/');
    if (slash != 0) parts.push_back(path.substr(0, slash));
    path = slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
  }
  return parts;
}

std::optional<std::string> TextOfLink(int folder, const std::string& name) {
  // Links in /proc report no size: the buffer grows until the text fits.
  std::string text(256, '\0');
  for (;;) {
    const ssize_t got = ::readlinkat(folder, name.c_str(), text.data(), text.size());
    if (got < 0) return std::nullopt;
    if (static_cast<std::size_t>(got) < text.size()) {
      text.resize(static_cast<std::size_t>(got));
      return text;
    }
    text.resize(text.size() * 2);
  }
}

// The path of a folder with every link in it replaced by its target, as
// realpath(3) makes it, but read one part at a time relative to the folder
// before it, so that no length limit applies. nullopt with errno set when
// some part cannot be followed.
std::optional<std::string> PhysicalPath(std::string_view path) {
  constexpr int kMostLinks = 40;  // as the system allows in one path
  FileDescriptor at(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (at.get() < 0) return std::nullopt;
  std::string physical;
  // Parts still to follow, the next one last.
  std::vector<std::string> pending;
  const auto push_parts = [&pending](std::string_view text) {
    const std::vector<std::string_view> parts = PartsOf(text);
    for (auto part = parts.rbegin(); part != parts.rend(); ++part) pending.emplace_back(*part);
  };
  push_parts(path);
  for (int links = 0; !pending.empty();) {
    const std::string part = std::move(pending.back());
    pending.pop_back();
    if (part == ".") continue;
    if (part != "..") {
      struct stat st;
      if (::fstatat(at.get(), part.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
      if (S_ISLNK(st.st_mode)) {
        if (++links > kMostLinks) {
          errno = ELOOP;
          return std::nullopt;
        }
        const std::optional<std::string> target = TextOfLink(at.get(), part);
        if (!target) return std::nullopt;
        if (target->starts_with('/')) {
          at.Reset(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
          if (at.get() < 0) return std::nullopt;
          physical.clear();
        }
        push_parts(*target);
        continue;
      }
    }
    const int fd = ::openat(at.get(), part.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    at.Reset(fd);
    if (part == "..") {
      physical.resize(physical.empty() ? 0 : physical.rfind('/'));
    } else {
      physical.push_back('/');
      physical.append(part);
    }
  }
  return physical.empty() ? "/" : physical;
}

// A typed folder path followed one part at a time, each part opened
// relative to the folder before it, as the system follows a path: links
// where they are met, ".." from the folder reached, and no length limit.
// Alongside, the path the folder is listed under is built from the same
// steps, so it always names the folder that was opened. A part that cannot
// be followed ends the walk: it and the parts after it are kept as typed,
// never resolved by their text.
class FolderPathWalk {
 public:
  // The last part is opened with flags (O_PATH or O_RDONLY), the others
  // with O_PATH.
  FolderPathWalk(std::string_view path, int flags) {
    const bool relative = path.empty() || path.front() != '/';
    if (relative && !CurrentFolder()) {
      Fail(errno, path);
      return;
    }
    if (path.empty()) {  // the system opens no empty path
      Fail(ENOENT, path);
      return;
    }
    const std::vector<std::string_view> parts = PartsOf(path);
    folder_.Reset(::open(relative ? "." : "/", (parts.empty() ? flags : O_PATH) | O_DIRECTORY | O_CLOEXEC));
    if (folder_.get() < 0) {
      Fail(errno, path);
      return;
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
      if (const int error = Follow(std::string(parts[i]), i + 1 == parts.size() ? flags : O_PATH)) {
        Fail(error, path.substr(static_cast<std::size_t>(parts[i].data() - path.data())));
        return;
      }
    }
  }

  int error() const { return error_; }
  const std::string& listed() const { return listed_; }
  int Release() {
    const int fd = folder_.get();
    folder_.Release();
    return fd;
  }

 private:
  bool CurrentFolder() {
    std::vector<char> cwd(4096);
    while (::getcwd(cwd.data(), cwd.size()) == nullptr) {
      if (errno != ERANGE) return false;
      cwd.resize(cwd.size() * 2);
    }
    // The system gives the current folder with no link in it.
    listed_ = cwd.data();
    if (listed_ == "/") listed_.clear();
    part_is_link_.assign(PartsOf(listed_).size(), false);
    return true;
  }

  // Returns 0, or the error that stopped the part from being followed.
  int Follow(const std::string& part, int flags) {
    if (HoldsNul(part)) return ENOENT;  // would name a different, shorter part
    bool is_link = false;
    if (part != "." && part != "..") {
      struct stat st;
      if (::fstatat(folder_.get(), part.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
      is_link = S_ISLNK(st.st_mode);
    }
    const int fd = ::openat(folder_.get(), part.c_str(), flags | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    folder_.Reset(fd);
    if (part == "..") {
      // ".." leaves the folder reached, which for a link is its target, not
      // the folder that holds the link.
      if (!part_is_link_.empty() && part_is_link_.back()) {
        std::optional<std::string> physical = PhysicalPath(listed_);
        if (!physical) return errno;
        listed_ = *physical == "/" ? std::string() : std::move(*physical);
        part_is_link_.assign(PartsOf(listed_).size(), false);
      }
      if (!part_is_link_.empty()) {
        listed_.resize(listed_.rfind('/'));
        part_is_link_.pop_back();
      }
    } else if (part != ".") {
      listed_.push_back('/');
      listed_.append(part);
      part_is_link_.push_back(is_link);
    }
    return 0;
  }

  // rest: the typed path from the part that could not be followed on.
  void Fail(int error, std::string_view rest) {
    error_ = error;
    folder_.Reset();
    if (!rest.empty() && rest.front() == '/') listed_.clear();
    for (const std::string_view part : PartsOf(rest)) {
      if (part == ".") continue;
      listed_.push_back('/');
      listed_.append(part);
    }
  }

  FileDescriptor folder_;
  std::string listed_;              // empty for the root folder
  std::vector<bool> part_is_link_;  // for each part of listed_
  int error_ = 0;
};

}  // namespace

std::string ListedFolderPath(std::string_view path) {
  const FolderPathWalk walk(path, O_PATH);
  return walk.listed().empty() ? "/" : walk.listed();
}

bool PosixFileSystem::FolderExists(std::string_view path) {
  // O_PATH: a folder the user may not read still exists; reading it is
  // reported later as such.
  return FolderPathWalk(path, O_PATH).error() == 0;
}

OpenedFolder PosixFileSystem::GetFolder(std::string_view path) {
  FolderPathWalk walk(path, O_RDONLY);
  std::string listed = walk.listed().empty() ? "/" : walk.listed();
  if (walk.error() != 0) ThrowError(std::move(listed), walk.error(), "open folder");
  std::unique_ptr<Folder> folder =
      PosixFolder::Opened(walk.Release(), listed, std::make_shared<RunLookAhead>(look_ahead_));
  return {std::move(listed), std::move(folder)};
}

}  // namespace brenvo1::platform::posix
