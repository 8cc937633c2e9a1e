// How a path too wide for its place is shortened, in a list row or a box's
// line on either system: the start of its folder and its whole file name
// stay in sight, and the text shown always fits.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/file_system.h"
#include "text/unicode.h"
#include "text/wtf8.h"
#include "window/shortened_path.h"

namespace {

using brenvo1::window::ShortenedPath;

// A font of two widths: 6 for ASCII, 11 for any other character.
int Width(std::string_view text) {
  int width = 0;
  for (const char c : text) {
    const auto byte = static_cast<std::uint8_t>(c);
    if (!brenvo1::text::IsContinuationByte(byte)) width += byte < 0x80 ? 6 : 11;
  }
  return width;
}
std::string Shortened(std::string_view path, int width) { return ShortenedPath(path, width, &Width); }

const std::string kSeparator(1, brenvo1::platform::kPathSeparator);

// Parts joined by the system's separator.
std::string Path(std::initializer_list<std::string> parts) {
  std::string path;
  for (const std::string& part : parts) path += (path.empty() ? "" : kSeparator) + part;
  return path;
}

const std::string kEllipsis = "\u2026";
const std::string kLong = Path({"C:", "Esempio", "Archivio clienti 2019-2024", "Contratti di manutenzione ordinaria",
                                "Documentazione tecnica allegata", "Relazione finale del collaudo.txt"});

TEST(ShortenedPathTest, PathThatFitsShowsWhole) {
  const std::string path = Path({"C:", "Esempio", "Città", "Note.txt"});
  EXPECT_EQ(Shortened(path, Width(path)), path);
  EXPECT_EQ(Shortened(path, 1000), path);
}

TEST(ShortenedPathTest, LongPathKeepsItsStartAndItsFileName) {
  for (const int width : {250, 300, 440}) {
    const std::string shown = Shortened(kLong, width);
    EXPECT_LE(Width(shown), width) << width;
    // As much of the start as the row has room for beside the name.
    EXPECT_TRUE(shown.starts_with(width >= 440 ? Path({"C:", "Esempio", "Archivio"}) : "C:")) << shown;
    EXPECT_TRUE(shown.ends_with(kEllipsis + kSeparator + "Relazione finale del collaudo.txt")) << shown;
    EXPECT_GT(Width(shown), width - 12) << shown;
  }
}

TEST(ShortenedPathTest, FileNameWiderThanTheRowKeepsItsEnd) {
  const std::string path = Path({"C:", "Dati", std::string(300, 'x') + " fine.txt"});
  const std::string shown = Shortened(path, 200);
  EXPECT_LE(Width(shown), 200);
  EXPECT_TRUE(shown.starts_with(Path({"C:", "Dati"}))) << shown;
  EXPECT_TRUE(shown.ends_with("x fine.txt"));
  EXPECT_NE(shown.find(kEllipsis), std::string::npos);
}

TEST(ShortenedPathTest, LongestPathStillFits) {
  const std::string path = Path({"C:", std::string(32700, 'a'), "ultimo.bas"});
  const std::string shown = Shortened(path, 400);
  EXPECT_LE(Width(shown), 400);
  EXPECT_TRUE(shown.ends_with(kSeparator + "ultimo.bas"));
  const std::string bounded = brenvo1::window::BoundedPath(path);
  EXPECT_EQ(bounded.size(), 2 * brenvo1::window::kMeasuredBytes + kEllipsis.size());
  EXPECT_TRUE(bounded.starts_with("C:") && bounded.ends_with("ultimo.bas"));
}

TEST(ShortenedPathTest, NeverHalfACharacter) {
  // U+1F4C1 (a folder), four bytes, all along the path.
  std::string path = "C:";
  for (int i = 0; i < 200; ++i) path += "\U0001F4C1";
  path = Path({path, "nome.txt"});
  for (int width = 60; width < 300; width += 7) {
    const std::string shown = Shortened(path, width);
    // Cut between characters: still well-formed.
    EXPECT_TRUE(brenvo1::text::Utf16FromWtf8(shown)) << width;
    EXPECT_LE(Width(shown), width);
    if (width >= 70) {
      EXPECT_TRUE(shown.ends_with(kEllipsis + kSeparator + "nome.txt")) << width;
    }
  }
}

TEST(ShortenedPathTest, NoRoomShowsTheEllipsisAlone) { EXPECT_EQ(Shortened(kLong, 1), kEllipsis); }

}  // namespace
