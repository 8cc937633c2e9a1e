#pragma once

// Turns file bytes into characters. A file that starts with a UTF-16
// byte-order mark is UTF-16. Any other file is read as a mix of UTF-8 and
// Windows-1252, after an optional UTF-8 byte-order mark: every well-formed
// UTF-8 sequence is one character and every other byte is a Windows-1252
// character. Old Italian sources are Windows-1252, newer ones UTF-8, and
// some mix the two; read this way, an accented text is found in all of them.

#include <cstddef>
#include <cstdint>
#include <span>

namespace brenvo1::text {

enum class TextEncoding { Utf8OrWindows1252, Utf16LE, Utf16BE };

struct EncodingGuess {
  TextEncoding encoding = TextEncoding::Utf8OrWindows1252;
  std::size_t byte_order_mark_size = 0;
};

// Decides the encoding from the first bytes of a file: at least three of
// them, or all the file holds when it is shorter.
EncodingGuess DetectEncoding(std::span<const std::uint8_t> first_bytes);

// What an unpaired surrogate or a dangling odd byte of UTF-16 reads as.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;

inline constexpr bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
inline constexpr bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
inline constexpr char32_t CombineSurrogates(char32_t high, char32_t low) {
  return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// The character a Windows-1252 byte stands for; the five bytes the code page
// leaves undefined stand for the C1 controls of the same value.
char32_t Windows1252ToUnicode(std::uint8_t byte);

inline constexpr bool IsContinuationByte(std::uint8_t byte) { return (byte & 0xC0) == 0x80; }

// Decodes the character that starts at p, before end, in the
// UTF-8/Windows-1252 mix. Returns how many bytes it takes, or 0 when the
// bytes up to end begin a well-formed sequence that only more bytes can
// finish (never when at_end).
int DecodeMixedAt(const std::uint8_t* p, const std::uint8_t* end, bool at_end, char32_t& out);

// Result of decoding backwards from a character boundary.
enum class BackwardStep { Decoded, NeedsEarlierBytes };

// Decodes the character that ends just before the boundary q, where
// begin <= q - 1. begin_is_start says no bytes come before begin; otherwise
// a character whose decoding depends on bytes before begin is not decoded.
// On success *start is where that character begins (itself a boundary).
BackwardStep DecodeMixedBefore(const std::uint8_t* begin, const std::uint8_t* q, bool begin_is_start,
                               char32_t& out, const std::uint8_t*& start);

// The UTF-16 counterparts of DecodeMixedAt and DecodeMixedBefore. A
// surrogate that is not part of a pair, and an odd last byte, read as
// U+FFFD. q must lie an even number of bytes after begin.
int DecodeUtf16At(const std::uint8_t* p, const std::uint8_t* end, bool at_end, bool big_endian, char32_t& out);
BackwardStep DecodeUtf16Before(const std::uint8_t* begin, const std::uint8_t* q, bool begin_is_start, bool big_endian,
                               char32_t& out, const std::uint8_t*& start);

// Decodes a file's bytes chunk by chunk; a character split between two
// chunks is put together. The byte-order mark, if any, must already be
// skipped. The sink takes each character and returns true to stop.
class StreamDecoder {
 public:
  explicit StreamDecoder(TextEncoding encoding) : encoding_(encoding) {}

  template <typename Sink>
  bool Feed(std::span<const std::uint8_t> bytes, Sink&& sink);

  // The end of the file: pending bytes are decoded as they stand.
  template <typename Sink>
  bool Finish(Sink&& sink);

 private:
  template <typename Sink>
  bool FeedMixed(const std::uint8_t* p, const std::uint8_t* end, Sink& sink);
  template <typename Sink>
  bool FeedUtf16(const std::uint8_t* p, const std::uint8_t* end, Sink& sink);
  template <typename Sink>
  bool EmitUtf16Unit(char16_t unit, Sink& sink);

  TextEncoding encoding_;
  std::uint8_t pending_[4] = {};
  int pending_size_ = 0;
  char16_t pending_high_surrogate_ = 0;
};

// ---------------------------------------------------------------------------

template <typename Sink>
bool StreamDecoder::Feed(std::span<const std::uint8_t> bytes, Sink&& sink) {
  const std::uint8_t* p = bytes.data();
  const std::uint8_t* end = p + bytes.size();
  if (encoding_ == TextEncoding::Utf8OrWindows1252) return FeedMixed(p, end, sink);
  return FeedUtf16(p, end, sink);
}

template <typename Sink>
bool StreamDecoder::FeedMixed(const std::uint8_t* p, const std::uint8_t* end, Sink& sink) {
  char32_t c;
  if (pending_size_ > 0) {
    // A character began in the previous chunk: finish it on a small copy of
    // the pending bytes and the first bytes of this chunk.
    std::uint8_t joined[8];
    int joined_size = pending_size_;
    for (int i = 0; i < pending_size_; ++i) joined[i] = pending_[i];
    while (joined_size < 7 && p + (joined_size - pending_size_) < end) {
      joined[joined_size] = p[joined_size - pending_size_];
      ++joined_size;
    }
    int at = 0;
    while (at < pending_size_) {
      const int used = DecodeMixedAt(joined + at, joined + joined_size, false, c);
      if (used == 0) {
        // Still unfinished, so this whole chunk went into the copy: keep
        // the unfinished sequence pending.
        pending_size_ = joined_size - at;
        for (int i = 0; i < pending_size_; ++i) pending_[i] = joined[at + i];
        return false;
      }
      if (sink(c)) return true;
      at += used;
    }
    p += at - pending_size_;
    pending_size_ = 0;
  }
  while (p < end) {
    if (*p < 0x80) {
      if (sink(static_cast<char32_t>(*p))) return true;
      ++p;
      continue;
    }
    const int used = DecodeMixedAt(p, end, false, c);
    if (used == 0) {
      pending_size_ = static_cast<int>(end - p);
      for (int i = 0; i < pending_size_; ++i) pending_[i] = p[i];
      return false;
    }
    if (sink(c)) return true;
    p += used;
  }
  return false;
}

template <typename Sink>
bool StreamDecoder::EmitUtf16Unit(char16_t unit, Sink& sink) {
  if (pending_high_surrogate_ != 0) {
    const char16_t high = pending_high_surrogate_;
    pending_high_surrogate_ = 0;
    if (IsLowSurrogate(unit)) return sink(CombineSurrogates(high, unit));
    if (sink(kReplacementCharacter)) return true;
  }
  if (IsHighSurrogate(unit)) {
    pending_high_surrogate_ = unit;
    return false;
  }
  return sink(IsLowSurrogate(unit) ? kReplacementCharacter : static_cast<char32_t>(unit));
}

template <typename Sink>
bool StreamDecoder::FeedUtf16(const std::uint8_t* p, const std::uint8_t* end, Sink& sink) {
  const bool little_endian = encoding_ == TextEncoding::Utf16LE;
  auto unit_of = [little_endian](std::uint8_t first, std::uint8_t second) {
    return static_cast<char16_t>(little_endian ? (first | (second << 8)) : ((first << 8) | second));
  };
  if (pending_size_ == 1 && p < end) {
    pending_size_ = 0;
    if (EmitUtf16Unit(unit_of(pending_[0], *p++), sink)) return true;
  }
  for (; end - p >= 2; p += 2) {
    if (EmitUtf16Unit(unit_of(p[0], p[1]), sink)) return true;
  }
  if (p < end) {
    pending_[0] = *p;
    pending_size_ = 1;
  }
  return false;
}

template <typename Sink>
bool StreamDecoder::Finish(Sink&& sink) {
  if (encoding_ == TextEncoding::Utf8OrWindows1252) {
    const std::uint8_t* p = pending_;
    const std::uint8_t* end = pending_ + pending_size_;
    pending_size_ = 0;
    char32_t c;
    while (p < end) {
      p += DecodeMixedAt(p, end, true, c);
      if (sink(c)) return true;
    }
    return false;
  }
  if (pending_high_surrogate_ != 0) {
    pending_high_surrogate_ = 0;
    if (sink(kReplacementCharacter)) return true;
  }
  if (pending_size_ == 1) {
    pending_size_ = 0;
    return sink(kReplacementCharacter);
  }
  return false;
}

}  // namespace brenvo1::text
