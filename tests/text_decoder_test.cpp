#include "text/text_decoder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace brenvo1::text {
namespace {

std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// Decodes bytes fed in pieces of at most piece bytes.
std::u32string Decode(const std::string& bytes, TextEncoding encoding, std::size_t piece = 1 << 20) {
  std::u32string out;
  StreamDecoder decoder(encoding);
  auto sink = [&out](char32_t c) {
    out.push_back(c);
    return false;
  };
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    decoder.Feed(Bytes(bytes).subspan(at, std::min(piece, bytes.size() - at)), sink);
  }
  decoder.Finish(sink);
  return out;
}

std::u32string Mixed(const std::string& bytes) { return Decode(bytes, TextEncoding::Utf8OrWindows1252); }

TEST(DetectEncoding, ByteOrderMarks) {
  EXPECT_EQ(DetectEncoding(Bytes("\xff\xfe" "a")).encoding, TextEncoding::Utf16LE);
  EXPECT_EQ(DetectEncoding(Bytes("\xfe\xff" "a")).encoding, TextEncoding::Utf16BE);
  const EncodingGuess utf8 = DetectEncoding(Bytes("\xef\xbb\xbf" "a"));
  EXPECT_EQ(utf8.encoding, TextEncoding::Utf8OrWindows1252);
  EXPECT_EQ(utf8.byte_order_mark_size, 3u);
  EXPECT_EQ(DetectEncoding(Bytes("abc")).byte_order_mark_size, 0u);
}

TEST(DetectEncoding, FileShorterThanAMarkIsPlainText) {
  EXPECT_EQ(DetectEncoding(Bytes("\xef\xbb")).byte_order_mark_size, 0u);
  EXPECT_EQ(DetectEncoding(Bytes("\xff")).encoding, TextEncoding::Utf8OrWindows1252);
}

TEST(MixedDecoding, WellFormedUtf8IsUtf8) {
  EXPECT_EQ(Mixed("citt\xc3\xa0"), U"citt\u00e0");
  EXPECT_EQ(Mixed("\xe2\x82\xac"), U"\u20ac");
  EXPECT_EQ(Mixed("\xf0\x9f\x98\x80"), U"\U0001F600");
  EXPECT_EQ(Mixed("\xf4\x8f\xbf\xbf"), U"\U0010FFFF");
}

TEST(MixedDecoding, OtherBytesAreWindows1252) {
  EXPECT_EQ(Mixed("citt\xe0"), U"citt\u00e0");
  EXPECT_EQ(Mixed("\x80\x8a\x9f\xc0"), U"\u20ac\u0160\u0178\u00c0");
  // The five bytes Windows-1252 leaves undefined stand for C1 controls.
  EXPECT_EQ(Mixed("\x81\x8d\x8f\x90\x9d"), U"\u0081\u008d\u008f\u0090\u009d");
}

TEST(MixedDecoding, IllFormedSequencesFallBackByteByByte) {
  EXPECT_EQ(Mixed("\xc0\xaf"), U"\u00c0\u00af");              // overlong
  EXPECT_EQ(Mixed("\xe0\x80\x80"), U"\u00e0\u20ac\u20ac");     // overlong
  EXPECT_EQ(Mixed("\xed\xa0\x80"), U"\u00ed\u00a0\u20ac");     // surrogate
  EXPECT_EQ(Mixed("\xf4\x90\x80\x80"), U"\u00f4\u0090\u20ac\u20ac");  // above U+10FFFF
  EXPECT_EQ(Mixed("\xe2\x82" "a"), U"\u00e2\u201a" U"a");      // cut short
  EXPECT_EQ(Mixed("\xe2\x82"), U"\u00e2\u201a");               // cut by the end
  EXPECT_EQ(Mixed("\xc3\xc3\xa0"), U"\u00c3\u00e0");           // lead then a whole sequence
}

TEST(MixedDecoding, PiecesGiveTheSameCharactersAsTheWhole) {
  const std::string text = "a\xc3\xa0\xe2\x82\xac\xf0\x9f\x98\x80\xe0\xc3\xe2\x82" "b\xed\xa0\x80\xf0\x9f\x98";
  const std::u32string whole = Mixed(text);
  for (std::size_t piece = 1; piece <= 5; ++piece) {
    EXPECT_EQ(Decode(text, TextEncoding::Utf8OrWindows1252, piece), whole) << "piece " << piece;
  }
}

TEST(Utf16Decoding, UnitsPairsAndBrokenInput) {
  EXPECT_EQ(Decode(std::string("c\0\xe0\0", 4), TextEncoding::Utf16LE), U"c\u00e0");
  EXPECT_EQ(Decode(std::string("\0c\0\xe0", 4), TextEncoding::Utf16BE), U"c\u00e0");
  EXPECT_EQ(Decode(std::string("\x3d\xd8\x00\xde", 4), TextEncoding::Utf16LE), U"\U0001F600");
  // Unpaired surrogates and an odd last byte read as U+FFFD.
  EXPECT_EQ(Decode(std::string("\x3d\xd8" "a\0", 4), TextEncoding::Utf16LE), U"\uFFFDa");
  EXPECT_EQ(Decode(std::string("\x00\xde", 2), TextEncoding::Utf16LE), U"\uFFFD");
  EXPECT_EQ(Decode(std::string("\x3d\xd8", 2), TextEncoding::Utf16LE), U"\uFFFD");
  EXPECT_EQ(Decode(std::string("a\0b", 3), TextEncoding::Utf16LE), U"a\uFFFD");
  EXPECT_EQ(Decode(std::string("\x3d\xd8" "b", 3), TextEncoding::Utf16LE), U"\uFFFD\uFFFD");
  const std::string pair_and_more("\x3d\xd8\x00\xde" "x\0\x00\xde", 8);
  for (std::size_t piece = 1; piece <= 3; ++piece) {
    EXPECT_EQ(Decode(pair_and_more, TextEncoding::Utf16LE, piece), U"\U0001F600x\uFFFD");
  }
}

// Walking back from the end, one character at a time, must meet exactly the
// characters and boundaries that decoding forward found.
TEST(MixedDecoding, BackwardStepsRetraceForwardDecoding) {
  std::mt19937 random(12345);
  const std::uint8_t alphabet[] = {'a', 0x80, 0x84, 0x9f, 0xa0, 0xaa, 0xbf, 0xc2, 0xc3, 0xc5,
                                   0xe0, 0xe2, 0xed, 0xef, 0xf0, 0xf4, 0xc0, 0xff};
  for (int round = 0; round < 2000; ++round) {
    std::vector<std::uint8_t> bytes(1 + random() % 12);
    for (auto& b : bytes) b = alphabet[random() % sizeof alphabet];
    std::vector<std::pair<std::size_t, char32_t>> forward;
    for (std::size_t at = 0; at < bytes.size();) {
      char32_t c;
      const int used = DecodeMixedAt(bytes.data() + at, bytes.data() + bytes.size(), true, c);
      forward.emplace_back(at, c);
      at += static_cast<std::size_t>(used);
    }
    const std::uint8_t* boundary = bytes.data() + bytes.size();
    for (auto it = forward.rbegin(); it != forward.rend(); ++it) {
      char32_t c;
      const std::uint8_t* start;
      ASSERT_EQ(DecodeMixedBefore(bytes.data(), boundary, true, c, start), BackwardStep::Decoded);
      ASSERT_EQ(c, it->second) << "round " << round;
      ASSERT_EQ(static_cast<std::size_t>(start - bytes.data()), it->first) << "round " << round;
      boundary = start;
    }
  }
}

TEST(Utf16Decoding, BackwardStepsRetraceForwardDecoding) {
  std::mt19937 random(777);
  const char16_t units[] = {u'a', 0x00e0, 0xd83d, 0xde00, 0xdbff, 0xdc00, 0xfffd};
  for (bool big_endian : {false, true}) {
    for (int round = 0; round < 2000; ++round) {
      std::vector<std::uint8_t> bytes;
      const int count = 1 + static_cast<int>(random() % 8);
      for (int i = 0; i < count; ++i) {
        const char16_t unit = units[random() % (sizeof units / sizeof units[0])];
        const std::uint8_t high = static_cast<std::uint8_t>(unit >> 8), low = static_cast<std::uint8_t>(unit & 0xff);
        bytes.push_back(big_endian ? high : low);
        bytes.push_back(big_endian ? low : high);
      }
      std::vector<std::pair<std::size_t, char32_t>> forward;
      for (std::size_t at = 0; at < bytes.size();) {
        char32_t c;
        const int used = DecodeUtf16At(bytes.data() + at, bytes.data() + bytes.size(), true, big_endian, c);
        forward.emplace_back(at, c);
        at += static_cast<std::size_t>(used);
      }
      const std::string as_string(bytes.begin(), bytes.end());
      std::u32string streamed = Decode(as_string, big_endian ? TextEncoding::Utf16BE : TextEncoding::Utf16LE, 3);
      ASSERT_EQ(streamed.size(), forward.size());
      const std::uint8_t* boundary = bytes.data() + bytes.size();
      for (std::size_t k = forward.size(); k-- > 0;) {
        ASSERT_EQ(streamed[k], forward[k].second);
        char32_t c;
        const std::uint8_t* start;
        ASSERT_EQ(DecodeUtf16Before(bytes.data(), boundary, true, big_endian, c, start), BackwardStep::Decoded);
        ASSERT_EQ(c, forward[k].second) << "round " << round;
        ASSERT_EQ(static_cast<std::size_t>(start - bytes.data()), forward[k].first) << "round " << round;
        boundary = start;
      }
    }
  }
}

TEST(MixedDecoding, BackwardStepAsksForBytesItCannotSee) {
  const std::string bytes = "\xe2\x84\xaa";  // the Kelvin sign
  const auto* begin = reinterpret_cast<const std::uint8_t*>(bytes.data());
  char32_t c;
  const std::uint8_t* start;
  EXPECT_EQ(DecodeMixedBefore(begin + 1, begin + 3, false, c, start), BackwardStep::NeedsEarlierBytes);
  EXPECT_EQ(DecodeMixedBefore(begin, begin + 3, false, c, start), BackwardStep::Decoded);
  EXPECT_EQ(c, U'\u212a');
}

}  // namespace
}  // namespace brenvo1::text
