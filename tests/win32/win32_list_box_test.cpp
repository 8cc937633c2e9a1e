// How a row of the Windows result list shortens a path too wide for it:
// the start of its folder and its whole file name stay in sight, as the
// Linux list shows a row, and the text shown always fits.

#include <gtest/gtest.h>

#include <string>

#include "platform/windows/windows_api.h"
#include "window/win32/dpi.h"
#include "window/win32/win32_list_box.h"

namespace {

using brenvo1::window::win32::CreateMessageFont;
using brenvo1::window::win32::ShownPath;

class ShownPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dc_ = CreateCompatibleDC(nullptr);
    font_ = CreateMessageFont(USER_DEFAULT_SCREEN_DPI);
    old_font_ = SelectObject(dc_, font_);
  }
  void TearDown() override {
    SelectObject(dc_, old_font_);
    DeleteObject(font_);
    DeleteDC(dc_);
  }
  int Width(const std::wstring& text) const {
    SIZE size{};
    GetTextExtentPoint32W(dc_, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
  }

  HDC dc_ = nullptr;
  HFONT font_ = nullptr;
  HGDIOBJ old_font_ = nullptr;
};

constexpr wchar_t kEllipsis = L'\u2026';
const std::wstring kLong =
    L"C:\\Esempio\\Archivio clienti 2019-2024\\Contratti di manutenzione ordinaria\\Documentazione tecnica "
    L"allegata\\Relazione finale del collaudo.txt";

TEST_F(ShownPathTest, PathThatFitsShowsWhole) {
  const std::wstring path = L"C:\\Esempio\\Lavori\\Note.txt";
  EXPECT_EQ(ShownPath(dc_, path, Width(path)), path);
  EXPECT_EQ(ShownPath(dc_, path, 1000), path);
}

TEST_F(ShownPathTest, LongPathKeepsItsStartAndItsFileName) {
  for (const int width : {200, 300, 440}) {
    const std::wstring shown = ShownPath(dc_, kLong, width);
    EXPECT_LE(Width(shown), width) << width;
    // As much of the start as the row has room for beside the name.
    EXPECT_TRUE(shown.starts_with(width >= 300 ? L"C:\\Esempio\\Archivio" : L"C:\\")) << width;
    EXPECT_TRUE(shown.ends_with(std::wstring(1, kEllipsis) + L"\\Relazione finale del collaudo.txt")) << width;
  }
}

TEST_F(ShownPathTest, FileNameWiderThanTheRowKeepsItsEnd) {
  const std::wstring path = L"C:\\Dati\\" + std::wstring(300, L'x') + L" fine.txt";
  const std::wstring shown = ShownPath(dc_, path, 200);
  EXPECT_LE(Width(shown), 200);
  EXPECT_TRUE(shown.starts_with(L"C:\\Dati")) << shown.size();
  EXPECT_TRUE(shown.ends_with(L"x fine.txt"));
  EXPECT_NE(shown.find(kEllipsis), std::wstring::npos);
}

TEST_F(ShownPathTest, LongestPathStillFits) {
  const std::wstring path = L"\\\\?\\C:\\" + std::wstring(32700, L'a') + L"\\ultimo.bas";
  const std::wstring shown = ShownPath(dc_, path, 400);
  EXPECT_LE(Width(shown), 400);
  EXPECT_TRUE(shown.ends_with(L"\\ultimo.bas"));
}

TEST_F(ShownPathTest, NeverHalfACharacterBeyondTheBasicPlane) {
  // U+1F4C1 (a folder), two UTF-16 units, all along the path.
  std::wstring path = L"C:\\";
  for (int i = 0; i < 200; ++i) path += L"\xD83D\xDCC1";
  path += L"\\nome.txt";
  for (int width = 60; width < 300; width += 7) {
    const std::wstring shown = ShownPath(dc_, path, width);
    for (std::size_t i = 0; i < shown.size(); ++i) {
      if (IS_HIGH_SURROGATE(shown[i])) {
        ASSERT_TRUE(i + 1 < shown.size() && IS_LOW_SURROGATE(shown[i + 1])) << width;
        ++i;
      } else {
        ASSERT_FALSE(IS_LOW_SURROGATE(shown[i])) << width;
      }
    }
    EXPECT_TRUE(shown.ends_with(L"\\nome.txt")) << width;
  }
}

TEST_F(ShownPathTest, NoRoomShowsTheEllipsisAlone) {
  EXPECT_EQ(ShownPath(dc_, kLong, 1), std::wstring(1, kEllipsis));
}

}  // namespace
