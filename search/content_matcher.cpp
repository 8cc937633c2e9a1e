#include "search/content_matcher.h"

#include <algorithm>

#include "search/character_search.h"

namespace brenvo1::search {

namespace {

// A character takes at most four bytes, and telling where one begins or
// ends looks at most four bytes beyond it, on either side of the hit.
std::size_t BytesAroundAHit(const SearchText& text) { return 4 * text.size() + 8; }

}  // namespace

ContentMatcher::ContentMatcher(const SearchText& text, std::size_t chunk_size, std::function<bool()> go_on)
    : text_(text),
      reader_(chunk_size, BytesAroundAHit(text)),
      go_on_(std::move(go_on)),
      by_anchor_(text.has_anchor() && text.size() <= kLongestAnchoredText),
      anchors_{AnchorSearch(text, text::TextEncoding::Utf8OrWindows1252), AnchorSearch(text, text::TextEncoding::Utf16LE),
               AnchorSearch(text, text::TextEncoding::Utf16BE)} {}

bool ContentMatcher::Contains(platform::TextStream& stream) {
  stopped_ = false;
  if (text_.empty()) {
    // Any byte at all makes the file a hit.
    char first;
    return stream.Read({&first, 1}) > 0;
  }
  reader_.Begin(stream);
  const text::EncodingGuess guess = text::DetectEncoding({reader_.data(), std::min<std::size_t>(reader_.size(), 3)});
  return by_anchor_ ? SearchByAnchor(guess.encoding, guess.byte_order_mark_size)
                    : SearchCharacters(guess.encoding, guess.byte_order_mark_size);
}

// text_start: the file offset where its text begins, after any byte-order
// mark.
bool ContentMatcher::SearchByAnchor(text::TextEncoding encoding, std::size_t text_start) {
  const AnchorSearch& anchor = anchors_[static_cast<std::size_t>(encoding)];
  const bool utf16 = encoding != text::TextEncoding::Utf8OrWindows1252;
  do {
    const std::uint64_t offset = reader_.offset();
    std::uint64_t begin = std::max<std::uint64_t>(offset, text_start);
    // UTF-16 units lie an even number of bytes after the text's start.
    if (utf16 && (begin - text_start) % 2 != 0) ++begin;
    const std::uint8_t* data = reader_.data();
    const TextWindow window{data + std::min<std::uint64_t>(begin - offset, reader_.size()),
                            data + reader_.size(), begin == text_start, reader_.at_end()};
    if (anchor.Find(window)) return true;
  } while (NextChunk());
  return false;
}

bool ContentMatcher::SearchCharacters(text::TextEncoding encoding, std::size_t text_start) {
  CharacterSearch search(text_, encoding);
  // Chunks overlap; each byte is fed once.
  std::uint64_t fed = text_start;
  do {
    const std::uint64_t end = reader_.offset() + reader_.size();
    if (end > fed) {
      const std::size_t skip = static_cast<std::size_t>(fed - reader_.offset());
      if (search.Feed({reader_.data() + skip, reader_.size() - skip})) return true;
      fed = end;
    }
  } while (NextChunk());
  return !stopped_ && search.Finish();
}

bool ContentMatcher::NextChunk() {
  if (reader_.at_end()) return false;
  if (go_on_ && !go_on_()) {
    stopped_ = true;
    return false;
  }
  return reader_.Advance();
}

}  // namespace brenvo1::search
