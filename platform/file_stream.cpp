#include "platform/file_stream.h"

#include <algorithm>
#include <cstring>

namespace brenvo1::platform {

std::size_t FileStream::Read(std::span<char> destination) {
  if (destination.empty()) return 0;
  if (ahead_used_ < ahead_size_) {
    const std::size_t n = std::min(destination.size(), ahead_size_ - ahead_used_);
    std::memcpy(destination.data(), ahead_.get() + ahead_used_, n);
    ahead_used_ += n;
    if (ahead_used_ == ahead_size_) ahead_.reset();
    return n;
  }
  return ReadFromFile(destination.data(), destination.size());
}

void FileStream::ReadAhead(std::size_t size) {
  ahead_ = std::make_unique_for_overwrite<char[]>(size);
  std::size_t filled = 0;
  while (filled < size) {
    const std::size_t got = ReadFromFile(ahead_.get() + filled, size - filled);
    if (got == 0) break;
    filled += got;
  }
  ahead_size_ = filled;
  ahead_used_ = 0;
}

std::size_t FileStream::ReadFromFile(char* into, std::size_t size) {
  if (at_end_) return 0;
  std::size_t wanted = size;
  if (size_known_) {
    if (remaining_ == 0) {
      at_end_ = true;
      return 0;
    }
    wanted = static_cast<std::size_t>(std::min<std::uint64_t>(wanted, remaining_));
  }
  const bool sized = size_known_;
  const std::size_t got = ReadCounted(into, wanted);
  if (sized) remaining_ -= std::min<std::uint64_t>(remaining_, got);
  return got;
}

std::size_t FileStream::ReadCounted(char* into, std::size_t size) {
  const std::size_t got = first_read_ ? ReadFirst(into, size) : ReadSome(into, size);
  first_read_ = false;
  if (got == 0) at_end_ = true;
  read_ += got;
  if (!size_known_ && read_ > kUnsizedLimit) LearnSize();
  return got;
}

void FileStream::LearnSize() {
  const std::optional<std::uint64_t> size = RegularFileSize();
  if (!size || *size == 0) throw FileSystemError({}, "read: a file of no size that goes on past 64 MiB");
  size_known_ = true;
  remaining_ = *size > read_ ? *size - read_ : 0;
}

}  // namespace brenvo1::platform
