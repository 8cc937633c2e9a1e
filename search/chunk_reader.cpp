#include "search/chunk_reader.h"

#include <cstring>

namespace brenvo1::search {

ChunkReader::ChunkReader(std::size_t chunk_size, std::size_t overlap)
    : overlap_(overlap), buffer_(overlap + chunk_size) {}

void ChunkReader::Begin(platform::TextStream& stream) {
  stream_ = &stream;
  filled_ = 0;
  offset_ = 0;
  at_end_ = false;
  Fill();
}

bool ChunkReader::Advance() {
  if (at_end_) return false;
  const std::size_t keep = filled_ < overlap_ ? filled_ : overlap_;
  std::memmove(buffer_.data(), buffer_.data() + filled_ - keep, keep);
  offset_ += filled_ - keep;
  filled_ = keep;
  Fill();
  return true;
}

void ChunkReader::Fill() {
  while (filled_ < buffer_.size()) {
    const std::size_t got =
        stream_->Read({reinterpret_cast<char*>(buffer_.data()) + filled_, buffer_.size() - filled_});
    if (got == 0) {
      at_end_ = true;
      return;
    }
    filled_ += got;
  }
}

}  // namespace brenvo1::search
