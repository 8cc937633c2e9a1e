#include "search/text_decoder.h"

#include <array>

namespace brenvo1::search {

namespace {

constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

bool StartsWith(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> prefix) {
  if (bytes.size() < prefix.size()) return false;
  std::size_t i = 0;
  for (std::uint8_t b : prefix) {
    if (bytes[i++] != b) return false;
  }
  return true;
}

}  // namespace

char32_t Windows1252ToUnicode(std::uint8_t byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kWindows1252High[byte - 0x80];
  return byte;
}

EncodingGuess DetectEncoding(std::span<const std::uint8_t> first_bytes, bool at_end) {
  if (StartsWith(first_bytes, {0xFF, 0xFE})) return {TextEncoding::Utf16LE, 2, true};
  if (StartsWith(first_bytes, {0xFE, 0xFF})) return {TextEncoding::Utf16BE, 2, true};
  if (StartsWith(first_bytes, {0xEF, 0xBB, 0xBF})) return {TextEncoding::Utf8OrWindows1252, 3, true};
  if (!at_end) {
    // One or two bytes that a longer mark could start with.
    const bool could_grow = (first_bytes.size() == 1 && (first_bytes[0] == 0xFF || first_bytes[0] == 0xFE ||
                                                         first_bytes[0] == 0xEF)) ||
                            (first_bytes.size() == 2 && first_bytes[0] == 0xEF && first_bytes[1] == 0xBB) ||
                            first_bytes.empty();
    if (could_grow) return {TextEncoding::Utf8OrWindows1252, 0, false};
  }
  return {TextEncoding::Utf8OrWindows1252, 0, true};
}

BackwardStep DecodeMixedBefore(const std::uint8_t* begin, const std::uint8_t* q, bool begin_is_start,
                               char32_t& out, const std::uint8_t*& start) {
  const std::uint8_t last = q[-1];
  if (!IsContinuationByte(last)) {
    // Only a continuation byte can end a multi-byte sequence.
    out = last < 0x80 ? last : Windows1252ToUnicode(last);
    start = q - 1;
    return BackwardStep::Decoded;
  }
  // A well-formed sequence of 2 to 4 bytes may end here; its first byte is a
  // lead byte, which no sequence holds inside, so it starts a character.
  // At most one length can fit, as a lead byte is never a continuation byte.
  for (int length = 2; length <= 4; ++length) {
    if (q - begin < length) {
      if (!begin_is_start) return BackwardStep::NeedsEarlierBytes;
      break;
    }
    const std::uint8_t* candidate = q - length;
    if (IsContinuationByte(*candidate)) continue;
    char32_t c;
    if (DecodeMixedAt(candidate, q, true, c) == length) {
      out = c;
      start = candidate;
      return BackwardStep::Decoded;
    }
    break;
  }
  out = Windows1252ToUnicode(last);
  start = q - 1;
  return BackwardStep::Decoded;
}

namespace {

constexpr char32_t kReplacement = 0xFFFD;

char16_t Utf16Unit(const std::uint8_t* p, bool big_endian) {
  return static_cast<char16_t>(big_endian ? (p[0] << 8) | p[1] : p[0] | (p[1] << 8));
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

int DecodeUtf16At(const std::uint8_t* p, const std::uint8_t* end, bool at_end, bool big_endian, char32_t& out) {
  if (end - p < 2) {
    if (!at_end) return 0;
    out = kReplacement;  // the odd last byte
    return 1;
  }
  const char16_t unit = Utf16Unit(p, big_endian);
  if (IsHighSurrogate(unit)) {
    if (end - p < 4) {
      if (!at_end) return 0;
      out = kReplacement;
      return 2;
    }
    const char16_t next = Utf16Unit(p + 2, big_endian);
    if (IsLowSurrogate(next)) {
      out = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (static_cast<char32_t>(next) - 0xDC00);
      return 4;
    }
    out = kReplacement;
    return 2;
  }
  out = IsLowSurrogate(unit) ? kReplacement : unit;
  return 2;
}

BackwardStep DecodeUtf16Before(const std::uint8_t* begin, const std::uint8_t* q, bool begin_is_start, bool big_endian,
                               char32_t& out, const std::uint8_t*& start) {
  const char16_t unit = Utf16Unit(q - 2, big_endian);
  start = q - 2;
  if (!IsLowSurrogate(unit)) {
    // A high surrogate here has no low one after it: the character at q
    // would have been paired with it otherwise.
    out = IsHighSurrogate(unit) ? kReplacement : unit;
    return BackwardStep::Decoded;
  }
  if (q - begin < 4) {
    if (!begin_is_start) return BackwardStep::NeedsEarlierBytes;
    out = kReplacement;
    return BackwardStep::Decoded;
  }
  const char16_t previous = Utf16Unit(q - 4, big_endian);
  if (!IsHighSurrogate(previous)) {
    out = kReplacement;
    return BackwardStep::Decoded;
  }
  out = 0x10000 + ((static_cast<char32_t>(previous) - 0xD800) << 10) + (static_cast<char32_t>(unit) - 0xDC00);
  start = q - 4;
  return BackwardStep::Decoded;
}

}  // namespace brenvo1::search
