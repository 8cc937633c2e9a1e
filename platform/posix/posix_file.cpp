#include "platform/posix/posix_file.h"

#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <optional>

#include "platform/posix/system_error.h"

namespace brenvo1::platform::posix {

namespace {

// Read up to its end. What turns out to be no regular file at the read
// reads as empty: a folder put in its place (EISDIR), a FIFO with nothing
// written to it (end or EAGAIN).
class PosixTextStream : public FileStream {
 public:
  // size 0: not known.
  PosixTextStream(FileDescriptor fd, std::uint64_t size, std::shared_ptr<ReadAheadSwitch> slow)
      : FileStream(size), fd_(std::move(fd)), slow_(std::move(slow)) {}

 private:
  // Asks first for what memory holds, to tell whether the file came from
  // a disk. Where the system cannot answer that (a network file system,
  // an old kernel), the time the read took tells.
  std::size_t ReadFirst(char* into, std::size_t size) override {
    iovec piece{into, size};
    ssize_t got;
    do {
      got = ::preadv2(fd_.get(), &piece, 1, -1, RWF_NOWAIT);
    } while (got < 0 && errno == EINTR);
    if (got >= 0) {
      // A short read only says the rest is not at hand yet, which a file
      // read before can also say.
      if (got > 0) slow_->FirstRead(false);
      return static_cast<std::size_t>(got);
    }
    if (got < 0 && errno == EAGAIN) {
      slow_->FirstRead(true);
      return ReadSome(into, size);
    }
    const auto start = std::chrono::steady_clock::now();
    const std::size_t read = ReadSome(into, size);
    slow_->FirstRead(std::chrono::steady_clock::now() - start > kSlowRead);
    return read;
  }

  std::size_t ReadSome(char* into, std::size_t size) override {
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

  // Longer than memory ever takes to hand out a chunk.
  static constexpr std::chrono::milliseconds kSlowRead{2};

  FileDescriptor fd_;
  std::shared_ptr<ReadAheadSwitch> slow_;
};

}  // namespace

std::unique_ptr<FileStream> OpenedFile(FileDescriptor fd, bool network, const std::string& name,
                                       std::shared_ptr<ReadAheadSwitch> slow) {
  if (fd.get() < 0) ThrowError(name, errno, "open");
  // The size it has now spares the read that would only find the end.
  std::uint64_t size = 0;
  if (!network) {
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) ThrowError(name, errno, "stat");
    if (!S_ISREG(st.st_mode)) return nullptr;
    size = static_cast<std::uint64_t>(st.st_size);
  }
  return std::make_unique<PosixTextStream>(std::move(fd), size, std::move(slow));
}

}  // namespace brenvo1::platform::posix
