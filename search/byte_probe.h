#pragma once

#include <cstddef>
#include <cstdint>

namespace brenvo1::search {

// Two bytes of a pattern, tested at their offsets from a candidate start.
// A byte matches when (byte | mask) == value: a mask of 0x20 on a lower-case
// ASCII letter accepts both of its cases and nothing else.
struct BytePair {
  std::size_t first_offset = 0;
  std::uint8_t first_value = 0;
  std::uint8_t first_mask = 0;
  std::size_t second_offset = 0;
  std::uint8_t second_value = 0;
  std::uint8_t second_mask = 0;
};

// The first start in [at, last] where both bytes of the pair match, or
// nullptr. Bytes up to last + the larger offset must be readable. Uses the
// widest vector instructions the processor has.
const std::uint8_t* FindBytePair(const std::uint8_t* at, const std::uint8_t* last, const BytePair& pair);

}  // namespace brenvo1::search
