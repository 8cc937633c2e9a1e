#pragma once

// Sizes at the window's DPI. The form's places and sizes are in twips
// (1/1440 inch): 15 twips a pixel at 96 DPI. Functions that only Windows 10
// has are looked up at run time, so that the program still starts on
// Windows 7, where the whole screen has one DPI.

#include <string_view>

#include "platform/windows/windows_api.h"

#include "window/form_layout.h"

namespace brenvo1::window::win32 {

UINT WindowDpi(HWND window);
int PixelsFromTwips(int twips, UINT dpi);
// A place of the form's layout as left, top, right and bottom pixels.
RECT PixelsFromTwips(const layout::Twips& twips, UINT dpi);

// The outer size of a window whose client area is client_width by
// client_height pixels at dpi.
SIZE WindowSizeForClient(int client_width, int client_height, DWORD style, DWORD ex_style, UINT dpi);

// The system's message font (the one its dialogs use) at dpi; the caller
// deletes it with DeleteObject.
HFONT CreateMessageFont(UINT dpi);

int SystemMetricForDpi(int index, UINT dpi);

// The width in pixels of text in the font selected into dc.
int TextWidth(HDC dc, std::wstring_view text);

}  // namespace brenvo1::window::win32
