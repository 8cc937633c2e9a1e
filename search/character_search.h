#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "search/search_text.h"
#include "text/text_decoder.h"

namespace brenvo1::search {

// Follows every character of a file through the search text's failure
// table (Knuth-Morris-Pratt): linear in the file and the text whatever
// they hold. Serves the texts the anchor search cannot: those with no
// anchor, and long ones.
class CharacterSearch {
 public:
  CharacterSearch(const SearchText& text, text::TextEncoding encoding);

  // Takes the file's next bytes, the byte-order mark left out; true once
  // the text has been seen.
  bool Feed(std::span<const std::uint8_t> bytes);
  // The end of the file; true when the last bytes complete the text.
  bool Finish();

 private:
  bool Step(char32_t c);

  const SearchText& text_;
  text::StreamDecoder decoder_;
  std::size_t matched_ = 0;
};

}  // namespace brenvo1::search
