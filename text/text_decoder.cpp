#include "text/text_decoder.h"

#include <array>

#include "text/utf8.h"

namespace brenvo1::text {

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

EncodingGuess DetectEncoding(std::span<const std::uint8_t> first_bytes) {
  if (StartsWith(first_bytes, {0xFF, 0xFE})) return {TextEncoding::Utf16LE, 2};
  if (StartsWith(first_bytes, {0xFE, 0xFF})) return {TextEncoding::Utf16BE, 2};
  if (StartsWith(first_bytes, {0xEF, 0xBB, 0xBF})) return {TextEncoding::Utf8OrWindows1252, 3};
  return {TextEncoding::Utf8OrWindows1252, 0};
}

int DecodeMixedAt(const std::uint8_t* p, const std::uint8_t* end, bool at_end, char32_t& out) {
  const int length = Utf8SequenceAt(p, end, out);
  if (length > 0 || (length == 0 && !at_end)) return length;
  out = Windows1252ToUnicode(p[0]);
  return 1;
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

char16_t Utf16Unit(const std::uint8_t* p, bool big_endian) {
  return static_cast<char16_t>(big_endian ? (p[0] << 8) | p[1] : p[0] | (p[1] << 8));
}

}  // namespace

int DecodeUtf16At(const std::uint8_t* p, const std::uint8_t* end, bool at_end, bool big_endian, char32_t& out) {
  if (end - p < 2) {
    if (!at_end) return 0;
    out = kReplacementCharacter;  // the odd last byte
    return 1;
  }
  const char16_t unit = Utf16Unit(p, big_endian);
  if (IsHighSurrogate(unit)) {
    if (end - p < 4) {
      if (!at_end) return 0;
      out = kReplacementCharacter;
      return 2;
    }
    const char16_t next = Utf16Unit(p + 2, big_endian);
    if (IsLowSurrogate(next)) {
      out = CombineSurrogates(unit, next);
      return 4;
    }
    out = kReplacementCharacter;
    return 2;
  }
  out = IsLowSurrogate(unit) ? kReplacementCharacter : unit;
  return 2;
}

BackwardStep DecodeUtf16Before(const std::uint8_t* begin, const std::uint8_t* q, bool begin_is_start, bool big_endian,
                               char32_t& out, const std::uint8_t*& start) {
  const char16_t unit = Utf16Unit(q - 2, big_endian);
  start = q - 2;
  if (!IsLowSurrogate(unit)) {
    // A high surrogate here has no low one after it: the character at q
    // would have been paired with it otherwise.
    out = IsHighSurrogate(unit) ? kReplacementCharacter : unit;
    return BackwardStep::Decoded;
  }
  if (q - begin < 4) {
    if (!begin_is_start) return BackwardStep::NeedsEarlierBytes;
    out = kReplacementCharacter;
    return BackwardStep::Decoded;
  }
  const char16_t previous = Utf16Unit(q - 4, big_endian);
  if (!IsHighSurrogate(previous)) {
    out = kReplacementCharacter;
    return BackwardStep::Decoded;
  }
  out = CombineSurrogates(previous, unit);
  start = q - 4;
  return BackwardStep::Decoded;
}

int StreamDecoder::DecodeAt(const std::uint8_t* p, const std::uint8_t* end, bool at_end, char32_t& out) const {
  if (encoding_ == TextEncoding::Utf8OrWindows1252) return DecodeMixedAt(p, end, at_end, out);
  return DecodeUtf16At(p, end, at_end, encoding_ == TextEncoding::Utf16BE, out);
}

}  // namespace brenvo1::text
