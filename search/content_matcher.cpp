#include "search/content_matcher.h"

#include <cstring>
#include <string_view>

#include "search/case_folding.h"

namespace brenvo1::search {

namespace {

bool IsAsciiLetter(std::uint8_t c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

// How common an ASCII byte is in source code and prose, most common first;
// a probe on a rare byte yields fewer candidates to verify.
int Commonness(char c) {
  static constexpr std::string_view kByFrequency =
      " etaoinsrlhdcu\n\r\t.mpfg,=()_\"';ybvw:0-1k2/x*<>9384756{}[]jqz#!+&|@%$?\\^~`";
  const auto at = kByFrequency.find(c);
  return at == std::string_view::npos ? 0 : static_cast<int>(kByFrequency.size() - at);
}

std::size_t Index(TextEncoding encoding) { return static_cast<std::size_t>(encoding); }

}  // namespace

// One buffer of the file: [begin, end) in memory, begin on a character
// boundary. begin_is_start says no text comes before begin (the start of
// the file, after any byte-order mark); at_end says none comes after end.
struct ContentMatcher::Window {
  const std::uint8_t* begin;
  const std::uint8_t* end;
  bool begin_is_start;
  bool at_end;
  TextEncoding encoding;
};

ContentMatcher::ContentMatcher(const SearchText& text, std::size_t chunk_size)
    : text_(text), chunk_size_(chunk_size) {
  // A character takes at most four bytes, and checking one looks at most
  // four bytes around it: this much overlap puts any hit wholly in a chunk.
  overlap_ = 4 * text.size() + 8;
  buffer_.resize(overlap_ + chunk_size_);
  if (text_.has_anchor()) {
    for (TextEncoding encoding : {TextEncoding::Utf8OrWindows1252, TextEncoding::Utf16LE, TextEncoding::Utf16BE}) {
      anchors_[Index(encoding)] = SpellAnchor(text_, encoding);
    }
  }
}

ContentMatcher::AnchorBytes ContentMatcher::SpellAnchor(const SearchText& text, TextEncoding encoding) {
  const std::string& anchor = text.anchor();
  AnchorBytes spelled;
  spelled.unit = encoding == TextEncoding::Utf8OrWindows1252 ? 1 : 2;
  const std::size_t low_byte = encoding == TextEncoding::Utf16BE ? 1 : 0;
  for (char c : anchor) {
    const char mask = IsAsciiLetter(static_cast<std::uint8_t>(c)) ? 0x20 : 0x00;
    if (spelled.unit == 1) {
      spelled.values += c;
      spelled.masks += mask;
    } else {
      spelled.values += low_byte == 0 ? std::string{c, '\0'} : std::string{'\0', c};
      spelled.masks += low_byte == 0 ? std::string{mask, '\0'} : std::string{'\0', mask};
    }
  }

  // Probe the two rarest characters of the anchor.
  std::size_t first = 0;
  for (std::size_t i = 1; i < anchor.size(); ++i) {
    if (Commonness(anchor[i]) < Commonness(anchor[first])) first = i;
  }
  std::size_t second = first;
  for (std::size_t i = 0; i < anchor.size(); ++i) {
    if (i != first && (second == first || Commonness(anchor[i]) < Commonness(anchor[second]))) second = i;
  }
  const std::size_t first_offset = first * spelled.unit + low_byte;
  const std::size_t second_offset = second * spelled.unit + low_byte;
  spelled.probe = {first_offset,
                   static_cast<std::uint8_t>(spelled.values[first_offset]),
                   static_cast<std::uint8_t>(spelled.masks[first_offset]),
                   second_offset,
                   static_cast<std::uint8_t>(spelled.values[second_offset]),
                   static_cast<std::uint8_t>(spelled.masks[second_offset])};
  return spelled;
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
  if (!text_.has_anchor()) return SearchCharacters(stream, guess.encoding, content_start, filled, at_end);

  const AnchorBytes& anchor = anchors_[Index(guess.encoding)];
  // buffer_ holds the file from file_offset on.
  std::size_t file_offset = 0;
  for (;;) {
    std::size_t text_begin = file_offset < content_start ? content_start - file_offset : 0;
    // Start on a UTF-16 unit boundary.
    if (anchor.unit == 2 && (file_offset + text_begin - content_start) % 2 != 0) ++text_begin;
    const Window window{buffer_.data() + text_begin, buffer_.data() + filled,
                        file_offset + text_begin == content_start, at_end, guess.encoding};
    if (window.begin < window.end && SearchBytes(window, anchor)) return true;
    if (at_end) return false;
    const std::size_t keep = filled < overlap_ ? filled : overlap_;
    std::memmove(buffer_.data(), buffer_.data() + filled - keep, keep);
    file_offset += filled - keep;
    filled = Fill(stream, keep, at_end);
  }
}

bool ContentMatcher::SearchBytes(const Window& window, const AnchorBytes& anchor) const {
  const std::size_t length = anchor.values.size();
  if (static_cast<std::size_t>(window.end - window.begin) < length) return false;
  const std::uint8_t* last = window.end - length;  // last possible anchor start

  for (const std::uint8_t* at = window.begin; at <= last; ++at) {
    at = FindBytePair(at, last, anchor.probe);
    if (at == nullptr) return false;
    if (anchor.unit == 2 && (at - window.begin) % 2 != 0) continue;
    bool whole = true;
    for (std::size_t i = 0; i < length && whole; ++i) {
      whole = (at[i] | static_cast<std::uint8_t>(anchor.masks[i])) == static_cast<std::uint8_t>(anchor.values[i]);
    }
    if (whole && Verify(window, anchor, at)) return true;
  }
  return false;
}

// The anchor's bytes are at anchor_at; decodes the characters around it and
// compares them with the rest of the search text. A hit whose bytes reach
// past this window is left to the neighbouring window, which holds it whole.
bool ContentMatcher::Verify(const Window& window, const AnchorBytes& anchor, const std::uint8_t* anchor_at) const {
  const std::vector<char32_t>& folded = text_.folded();
  const std::size_t anchor_begin = text_.anchor_begin();
  const std::size_t anchor_end = anchor_begin + text_.anchor().size();
  const bool utf16 = window.encoding != TextEncoding::Utf8OrWindows1252;
  const bool big_endian = window.encoding == TextEncoding::Utf16BE;

  const std::uint8_t* p = anchor_at + anchor.values.size();
  for (std::size_t i = anchor_end; i < folded.size(); ++i) {
    if (p >= window.end) return false;
    char32_t c;
    const int used = utf16 ? DecodeUtf16At(p, window.end, window.at_end, big_endian, c)
                           : DecodeMixedAt(p, window.end, window.at_end, c);
    if (used == 0 || FoldCase(c) != folded[i]) return false;
    p += used;
  }

  const std::uint8_t* boundary = anchor_at;
  for (std::size_t i = anchor_begin; i-- > 0;) {
    if (boundary <= window.begin) return false;
    char32_t c;
    const std::uint8_t* start;
    const BackwardStep step =
        utf16 ? DecodeUtf16Before(window.begin, boundary, window.begin_is_start, big_endian, c, start)
              : DecodeMixedBefore(window.begin, boundary, window.begin_is_start, c, start);
    if (step != BackwardStep::Decoded || FoldCase(c) != folded[i]) return false;
    boundary = start;
  }
  return true;
}

// Decodes every character and follows it through the search text's failure
// table: for search texts with no anchor.
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
