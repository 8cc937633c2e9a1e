#pragma once

namespace brenvo1::search {

// Unicode simple case folding: one character to one character, so that
// letters differing only in case compare equal (à = À, K = k = Kelvin sign).
char32_t FoldCase(char32_t c);

}  // namespace brenvo1::search
