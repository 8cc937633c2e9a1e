#pragma once

// Turns file bytes into characters. A file that starts with a UTF-16
// byte-order mark is UTF-16. Any other file is read as a mix of UTF-8 and
// Windows-1252, after an optional UTF-8 byte-order mark: every well-formed
// UTF-8 sequence is one character and every other byte is a Windows-1252
// character. Old Italian sources are Windows-1252, newer ones UTF-8, and
// some mix the two; read this way, an accented text is found in all of them.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "text/unicode.h"

namespace brenvo1::text {

enum class TextEncoding { Utf8OrWindows1252, Utf16LE, Utf16BE };

struct EncodingGuess {
  TextEncoding encoding = TextEncoding::Utf8OrWindows1252;
  std::size_t byte_order_mark_size = 0;
};

// Decides the encoding from the first bytes of a file: at least three of
// them, or all the file holds when it is shorter.
EncodingGuess DetectEncoding(std::span<const std::uint8_t> first_bytes);

// The character a Windows-1252 byte stands for; the five bytes the code page
// leaves undefined stand for the C1 controls of the same value.
char32_t Windows1252ToUnicode(std::uint8_t byte);

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
  // The character at p, as DecodeMixedAt or DecodeUtf16At decodes it.
  int DecodeAt(const std::uint8_t* p, const std::uint8_t* end, bool at_end, char32_t& out) const;

  TextEncoding encoding_;
  // The start of a character the last chunk ended within.
  std::uint8_t pending_[3] = {};
  int pending_size_ = 0;
};

// ---------------------------------------------------------------------------

template <typename Sink>
bool StreamDecoder::Feed(std::span<const std::uint8_t> bytes, Sink&& sink) {
  const std::uint8_t* p = bytes.data();
  const std::uint8_t* const end = p + bytes.size();
  char32_t c;
  if (pending_size_ > 0) {
    // The characters that began in the chunk before, decoded on a copy of
    // their bytes and the first bytes of this one: a character takes at
    // most four bytes.
    std::uint8_t joined[7];
    const int taken = static_cast<int>(std::min<std::ptrdiff_t>(end - p, 4));
    std::copy(pending_, pending_ + pending_size_, joined);
    std::copy(p, p + taken, joined + pending_size_);
    int at = 0;
    while (at < pending_size_) {
      const int used = DecodeAt(joined + at, joined + pending_size_ + taken, false, c);
      if (used == 0) {  // still unfinished: the whole chunk went into the copy
        pending_size_ = pending_size_ + taken - at;
        std::copy(joined + at, joined + at + pending_size_, pending_);
        return false;
      }
      if (sink(c)) return true;
      at += used;
    }
    p += at - pending_size_;
    pending_size_ = 0;
  }
  while (p < end) {
    const int used = *p < 0x80 && encoding_ == TextEncoding::Utf8OrWindows1252 ? (c = *p, 1) : DecodeAt(p, end, false, c);
    if (used == 0) {
      pending_size_ = static_cast<int>(end - p);
      std::copy(p, end, pending_);
      return false;
    }
    if (sink(c)) return true;
    p += used;
  }
  return false;
}

template <typename Sink>
bool StreamDecoder::Finish(Sink&& sink) {
  const std::uint8_t* p = pending_;
  const std::uint8_t* const end = pending_ + pending_size_;
  pending_size_ = 0;
  char32_t c;
  while (p < end) {
    p += DecodeAt(p, end, true, c);
    if (sink(c)) return true;
  }
  return false;
}

}  // namespace brenvo1::text
