#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "search/byte_probe.h"
#include "search/search_text.h"
#include "text/text_decoder.h"

namespace brenvo1::search {

// Bytes of a file that may hold text, as one chunk of it shows them.
struct TextWindow {
  const std::uint8_t* begin;
  const std::uint8_t* end;
  // No text comes before begin: it is the start of the file's text. When
  // false, begin may lie inside a character, and decoding backwards stops
  // short of it. In UTF-16 begin is always on a unit boundary.
  bool begin_is_start;
  // No bytes come after end.
  bool at_end;
};

// Searches windows of a file for the search text by its anchor, the run of
// characters that only plain ASCII units can spell: the anchor's bytes are
// found with vector instructions, and only where they occur are the
// characters around them decoded and compared with the rest of the text.
// Each candidate costs up to the text's length, so this serves texts of
// bounded length; longer ones go character by character.
class AnchorSearch {
 public:
  AnchorSearch(const SearchText& text, text::TextEncoding encoding);

  // True when the window holds the whole of a hit. A hit that reaches
  // beyond the window, or whose start cannot be decoded from its bytes, is
  // left to the neighbouring window, which holds it whole.
  bool Find(const TextWindow& window) const;

 private:
  bool Verify(const TextWindow& window, const std::uint8_t* anchor_at) const;

  const SearchText& text_;
  text::TextEncoding encoding_;
  std::size_t unit_;    // bytes per anchor character
  std::string values_;  // the anchor's bytes, letters in lower case
  std::string masks_;   // 0x20 on letters: either case matches
  BytePair probe_;      // two rare bytes of the anchor, tested first
};

}  // namespace brenvo1::search
