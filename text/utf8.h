#pragma once

// Which bytes are well-formed UTF-8: the one rule every reader of UTF-8 in
// the program follows (Unicode's table 3-7: no overlong forms, nothing
// above U+10FFFF, and no surrogates, except where WTF-8 allows their
// three-byte form).

#include <cstdint>

namespace brenvo1::text {

enum class Surrogates {
  Refused,   // UTF-8
  Accepted,  // WTF-8: a surrogate's three-byte form is one character
};

// The sequence that starts at p, before end (p < end). Returns its length,
// 1 to 4, with its character in out; 0 when the bytes up to end begin a
// well-formed sequence that only more bytes can finish; -1 when p begins
// no well-formed sequence.
int Utf8SequenceAt(const std::uint8_t* p, const std::uint8_t* end, char32_t& out,
                   Surrogates surrogates = Surrogates::Refused);

}  // namespace brenvo1::text
