#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "search/byte_probe.h"
#include "search/search_text.h"
#include "search/text_decoder.h"

namespace brenvo1::search {

// Tells whether a file's text holds the search text, reading the file in
// bounded chunks and stopping at the first hit, so memory does not grow
// with the file's size. Consecutive chunks overlap by enough bytes for a
// hit that straddles them to lie wholly in one.
//
// Most files are searched on their bytes: the search text's anchor (a run
// of characters that only plain ASCII units can spell) is looked for with
// vector instructions, and only where it occurs are the characters around
// it decoded and compared. Search texts without an anchor are followed
// character by character.
class ContentMatcher {
 public:
  explicit ContentMatcher(const SearchText& text, std::size_t chunk_size = kDefaultChunkSize);

  // Throws platform::FileSystemError when the stream cannot be read.
  bool Contains(platform::TextStream& stream);

  static constexpr std::size_t kDefaultChunkSize = 256 * 1024;

 private:
  // The anchor as it is spelled in one encoding.
  struct AnchorBytes {
    std::string values;  // letters in lower case
    std::string masks;   // 0x20 on letters: either case matches
    BytePair probe;      // two rare bytes of it, tested first
    std::size_t unit = 1;
  };
  struct Window;

  static AnchorBytes SpellAnchor(const SearchText& text, TextEncoding encoding);
  bool SearchBytes(const Window& window, const AnchorBytes& anchor) const;
  bool Verify(const Window& window, const AnchorBytes& anchor, const std::uint8_t* anchor_at) const;
  bool SearchCharacters(platform::TextStream& stream, TextEncoding encoding, std::size_t content_start,
                        std::size_t filled, bool at_end);
  std::size_t Fill(platform::TextStream& stream, std::size_t from, bool& at_end);

  const SearchText& text_;
  std::size_t chunk_size_;
  std::size_t overlap_;
  std::vector<std::uint8_t> buffer_;
  std::array<AnchorBytes, 3> anchors_;  // by TextEncoding
};

}  // namespace brenvo1::search
