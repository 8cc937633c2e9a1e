#include "search/case_folding.h"

#include <gtest/gtest.h>
#include <unicode/uchar.h>

#include <cstdint>
#include <vector>

namespace brenvo1::search {
namespace {

// The generated table against ICU's simple default folding, the reference
// implementation of the same Unicode data, on every code point.
TEST(CaseFolding, AgreesWithIcuOnEveryCodePoint) {
  std::vector<std::uint32_t> differing;
  std::size_t folded = 0;
  for (std::uint32_t c = 0; c <= 0x10FFFF; ++c) {
    const auto expected = static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
    const char32_t actual = FoldCase(c);
    if (actual != expected && differing.size() < 20) differing.push_back(c);
    if (expected != c) ++folded;
  }
  EXPECT_TRUE(differing.empty()) << "first code point that differs: U+" << std::hex
                                 << (differing.empty() ? 0 : differing.front());
  // Guards against a table and an ICU that both fold nothing.
  EXPECT_GT(folded, 1400u);
}

TEST(CaseFolding, LeavesValuesBeyondUnicodeAlone) {
  for (const char32_t c : {char32_t{0x110000}, char32_t{0x7FFFFFFF}, char32_t{0xFFFFFFFF}}) {
    EXPECT_EQ(FoldCase(c), c);
  }
}

}  // namespace
}  // namespace brenvo1::search
