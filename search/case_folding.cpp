#include "search/case_folding.h"

#include <unicode/uchar.h>

#include <array>
#include <cstdint>

namespace brenvo1::search {

namespace {

// Nearly every character a search meets lies in the Basic Multilingual
// Plane; a table built once from ICU spares a library call per character.
struct BmpFoldTable {
  std::array<char16_t, 0x10000> folded{};
  BmpFoldTable() {
    for (std::uint32_t c = 0; c < 0x10000; ++c) {
      folded[c] = static_cast<char16_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
    }
  }
};

const BmpFoldTable& Table() {
  static const BmpFoldTable table;
  return table;
}

}  // namespace

char32_t FoldCase(char32_t c) {
  if (c < 0x10000) return Table().folded[c];
  if (c > 0x10FFFF) return c;
  return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}

}  // namespace brenvo1::search
