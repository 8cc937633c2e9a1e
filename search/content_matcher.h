#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/file_system.h"
#include "search/search_text.h"
#include "search/text_decoder.h"

namespace brenvo1::search {

// Tells whether a file's text holds the search text, reading the file in
// bounded chunks and stopping at the first hit, so memory does not grow
// with the file's size. Consecutive chunks overlap by enough bytes for a
// hit that straddles them to lie wholly in one.
class ContentMatcher {
 public:
  explicit ContentMatcher(const SearchText& text, std::size_t chunk_size = kDefaultChunkSize);

  // Throws platform::FileSystemError when the stream cannot be read.
  bool Contains(platform::TextStream& stream);

  static constexpr std::size_t kDefaultChunkSize = 256 * 1024;

 private:
  struct Window;
  bool SearchBytes(const Window& window) const;
  bool Verify(const Window& window, const std::uint8_t* anchor_at) const;
  bool SearchCharacters(platform::TextStream& stream, TextEncoding encoding, std::size_t content_start,
                        std::size_t filled, bool at_end);
  std::size_t Fill(platform::TextStream& stream, std::size_t from, bool& at_end);

  const SearchText& text_;
  std::size_t chunk_size_;
  std::size_t overlap_;
  std::vector<std::uint8_t> buffer_;
  // The two anchor bytes tested first, picked as the rarest in typical text.
  std::size_t probe_first_ = 0;
  std::size_t probe_second_ = 0;
};

}  // namespace brenvo1::search
