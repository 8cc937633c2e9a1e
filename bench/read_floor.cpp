// read_floor FOLDER
//
// The least a search of FOLDER can cost on one thread: walk the tree with
// directory descriptors, open every candidate file (the ten extensions, any
// case) and read it once into one reused buffer, matching nothing. Prints
// how many files and bytes it read. Links are followed like the engine
// follows them, with the same guard against a link back to an ancestor.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "search/extension.h"

namespace {

constexpr std::size_t kBufferBytes = 128 * 1024;

struct Totals {
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;
  std::uint64_t unreadable = 0;
};


class FloorWalker {
 public:
  Totals totals;

  void Walk(int folderFd) {
    struct stat self {};
    if (::fstat(folderFd, &self) != 0) {
      ++totals.unreadable;
      ::close(folderFd);
      return;
    }
    const std::pair<dev_t, ino_t> identity{self.st_dev, self.st_ino};
    if (std::find(ancestors_.begin(), ancestors_.end(), identity) != ancestors_.end()) {
      ::close(folderFd);
      return;
    }
    DIR* dir = ::fdopendir(folderFd);
    if (dir == nullptr) {
      ++totals.unreadable;
      ::close(folderFd);
      return;
    }
    ancestors_.push_back(identity);
    // Subfolders are entered as they come: the order costs nothing to keep
    // here, and one open directory stream per level is all it needs.
    const int fd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
      const std::string_view name = entry->d_name;
      if (name == "." || name == "..") continue;
      unsigned char type = entry->d_type;
      if (type == DT_LNK || type == DT_UNKNOWN) {
        struct stat target {};
        if (::fstatat(fd, entry->d_name, &target, 0) != 0) continue;  // dangling
        type = S_ISDIR(target.st_mode) ? DT_DIR : S_ISREG(target.st_mode) ? DT_REG : DT_UNKNOWN;
      }
      if (type == DT_DIR) {
        const int sub = ::openat(fd, entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (sub < 0) {
          ++totals.unreadable;
        } else {
          Walk(sub);
        }
      } else if (type == DT_REG && brenvo1::search::IsCandidateFile(name)) {
        ReadFile(fd, entry->d_name);
      }
    }
    ::closedir(dir);
    ancestors_.pop_back();
  }

 private:
  void ReadFile(int folderFd, const char* name) {
    const int fd = ::openat(folderFd, name, O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
      ++totals.unreadable;
      return;
    }
    ++totals.files;
    for (;;) {
      const ssize_t n = ::read(fd, buffer_.data(), buffer_.size());
      if (n > 0) {
        totals.bytes += static_cast<std::uint64_t>(n);
      } else if (n == 0 || errno != EINTR) {
        if (n < 0) ++totals.unreadable;
        break;
      }
    }
    ::close(fd);
  }

  std::vector<char> buffer_ = std::vector<char>(kBufferBytes);
  std::vector<std::pair<dev_t, ino_t>> ancestors_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: read_floor FOLDER\n");
    return 2;
  }
  const int root = ::open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (root < 0) {
    std::fprintf(stderr, "read_floor: %s: %s\n", argv[1], std::strerror(errno));
    return 1;
  }
  FloorWalker walker;
  walker.Walk(root);
  std::printf("files %llu bytes %llu unreadable %llu\n", static_cast<unsigned long long>(walker.totals.files),
              static_cast<unsigned long long>(walker.totals.bytes),
              static_cast<unsigned long long>(walker.totals.unreadable));
  return walker.totals.unreadable == 0 ? 0 : 3;
}
