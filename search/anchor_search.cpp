#include "search/anchor_search.h"

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

}  // namespace

AnchorSearch::AnchorSearch(const SearchText& text, text::TextEncoding encoding)
    : text_(text), encoding_(encoding), unit_(encoding == text::TextEncoding::Utf8OrWindows1252 ? 1 : 2) {
  const std::string& anchor = text.anchor();
  const std::size_t low_byte = encoding == text::TextEncoding::Utf16BE ? 1 : 0;
  for (char c : anchor) {
    const char mask = IsAsciiLetter(static_cast<std::uint8_t>(c)) ? 0x20 : 0x00;
    if (unit_ == 1) {
      values_ += c;
      masks_ += mask;
    } else {
      values_ += low_byte == 0 ? std::string{c, '\0'} : std::string{'\0', c};
      masks_ += low_byte == 0 ? std::string{mask, '\0'} : std::string{'\0', mask};
    }
  }
  if (anchor.empty()) return;

  // Probe the two rarest characters of the anchor.
  std::size_t first = 0;
  for (std::size_t i = 1; i < anchor.size(); ++i) {
    if (Commonness(anchor[i]) < Commonness(anchor[first])) first = i;
  }
  std::size_t second = first;
  for (std::size_t i = 0; i < anchor.size(); ++i) {
    if (i != first && (second == first || Commonness(anchor[i]) < Commonness(anchor[second]))) second = i;
  }
  const std::size_t first_offset = first * unit_ + low_byte;
  const std::size_t second_offset = second * unit_ + low_byte;
  probe_ = {first_offset,
            static_cast<std::uint8_t>(values_[first_offset]),
            static_cast<std::uint8_t>(masks_[first_offset]),
            second_offset,
            static_cast<std::uint8_t>(values_[second_offset]),
            static_cast<std::uint8_t>(masks_[second_offset])};
}

bool AnchorSearch::Find(const TextWindow& window) const {
  const std::size_t length = values_.size();
  if (length == 0 || static_cast<std::size_t>(window.end - window.begin) < length) return false;
  const std::uint8_t* last = window.end - length;  // last possible anchor start

  for (const std::uint8_t* at = window.begin; at <= last; ++at) {
    at = FindBytePair(at, last, probe_);
    if (at == nullptr) return false;
    if (unit_ == 2 && (at - window.begin) % 2 != 0) continue;
    bool whole = true;
    for (std::size_t i = 0; i < length && whole; ++i) {
      whole = (at[i] | static_cast<std::uint8_t>(masks_[i])) == static_cast<std::uint8_t>(values_[i]);
    }
    if (whole && Verify(window, at)) return true;
  }
  return false;
}

// The anchor starts a character: an ASCII byte is never inside a UTF-8
// sequence, and a UTF-16 unit below 0x80 is never half of a pair. So the
// rest of the text is decoded forwards from its end and backwards from its
// start.
bool AnchorSearch::Verify(const TextWindow& window, const std::uint8_t* anchor_at) const {
  const std::vector<char32_t>& folded = text_.folded();
  const std::size_t anchor_begin = text_.anchor_begin();
  const std::size_t anchor_end = anchor_begin + text_.anchor().size();
  const bool utf16 = encoding_ != text::TextEncoding::Utf8OrWindows1252;
  const bool big_endian = encoding_ == text::TextEncoding::Utf16BE;

  const std::uint8_t* p = anchor_at + values_.size();
  for (std::size_t i = anchor_end; i < folded.size(); ++i) {
    if (p >= window.end) return false;
    char32_t c;
    const int used = utf16 ? text::DecodeUtf16At(p, window.end, window.at_end, big_endian, c)
                           : text::DecodeMixedAt(p, window.end, window.at_end, c);
    if (used == 0 || FoldCase(c) != folded[i]) return false;
    p += used;
  }

  const std::uint8_t* boundary = anchor_at;
  for (std::size_t i = anchor_begin; i-- > 0;) {
    if (boundary <= window.begin) return false;
    char32_t c;
    const std::uint8_t* start;
    const text::BackwardStep step =
        utf16 ? text::DecodeUtf16Before(window.begin, boundary, window.begin_is_start, big_endian, c, start)
              : text::DecodeMixedBefore(window.begin, boundary, window.begin_is_start, c, start);
    if (step != text::BackwardStep::Decoded || FoldCase(c) != folded[i]) return false;
    boundary = start;
  }
  return true;
}

}  // namespace brenvo1::search
