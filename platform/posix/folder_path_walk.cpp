#include "platform/posix/folder_path_walk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <vector>

namespace brenvo1::platform::posix {

namespace {

bool HoldsNul(std::string_view path) { return path.find('\0') != std::string_view::npos; }

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
  int Release() { return folder_.Release(); }

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
      // ".." leaves the folder reached, as the system takes it: after a
      // link anywhere before it, the path reached so far is the one with
      // its links resolved ("lnk/inner/.." is the link's target, as
      // "lnk/.." is the folder that holds the target).
      if (std::find(part_is_link_.begin(), part_is_link_.end(), true) != part_is_link_.end()) {
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

FolderReached ReachFolder(std::string_view path, int flags) {
  FolderPathWalk walk(path, flags);
  FolderReached reached;
  reached.listed = walk.listed().empty() ? "/" : walk.listed();
  reached.error = walk.error();
  reached.folder.Reset(walk.Release());
  return reached;
}

std::string ListedFolderPath(std::string_view path) { return ReachFolder(path, O_PATH).listed; }

}  // namespace brenvo1::platform::posix
