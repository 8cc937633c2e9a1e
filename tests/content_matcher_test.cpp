#include "search/content_matcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "search/case_folding.h"
#include "search/chunk_reader.h"
#include "text/text_decoder.h"

namespace brenvo1::search {
namespace {

// Hands out a string's bytes, at most piece bytes per read.
class StringStream : public platform::TextStream {
 public:
  explicit StringStream(std::string content, std::size_t piece = 1 << 20)
      : content_(std::move(content)), piece_(piece) {}
  std::size_t Read(std::span<char> destination) override {
    const std::size_t n = std::min({destination.size(), piece_, content_.size() - position_});
    std::memcpy(destination.data(), content_.data() + position_, n);
    position_ += n;
    return n;
  }
  std::size_t position() const { return position_; }

 private:
  std::string content_;
  std::size_t piece_;
  std::size_t position_ = 0;
};

bool Contains(const std::string& content, const std::string& text, std::size_t chunk = 1 << 16,
              std::size_t piece = 1 << 20) {
  const SearchText search_text(text);
  ContentMatcher matcher(search_text, chunk);
  StringStream stream(content, piece);
  return matcher.Contains(stream);
}

// The rules applied the slow way: decode the whole file, fold, look.
bool ReferenceContains(const std::string& content, const std::string& text) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(content.data());
  const text::EncodingGuess guess = text::DetectEncoding({bytes, content.size()});
  std::u32string decoded;
  text::StreamDecoder decoder(guess.encoding);
  auto sink = [&decoded](char32_t c) {
    decoded.push_back(FoldCase(c));
    return false;
  };
  decoder.Feed({bytes + guess.byte_order_mark_size, content.size() - guess.byte_order_mark_size}, sink);
  decoder.Finish(sink);
  const SearchText search_text(text);
  const std::u32string needle(search_text.folded().begin(), search_text.folded().end());
  return decoded.find(needle) != std::u32string::npos;
}

std::string Utf16LE(const std::u16string& text, bool with_mark = true) {
  std::string out = with_mark ? "\xff\xfe" : "";
  for (char16_t unit : text) {
    out.push_back(static_cast<char>(unit & 0xff));
    out.push_back(static_cast<char>(unit >> 8));
  }
  return out;
}

std::string Utf16BE(const std::u16string& text) {
  std::string out = "\xfe\xff";
  for (char16_t unit : text) {
    out.push_back(static_cast<char>(unit >> 8));
    out.push_back(static_cast<char>(unit & 0xff));
  }
  return out;
}

// The chunks, read in pieces of every size, put back together give the
// file, and every run of overlap bytes lies wholly in one of them.
TEST(ChunkReader, ChunksCoverTheFileAndEveryShortRun) {
  std::mt19937 random(11);
  for (int round = 0; round < 300; ++round) {
    const std::size_t chunk = 1 + random() % 20, overlap = random() % 12;
    std::string content(random() % 200, '\0');
    for (char& c : content) c = static_cast<char>(random());
    StringStream stream(content, 1 + random() % 9);
    ChunkReader reader(chunk, overlap);
    reader.Begin(stream);
    std::string joined;
    std::vector<bool> run_held(content.size() + 1, false);  // by the run's first byte
    do {
      ASSERT_LE(reader.offset(), joined.size());
      const std::string bytes(reinterpret_cast<const char*>(reader.data()), reader.size());
      ASSERT_EQ(joined.compare(reader.offset(), std::string::npos, bytes, 0, joined.size() - reader.offset()), 0);
      joined.resize(reader.offset());
      joined += bytes;
      for (std::size_t at = reader.offset(); at + overlap <= reader.offset() + reader.size(); ++at) run_held[at] = true;
    } while (reader.Advance());
    ASSERT_TRUE(reader.at_end());
    ASSERT_EQ(joined, content) << "round " << round;
    for (std::size_t at = 0; at + overlap <= content.size(); ++at) {
      ASSERT_TRUE(run_held[at]) << "run at " << at << " split, round " << round;
    }
  }
}

TEST(ContentMatcher, IgnoresCase) {
  EXPECT_TRUE(Contains("xxABCxx", "abc"));
  EXPECT_TRUE(Contains("Option Explicit\r\nDim CIAO", "ciao"));
  EXPECT_FALSE(Contains("xxABxCxx", "abc"));
  EXPECT_TRUE(Contains("line one\nline two", "one\nline"));  // line ends are characters
}

TEST(ContentMatcher, AccentedTextInEveryEncoding) {
  const std::string utf8_lower = "la citt\xc3\xa0 vecchia";
  const std::string utf8_upper = "LA CITT\xc3\x80 VECCHIA";
  const std::string cp1252_upper = "LA CITT\xc0 VECCHIA";
  const std::string cp1252_lower = "la citt\xe0 vecchia";
  const std::string with_mark = "\xef\xbb\xbf" + utf8_upper;
  const std::string mixed = "citt\xe0 e CITT\xc3\x80";
  for (const std::string& text : {std::string("citt\xc3\xa0"), std::string("CITT\xc3\x80")}) {
    for (const std::string& content : {utf8_lower, utf8_upper, cp1252_upper, cp1252_lower, with_mark, mixed,
                                       Utf16LE(u"LA CITT\u00c0"), Utf16BE(u"la citt\u00e0")}) {
      EXPECT_TRUE(Contains(content, text)) << content;
    }
    EXPECT_FALSE(Contains("la citta vecchia", text));  // nothing but case is ignored
  }
  EXPECT_TRUE(Contains("\xc8 qui", "\xc3\xa8"));       // È in Windows-1252, è searched
  EXPECT_TRUE(Contains("FA\xc3\x87" "ADE", "fa\xc3\xa7" "ade"));
}

TEST(ContentMatcher, CharactersThatFoldToAscii) {
  EXPECT_TRUE(Contains("\xe2\x84\xaa" "elvin", "kelvin"));  // Kelvin sign
  EXPECT_TRUE(Contains("ta\xc5\xbf" "k", "TASK"));           // long s
  EXPECT_TRUE(Contains("x\xe2\x84\xaay", "k"));
  EXPECT_FALSE(Contains("x\xe2\x84y", "k"));
  EXPECT_FALSE(Contains("\xe2\x84\xaa", "a"));
}

TEST(ContentMatcher, BrokenSequencesReadAsWindows1252) {
  // ED A0 80 is no UTF-8 (a surrogate): three Windows-1252 characters.
  EXPECT_TRUE(Contains("a\xed\xa0\x80z", "a\xc3\xad\xc2\xa0\xe2\x82\xac" "z"));
  // An ill-formed lead must not swallow the ASCII anchor after it.
  EXPECT_TRUE(Contains("\xe2" "abc", "\xc3\xa2" "abc"));
  EXPECT_FALSE(Contains("\xc3\xa0" "abc", "\xc3\x83\xc2\xa0" "abc"));
}

// A text typed on Windows holds an unpaired surrogate as its three-byte
// form. It reads as U+FFFD, as one in a UTF-16 file does, and so finds such
// a surrogate, never the Windows-1252 characters its bytes would spell.
TEST(ContentMatcher, UnpairedSurrogateInTheTextFindsOnlyOneInAFile) {
  const std::string a_high = "a\xed\xa0\xbd";  // "a" and U+D83D
  EXPECT_EQ(SearchText(a_high).folded(), (std::vector<char32_t>{U'a', text::kReplacementCharacter}));
  EXPECT_EQ(SearchText("\xed\xa0\xbd\xed\xb8\x80").folded(),  // two halves, each alone
            (std::vector<char32_t>{text::kReplacementCharacter, text::kReplacementCharacter}));
  EXPECT_EQ(SearchText("\xed\x9f\xbf\xed\xa0").folded(),  // U+D7FF, then a form cut short
            (std::vector<char32_t>{0xD7FF, 0xED, 0xA0}));
  EXPECT_FALSE(Contains("a\xc3\xad\xc2\xa0\xc2\xbd", a_high));  // "aí ½" in UTF-8
  EXPECT_FALSE(Contains("a\xed\xa0\xbd", a_high));                 // the same bytes: Windows-1252
  EXPECT_FALSE(Contains("A\xcd\xa0\xbd", a_high));                 // in upper case
  EXPECT_FALSE(Contains(Utf16LE(u"a\U0001F600"), a_high));          // a paired surrogate
  EXPECT_TRUE(Contains(Utf16LE(u"xA\xD83Dy"), a_high));
  EXPECT_TRUE(Contains(Utf16BE(u"xa\xDE00y"), "A\xed\xb8\x80Y"));
  EXPECT_TRUE(Contains("a\xef\xbf\xbd", a_high));  // U+FFFD, all a decoder makes of a lone surrogate
}

TEST(ContentMatcher, ByteOrderMarkIsNotText) {
  EXPECT_FALSE(Contains("\xef\xbb\xbf" "abc", "\xef\xbb\xbf" "abc"));
  EXPECT_TRUE(Contains("x\xef\xbb\xbf" "abc", "\xef\xbb\xbf" "abc"));  // a mid-file U+FEFF is a character
  EXPECT_FALSE(Contains("\xff\xfe", "a"));
}

TEST(ContentMatcher, EmptyTextMatchesAnyNonEmptyFile) {
  EXPECT_TRUE(Contains("x", ""));
  EXPECT_FALSE(Contains("", ""));
}

TEST(ContentMatcher, StopsReadingAtTheFirstHit) {
  const SearchText text("needle");
  ContentMatcher matcher(text, 4096);
  StringStream stream("needle" + std::string(1 << 20, 'x'));
  ASSERT_TRUE(matcher.Contains(stream));
  EXPECT_LT(stream.position(), 8192u);
}

// Hits placed across every offset around a chunk boundary, in every
// encoding and read size, must all be found.
TEST(ContentMatcher, FindsHitsThatStraddleChunks) {
  const std::size_t chunk = 64;
  const std::vector<std::string> texts = {"citt\xc3\xa0", "\xc3\xa8", "kelvin", "abc", "\xe2\x82\xac" "x"};
  const std::vector<std::string> spellings = {"CITT\xc3\x80", "citt\xe0", "\xc8", "\xc3\x88", "\xe2\x84\xaa" "ELVIN",
                                              "aBc", "\x80X", "\xe2\x82\xacx"};
  for (const std::string& spelled : spellings) {
    for (std::size_t offset = chunk - 12; offset <= 2 * chunk + 12; ++offset) {
      const std::string content = std::string(offset, '.') + spelled + std::string(20, '.');
      for (const std::string& text : texts) {
        const bool expected = ReferenceContains(content, text);
        for (std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{1000}}) {
          ASSERT_EQ(Contains(content, text, chunk, piece), expected)
              << "spelled " << spelled << " text " << text << " offset " << offset << " piece " << piece;
        }
      }
    }
  }
}

TEST(ContentMatcher, FindsUtf16HitsThatStraddleChunks) {
  const std::size_t chunk = 64;
  for (const std::u16string& spelled : {std::u16string(u"CITT\u00c0"), std::u16string(u"\U0001F600abc"),
                                        std::u16string(u"\u212aELVIN")}) {
    for (std::size_t offset = chunk / 2 - 12; offset <= chunk + 12; ++offset) {
      const std::u16string text16 = std::u16string(offset, u'.') + spelled + std::u16string(20, u'.');
      for (const std::string& content : {Utf16LE(text16), Utf16BE(text16)}) {
        for (const std::string& text : {std::string("citt\xc3\xa0"), std::string("\xf0\x9f\x98\x80" "ABC"),
                                        std::string("kelvin"), std::string(".abc.")}) {
          const bool expected = ReferenceContains(content, text);
          for (std::size_t piece : {std::size_t{1}, std::size_t{5}, std::size_t{1000}}) {
            ASSERT_EQ(Contains(content, text, chunk, piece), expected) << "offset " << offset << " piece " << piece;
          }
        }
      }
    }
  }
}

// Random bytes, random texts, small chunks: the verdict must equal decoding
// the whole file at once.
TEST(ContentMatcher, AgreesWithWholeFileDecodingOnRandomInput) {
  std::mt19937 random(2024);
  const std::vector<std::string> pieces = {"a", "B", "k", "S", "\xc3\xa0", "\xc3\x80", "\xe0", "\xc0", "\xe2\x84\xaa",
                                           "\xc5\xbf", "\xe2", "\x84", "\xaa", "\xef\xbb\xbf", "\xed\xa0\x80", "\n",
                                           std::string("\0", 1), std::string("a\0", 2), std::string("\0A", 2),
                                           "\x3d\xd8", "\x00\xde", "\xd8\x3d", "\xde\x00"};
  int hits = 0;
  for (int round = 0; round < 6000; ++round) {
    std::string content;
    static const char* const kMarks[] = {"", "", "\xef\xbb\xbf", "\xff\xfe", "\xfe\xff"};
    content = kMarks[random() % 5];
    const int content_pieces = static_cast<int>(random() % 40);
    for (int i = 0; i < content_pieces; ++i) content += pieces[random() % pieces.size()];
    std::string text;
    const int text_pieces = 1 + static_cast<int>(random() % 3);
    for (int i = 0; i < text_pieces; ++i) text += pieces[random() % pieces.size()];
    const bool expected = ReferenceContains(content, text);
    hits += expected;
    const std::size_t chunk = 1 + random() % 24;
    ASSERT_EQ(Contains(content, text, chunk, 1 + random() % 9), expected)
        << "round " << round << " chunk " << chunk;
  }
  EXPECT_GT(hits, 100);  // the input must exercise hits, not only misses
}

}  // namespace
}  // namespace brenvo1::search
