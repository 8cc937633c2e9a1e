#pragma once

// The form's places and sizes, in twips (1/1440 inch; 15 twips a pixel at
// 96 DPI), for both windows: each converts them to its own pixels.

namespace brenvo1::window::layout {

struct Twips {
  int left;
  int top;
  int width;
  int height;
};

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kTwipsPerPixelAt96Dpi = kTwipsPerInch / 96;

// The client area: its stored place on the screen and its size.
inline constexpr Twips kForm1{3420, 1935, 6975, 8130};

// The controls, in tab order; places within the client area.
inline constexpr Twips kTxtPercorso{120, 120, 5295, 375};
inline constexpr Twips kCommand1{5640, 600, 1095, 375};
inline constexpr Twips kTxtTesto{120, 600, 5295, 375};
inline constexpr Twips kLstFile{120, 1200, 6735, 6690};

}  // namespace brenvo1::window::layout
