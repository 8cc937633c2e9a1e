#include "search/content_matcher.h"

#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "search/case_folding.h"

namespace brenvo1::search {

namespace {

bool IsAsciiLetter(std::uint8_t c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

// OR-ing 0x20 lowers an ASCII letter; only its two cases map to the same
// value, so a letter is compared caselessly and anything else exactly.
std::uint8_t CaseMask(std::uint8_t c) { return IsAsciiLetter(c) ? 0x20 : 0x00; }

// How common an ASCII byte is in source code and prose, most common first;
// a probe on a rare byte yields fewer candidates to verify.
int Commonness(std::uint8_t c) {
  static constexpr std::string_view kByFrequency =
      " etaoinsrlhdcu\n\r\t.mpfg,=()_\"';ybvw:0-1k2/;x*<>9384756{}[]jqz#!+&|@%$?\\^~`";
  const auto at = kByFrequency.find(static_cast<char>(c));
  return at == std::string_view::npos ? 0 : static_cast<int>(kByFrequency.size() - at);
}

}  // namespace

// One buffer of the file: [begin, end) in memory. begin_is_start says no
// text comes before begin (the start of the file, after any byte-order
// mark); at_end says none comes after end.
struct ContentMatcher::Window {
  const std::uint8_t* begin;
  const std::uint8_t* end;
  bool begin_is_start;
  bool at_end;
};

ContentMatcher::ContentMatcher(const SearchText& text, std::size_t chunk_size)
    : text_(text), chunk_size_(chunk_size) {
  // A character takes at most four bytes, and checking one looks at most
  // four bytes around it: this much overlap puts any hit wholly in a chunk.
  overlap_ = 4 * text.size() + 8;
  buffer_.resize(overlap_ + chunk_size_);

  const std::string& anchor = text_.anchor();
  for (std::size_t i = 1; i < anchor.size(); ++i) {
    const auto byte = static_cast<std::uint8_t>(anchor[i]);
    if (Commonness(byte) < Commonness(static_cast<std::uint8_t>(anchor[probe_first_]))) probe_first_ = i;
  }
  probe_second_ = probe_first_;
  for (std::size_t i = 0; i < anchor.size(); ++i) {
    if (i == probe_first_) continue;
    const auto byte = static_cast<std::uint8_t>(anchor[i]);
    if (probe_second_ == probe_first_ ||
        Commonness(byte) < Commonness(static_cast<std::uint8_t>(anchor[probe_second_]))) {
      probe_second_ = i;
    }
  }
}

std::size_t ContentMatcher::Fill(platform::TextStream& stream, std::size_t from, bool& at_end) {
  std::size_t filled = from;
  while (filled < buffer_.size()) {
    const std::size_t got =
        stream.Read({reinterpret_cast<char*>(buffer_.data()) + filled, buffer_.size() - filled});
    if (got == 0) {
      at_end = true;
      break;
    }
    filled += got;
  }
  return filled;
}

bool ContentMatcher::Contains(platform::TextStream& stream) {
  if (text_.empty()) return !stream.AtEndOfStream();

  bool at_end = false;
  std::size_t filled = Fill(stream, 0, at_end);
  const EncodingGuess guess = DetectEncoding({buffer_.data(), filled < 3 ? filled : 3}, at_end);
  const std::size_t content_start = guess.byte_order_mark_size;

  if (guess.encoding != TextEncoding::Utf8OrWindows1252 || !text_.has_anchor()) {
    return SearchCharacters(stream, guess.encoding, content_start, filled, at_end);
  }

  // Bytes path: buffer_ holds the file from file_offset on.
  std::size_t file_offset = 0;
  for (;;) {
    const std::size_t text_begin = file_offset < content_start ? content_start - file_offset : 0;
    const Window window{buffer_.data() + text_begin, buffer_.data() + filled, file_offset + text_begin == content_start,
                        at_end};
    if (window.begin < window.end && SearchBytes(window)) return true;
    if (at_end) return false;
    const std::size_t keep = filled < overlap_ ? filled : overlap_;
    std::memmove(buffer_.data(), buffer_.data() + filled - keep, keep);
    file_offset += filled - keep;
    filled = Fill(stream, keep, at_end);
  }
}

bool ContentMatcher::SearchBytes(const Window& window) const {
  const std::string& anchor = text_.anchor();
  const std::size_t length = anchor.size();
  if (static_cast<std::size_t>(window.end - window.begin) < length) return false;
  const std::uint8_t* last = window.end - length;  // last possible anchor start

  const auto first_byte = static_cast<std::uint8_t>(anchor[probe_first_]);
  const auto second_byte = static_cast<std::uint8_t>(anchor[probe_second_]);
  const std::uint8_t first_mask = CaseMask(first_byte);
  const std::uint8_t second_mask = CaseMask(second_byte);

  auto anchor_matches = [&](const std::uint8_t* at) {
    for (std::size_t i = 0; i < length; ++i) {
      const auto expected = static_cast<std::uint8_t>(anchor[i]);
      if ((at[i] | CaseMask(expected)) != expected) return false;
    }
    return true;
  };

  const std::uint8_t* at = window.begin;
#if defined(__SSE2__)
  const __m128i first_value = _mm_set1_epi8(static_cast<char>(first_byte));
  const __m128i first_fold = _mm_set1_epi8(static_cast<char>(first_mask));
  const __m128i second_value = _mm_set1_epi8(static_cast<char>(second_byte));
  const __m128i second_fold = _mm_set1_epi8(static_cast<char>(second_mask));
  // Sixteen candidate starts at a time; both probe loads stay inside the
  // window because every start is at most last.
  while (last - at >= 15) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + probe_first_));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + probe_second_));
    const __m128i hits = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, first_fold), first_value),
                                       _mm_cmpeq_epi8(_mm_or_si128(b, second_fold), second_value));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
    while (mask != 0) {
      const std::uint8_t* candidate = at + __builtin_ctz(mask);
      if (anchor_matches(candidate) && Verify(window, candidate)) return true;
      mask &= mask - 1;
    }
    at += 16;
  }
#endif
  for (; at <= last; ++at) {
    if ((at[probe_first_] | first_mask) == first_byte && (at[probe_second_] | second_mask) == second_byte &&
        anchor_matches(at) && Verify(window, at)) {
      return true;
    }
  }
  return false;
}

// The anchor's bytes are at anchor_at; decodes the characters around it and
// compares them with the rest of the search text. A hit whose bytes reach
// past this window is left to the neighbouring window, which holds it whole.
bool ContentMatcher::Verify(const Window& window, const std::uint8_t* anchor_at) const {
  const std::vector<char32_t>& folded = text_.folded();
  const std::size_t anchor_begin = text_.anchor_begin();
  const std::size_t anchor_end = anchor_begin + text_.anchor().size();

  const std::uint8_t* p = anchor_at + text_.anchor().size();
  for (std::size_t i = anchor_end; i < folded.size(); ++i) {
    if (p >= window.end) return false;
    char32_t c;
    const int used = DecodeMixedAt(p, window.end, window.at_end, c);
    if (used == 0 || FoldCase(c) != folded[i]) return false;
    p += used;
  }

  const std::uint8_t* boundary = anchor_at;
  for (std::size_t i = anchor_begin; i-- > 0;) {
    if (boundary <= window.begin) return false;
    char32_t c;
    const std::uint8_t* start;
    if (DecodeMixedBefore(window.begin, boundary, window.begin_is_start, c, start) != BackwardStep::Decoded ||
        FoldCase(c) != folded[i]) {
      return false;
    }
    boundary = start;
  }
  return true;
}

// Decodes every character and follows it through the search text's failure
// table: for UTF-16 files and for search texts with no ASCII anchor.
bool ContentMatcher::SearchCharacters(platform::TextStream& stream, TextEncoding encoding,
                                      std::size_t content_start, std::size_t filled, bool at_end) {
  const std::vector<char32_t>& folded = text_.folded();
  const std::vector<std::size_t>& failure = text_.failure();
  std::size_t matched = 0;
  auto step = [&](char32_t c) {
    c = FoldCase(c);
    while (matched > 0 && folded[matched] != c) matched = failure[matched - 1];
    if (folded[matched] == c) ++matched;
    return matched == folded.size();
  };

  StreamDecoder decoder(encoding);
  std::size_t begin = content_start;
  for (;;) {
    if (decoder.Feed({buffer_.data() + begin, filled - begin}, step)) return true;
    if (at_end) return decoder.Finish(step);
    begin = 0;
    filled = Fill(stream, 0, at_end);
  }
}

}  // namespace brenvo1::search
