#include "search/case_folding.h"

#include <unicode/uchar.h>

#include <cstdint>
#include <memory>

namespace brenvo1::search {

namespace {

// Nearly every character a search meets lies in the Basic Multilingual
// Plane; a table built once from ICU spares a library call per character.
std::unique_ptr<char16_t[]> BuildBmpTable() {
  auto table = std::make_unique<char16_t[]>(0x10000);
  for (std::uint32_t c = 0; c < 0x10000; ++c) {
    table[c] = static_cast<char16_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
  }
  return table;
}

const char16_t* const kBmpFolded = BuildBmpTable().release();

}  // namespace

char32_t FoldCaseBeyondAscii(char32_t c) {
  if (c < 0x10000) return kBmpFolded[c];
  if (c > 0x10FFFF) return c;
  return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}

}  // namespace brenvo1::search
