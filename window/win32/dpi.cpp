#include "window/win32/dpi.h"

#include "platform/windows/system_function.h"

namespace brenvo1::window::win32 {

using platform::windows::SystemFunction;

namespace {

UINT ScreenDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace

UINT WindowDpi(HWND window) {
  static const auto get_dpi_for_window = SystemFunction<UINT(WINAPI*)(HWND)>(L"user32.dll", "GetDpiForWindow");
  if (get_dpi_for_window && window) {
    if (const UINT dpi = get_dpi_for_window(window)) return dpi;
  }
  return ScreenDpi();
}

int PixelsFromTwips(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), layout::kTwipsPerInch); }

RECT PixelsFromTwips(const layout::Twips& twips, UINT dpi) {
  return RECT{PixelsFromTwips(twips.left, dpi), PixelsFromTwips(twips.top, dpi),
              PixelsFromTwips(twips.left + twips.width, dpi), PixelsFromTwips(twips.top + twips.height, dpi)};
}

SIZE WindowSizeForClient(int client_width, int client_height, DWORD style, DWORD ex_style, UINT dpi) {
  static const auto adjust_for_dpi =
      SystemFunction<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>(L"user32.dll", "AdjustWindowRectExForDpi");
  RECT rect{0, 0, client_width, client_height};
  if (!adjust_for_dpi || !adjust_for_dpi(&rect, style, FALSE, ex_style, dpi)) {
    AdjustWindowRectEx(&rect, style, FALSE, ex_style);
  }
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

HFONT CreateMessageFont(UINT dpi) {
  static const auto parameters_for_dpi =
      SystemFunction<BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT)>(L"user32.dll", "SystemParametersInfoForDpi");
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (parameters_for_dpi && parameters_for_dpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
    return CreateFontIndirectW(&metrics.lfMessageFont);
  }
  // The font as the system gives it is for the screen's DPI.
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }
  metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi),
                                          static_cast<int>(ScreenDpi()));
  return CreateFontIndirectW(&metrics.lfMessageFont);
}

int SystemMetricForDpi(int index, UINT dpi) {
  static const auto metric_for_dpi = SystemFunction<int(WINAPI*)(int, UINT)>(L"user32.dll", "GetSystemMetricsForDpi");
  if (metric_for_dpi) return metric_for_dpi(index, dpi);
  return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(ScreenDpi()));
}

int TextWidth(HDC dc, std::wstring_view text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

}  // namespace brenvo1::window::win32
