#pragma once

#include <array>
#include <cstddef>
#include <functional>

#include "platform/file_system.h"
#include "search/anchor_search.h"
#include "search/chunk_reader.h"
#include "search/search_text.h"

namespace brenvo1::search {

// Tells whether a file's text holds the search text. The file is read in
// bounded chunks and reading stops at the first hit, so memory does not
// grow with the file's size.
class ContentMatcher {
 public:
  // go_on, when given, is asked after each chunk but the last, so that a
  // window stays responsive while one large file is read and a run can
  // end in the middle of it; false stops reading there.
  explicit ContentMatcher(const SearchText& text, std::size_t chunk_size = kDefaultChunkSize,
                          std::function<bool()> go_on = nullptr);

  // False for an empty file, whatever the text, and when go_on stopped
  // the reading (then stopped() is true). Throws platform::FileSystemError
  // when the stream cannot be read.
  bool Contains(platform::TextStream& stream);
  // Whether the last Contains was stopped by go_on before the file's end.
  bool stopped() const { return stopped_; }

  static constexpr std::size_t kDefaultChunkSize = 256 * 1024;
  // Texts up to this many characters are searched by their anchor; a
  // candidate then costs at most this much to verify.
  static constexpr std::size_t kLongestAnchoredText = 64;

 private:
  bool SearchByAnchor(text::TextEncoding encoding, std::size_t text_start);
  bool SearchCharacters(text::TextEncoding encoding, std::size_t text_start);
  bool NextChunk();

  const SearchText& text_;
  ChunkReader reader_;
  std::function<bool()> go_on_;
  bool stopped_ = false;
  bool by_anchor_;
  std::array<AnchorSearch, 3> anchors_;  // by text::TextEncoding
};

}  // namespace brenvo1::search
