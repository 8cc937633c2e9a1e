#include "platform/sized_text_stream.h"

#include <algorithm>
#include <cstring>

namespace brenvo1::platform {

bool SizedTextStream::AtEndOfStream() {
  if (at_end_) return true;
  if (size_known_ || lookahead_used_ < lookahead_.size()) return false;
  lookahead_.resize(4096);
  lookahead_.resize(ReadCounted(lookahead_.data(), lookahead_.size()));
  lookahead_used_ = 0;
  return at_end_;
}

std::size_t SizedTextStream::Read(std::span<char> destination) {
  if (destination.empty()) return 0;
  if (lookahead_used_ < lookahead_.size()) {
    const std::size_t n = std::min(destination.size(), lookahead_.size() - lookahead_used_);
    std::memcpy(destination.data(), lookahead_.data() + lookahead_used_, n);
    lookahead_used_ += n;
    return n;
  }
  if (at_end_) return 0;
  std::size_t wanted = destination.size();
  if (size_known_) {
    if (remaining_ == 0) {
      at_end_ = true;
      return 0;
    }
    wanted = static_cast<std::size_t>(std::min<std::uint64_t>(wanted, remaining_));
  }
  const bool sized = size_known_;
  const std::size_t got = ReadCounted(destination.data(), wanted);
  if (sized) remaining_ -= std::min<std::uint64_t>(remaining_, got);
  return got;
}

std::size_t SizedTextStream::ReadCounted(char* into, std::size_t size) {
  const std::size_t got = first_read_ ? ReadFirst(into, size) : ReadSome(into, size);
  first_read_ = false;
  if (got == 0) at_end_ = true;
  read_ += got;
  if (!size_known_ && read_ > kUnsizedLimit) LearnSize();
  return got;
}

void SizedTextStream::LearnSize() {
  const std::optional<std::uint64_t> size = RegularFileSize();
  if (!size || *size == 0) throw FileSystemError({}, "read: a file of no size that goes on past 64 MiB");
  size_known_ = true;
  remaining_ = *size > read_ ? *size - read_ : 0;
}

}  // namespace brenvo1::platform
