#include "text/wtf8.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace brenvo1::text {
namespace {

std::u16string RoundTrip(const std::u16string& units) {
  const std::optional<std::u16string> back = Utf16FromWtf8(Wtf8FromUtf16(units));
  return back ? *back : u"<rejected>";
}

TEST(Wtf8, ValidUtf16IsPlainUtf8) {
  EXPECT_EQ(Wtf8FromUtf16(u"citt\u00e0 \u20ac"), "citt\xc3\xa0 \xe2\x82\xac");
  EXPECT_EQ(Wtf8FromUtf16(u"\U0001F600"), "\xf0\x9f\x98\x80");
  EXPECT_EQ(Wtf8FromUtf16(u"\U0010FFFF\U00010000"), "\xf4\x8f\xbf\xbf\xf0\x90\x80\x80");
  EXPECT_EQ(Wtf8FromUtf16(std::u16string(u"a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(*Utf16FromWtf8("\xf0\x9f\x98\x80.txt"), u"\U0001F600.txt");
  EXPECT_EQ(*Utf16FromWtf8(""), u"");
}

TEST(Wtf8, LoneSurrogatesTakeTheirThreeByteForm) {
  EXPECT_EQ(Wtf8FromUtf16(u"a\xD800" "b"), "a\xed\xa0\x80" "b");
  EXPECT_EQ(Wtf8FromUtf16(u"\xDFFF"), "\xed\xbf\xbf");
  // A low surrogate before a high one is two lone surrogates, not a pair.
  EXPECT_EQ(Wtf8FromUtf16(u"\xDC00\xD800"), "\xed\xb0\x80\xed\xa0\x80");
  // A high surrogate at the very end.
  EXPECT_EQ(Wtf8FromUtf16(u"x\xDBFF"), "x\xed\xaf\xbf");
  EXPECT_EQ(*Utf16FromWtf8("\xed\xa0\x80" "b"), u"\xD800" "b");
  EXPECT_EQ(*Utf16FromWtf8("\xed\xb0\x80\xed\xa0\x80"), u"\xDC00\xD800");
}

TEST(Wtf8, EveryUnitAndEveryPairOfSurrogatesComesBack) {
  for (char32_t u = 0; u <= 0xFFFF; ++u) {
    const std::u16string one(1, static_cast<char16_t>(u));
    ASSERT_EQ(RoundTrip(one), one) << "unit " << std::hex << static_cast<unsigned>(u);
  }
  for (char32_t high = 0xD800; high <= 0xDFFF; high += 0x3F) {
    for (char32_t low = 0xD800; low <= 0xDFFF; low += 0x1D) {
      const std::u16string two = {static_cast<char16_t>(high), static_cast<char16_t>(low)};
      ASSERT_EQ(RoundTrip(two), two) << std::hex << static_cast<unsigned>(high) << " "
                                     << static_cast<unsigned>(low);
    }
  }
}

TEST(Wtf8, RandomNamesRichInSurrogatesComeBack) {
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<int> pick(0, 5);
  std::uniform_int_distribution<int> any(0, 0xFFFF);
  std::uniform_int_distribution<int> surrogate(0xD800, 0xDFFF);
  for (int round = 0; round < 20000; ++round) {
    std::u16string units(static_cast<std::size_t>(pick(rng) * 3), u'\0');
    for (char16_t& u : units) {
      u = static_cast<char16_t>(pick(rng) < 3 ? surrogate(rng) : any(rng));
    }
    ASSERT_EQ(RoundTrip(units), units);
  }
}

TEST(Wtf8, RejectsWhatNoUtf16Name) {
  for (const std::string& bad : {
           std::string("\xed\xa0\x80\xed\xb0\x80"),  // a pair spelled as two lone halves
           std::string("\xc0\xaf"),                  // overlong
           std::string("\xe0\x80\x80"),              // overlong
           std::string("\xf0\x80\x80\x80"),          // overlong
           std::string("\xf4\x90\x80\x80"),          // beyond U+10FFFF
           std::string("\xf8\x88\x80\x80\x80"),      // five-byte form
           std::string("\x80"),                      // continuation alone
           std::string("citt\xc3"),                  // cut short
           std::string("\xe2\x82" "A"),              // cut by an ASCII byte
           std::string("caf\xe9"),                   // Windows-1252
           std::string("\xff\xfe"),
       }) {
    EXPECT_FALSE(Utf16FromWtf8(bad).has_value()) << testing::PrintToString(bad);
  }
}

}  // namespace
}  // namespace brenvo1::text
