#include "search/case_folding.h"

#include <cstdint>

namespace brenvo1::search {

namespace {

// The table is generated at build time from the Unicode Character
// Database, so both platforms fold alike without a Unicode library at run
// time, and constant data needs no start-up work.
#include "case_folding_table.inc"

}  // namespace

char32_t FoldCaseBeyondAscii(char32_t c) {
  if (c > kFoldLast) return c;
  const std::uint32_t block = kFoldBlockOf[c >> kFoldBlockBits];
  const std::uint32_t offset = c & ((1u << kFoldBlockBits) - 1);
  return static_cast<char32_t>(static_cast<std::int32_t>(c) + kFoldDelta[(block << kFoldBlockBits) + offset]);
}

}  // namespace brenvo1::search
