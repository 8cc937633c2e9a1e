#include "tests/hostile/temp_tree.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace brenvo1::testing {

namespace {

[[noreturn]] void Throw(const std::string& what, const std::string& path) {
  throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

}  // namespace

TempTree::TempTree() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/brenvo1-hostile-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) Throw("mkdtemp", pattern);
  // Other users must reach the tree: some runs drop to an unprivileged user.
  ::chmod(pattern.c_str(), 0755);
  root_ = std::filesystem::weakly_canonical(pattern).string();
}

TempTree::~TempTree() {
  for (const std::string& path : changed_modes_) {
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0) ::chmod(path.c_str(), S_ISDIR(st.st_mode) ? 0755 : 0644);
  }
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

std::string TempTree::Path(std::string_view relative) const {
  return relative.empty() ? root_ : root_ + "/" + std::string(relative);
}

void TempTree::Folder(std::string_view relative) { std::filesystem::create_directories(Path(relative)); }

void TempTree::File(std::string_view relative, std::string_view content) {
  const std::string path = Path(relative);
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) Throw("create", path);
  const bool written = ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
  ::close(fd);
  if (!written) Throw("write", path);
}

void TempTree::Link(std::string_view relative, std::string_view target) {
  const std::string path = Path(relative);
  if (::symlink(std::string(target).c_str(), path.c_str()) != 0) Throw("symlink", path);
}

void TempTree::Fifo(std::string_view relative) {
  const std::string path = Path(relative);
  if (::mkfifo(path.c_str(), 0644) != 0) Throw("mkfifo", path);
}

void TempTree::Socket(std::string_view relative) {
  const std::string path = Path(relative);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) throw std::runtime_error("socket path too long: " + path);
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) Throw("socket", path);
  const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  if (!bound) Throw("bind", path);
}

void TempTree::SparseFile(std::string_view relative, std::uint64_t size, std::string_view tail) {
  const std::string path = Path(relative);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) Throw("create", path);
  const auto tail_at = static_cast<off_t>(size - tail.size());
  const bool made = ::ftruncate(fd, static_cast<off_t>(size)) == 0 &&
                    ::pwrite(fd, tail.data(), tail.size(), tail_at) == static_cast<ssize_t>(tail.size());
  ::close(fd);
  if (!made) Throw("sparse file", path);
}

void TempTree::Chmod(std::string_view relative, mode_t mode) {
  const std::string path = Path(relative);
  if (::chmod(path.c_str(), mode) != 0) Throw("chmod", path);
  changed_modes_.push_back(path);
}

void TempTree::Remove(std::string_view relative) { std::filesystem::remove_all(Path(relative)); }

void TempTree::Rename(std::string_view from, std::string_view to) {
  const std::string source = Path(from);
  if (::rename(source.c_str(), Path(to).c_str()) != 0) Throw("rename", source);
}

}  // namespace brenvo1::testing
