#pragma once

namespace brenvo1::search {

// Folds a character outside ASCII; see FoldCase.
char32_t FoldCaseBeyondAscii(char32_t c);

// Unicode simple case folding: one character to one character, so that
// letters differing only in case compare equal (à = À, K = k = Kelvin sign).
inline char32_t FoldCase(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
  return FoldCaseBeyondAscii(c);
}

}  // namespace brenvo1::search
