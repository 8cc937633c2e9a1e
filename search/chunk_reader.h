#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/file_system.h"

namespace brenvo1::search {

// Reads a stream in chunks of bounded size, so that memory does not grow
// with the file. Each chunk after the first begins with the last overlap
// bytes of the one before it. That keeps the one guarantee the searches
// rely on: every run of at most overlap bytes of the file lies wholly in at
// least one chunk, so a hit and the bytes needed to decode around it are
// never split between two chunks.
class ChunkReader {
 public:
  // A chunk holds at most overlap + chunk_size bytes, at least chunk_size
  // of them new.
  ChunkReader(std::size_t chunk_size, std::size_t overlap);

  // Starts on a fresh stream and reads its first chunk. Throws
  // platform::FileSystemError.
  void Begin(platform::TextStream& stream);
  // Reads the next chunk; false, with nothing read, when the chunk before
  // was the last. Throws platform::FileSystemError.
  bool Advance();

  const std::uint8_t* data() const { return buffer_.data(); }
  std::size_t size() const { return filled_; }
  // Offset in the file of data()[0].
  std::uint64_t offset() const { return offset_; }
  // True when no bytes of the file follow this chunk.
  bool at_end() const { return at_end_; }

 private:
  void Fill();

  std::size_t overlap_;
  std::vector<std::uint8_t> buffer_;
  platform::TextStream* stream_ = nullptr;
  std::size_t filled_ = 0;
  std::uint64_t offset_ = 0;
  bool at_end_ = false;
};

}  // namespace brenvo1::search
