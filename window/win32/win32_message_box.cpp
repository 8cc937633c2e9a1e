#include "window/win32/win32_message_box.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/windows/system_function.h"
#include "platform/windows/wide_text.h"
#include "messages/texts.h"
#include "window/shortened_path.h"
#include "window/win32/dpi.h"
#include "window/win32/resource_ids.h"

namespace brenvo1::window::win32 {

using platform::windows::SystemFunction;
using platform::windows::WideText;

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND;

// Sizes at 96 DPI, those of the system's own boxes.
constexpr int kMargin = 11;
constexpr int kTextTop = 14;
constexpr int kGap = 8;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonPadding = 10;
constexpr int kStripPadding = 10;
constexpr int kWidest = 720;
constexpr int kNarrowest = 320;
// The details show at most this many of the screen's work area in tenths,
// and scroll beyond; however few they are, they have room for a few lines,
// and their scroll bar for its thumb.
constexpr int kDetailsMostTenths = 4;
constexpr int kDetailsLeastLines = 5;

// A dialog of no controls, captioned title: its controls are made and
// placed in pixels at the dialog's DPI, not in dialog units.
std::vector<WORD> DialogTemplate(std::wstring_view title) {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  auto* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
  header->style = kStyle;
  words.push_back(0);  // no menu
  words.push_back(0);  // the dialog class
  words.insert(words.end(), title.begin(), title.end());
  words.push_back(0);
  return words;
}

RECT WorkAreaOf(HWND window) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
  return monitor.rcWork;
}

// The place of a window of size within area, moved in as little as it
// takes; its top left corner when it is larger.
POINT Within(const RECT& area, POINT place, SIZE size) {
  place.x = std::max(std::min(place.x, area.right - size.cx), area.left);
  place.y = std::max(std::min(place.y, area.bottom - size.cy), area.top);
  return place;
}

}  // namespace

// One box on the screen: its controls, their places, its details folded or
// not.
class Win32MessageBox::Dialog {
 public:
  Dialog(Win32MessageBox& box, std::wstring text, std::span<const std::string> details)
      : box_(box), text_(std::move(text)), details_(details.begin(), details.end()) {}
  ~Dialog() {
    if (font_) DeleteObject(font_);
  }
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(window, DWLP_USER, lparam);
    auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog) return FALSE;
    // Nothing may unwind through Windows' own frames. A box that could not
    // be made (out of memory) gives way to the plain one (see Show).
    try {
      return dialog->Handle(window, message, wparam, lparam);
    } catch (...) {
      EndDialog(window, -1);
      return TRUE;
    }
  }

 private:
  INT_PTR Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
      case WM_INITDIALOG:
        hwnd_ = window;
        box_.dialog_ = window;
        Create();
        // Dismissed before it came up: it goes at once.
        if (box_.dismissed_) EndDialog(window, IDOK);
        SetFocus(ok_);
        return FALSE;
      case WM_COMMAND:
        switch (LOWORD(wparam)) {
          // Escape and the close button close it, as OK does.
          case IDOK:
          case IDCANCEL:
            EndDialog(window, IDOK);
            return TRUE;
          case kDetailsToggleId:
            if (HIWORD(wparam) == BN_CLICKED) Toggle();
            return TRUE;
          default:
            return FALSE;
        }
      case WM_ERASEBKGND: {
        // The text on the window's colour, the buttons on a strip of the
        // dialogs' grey, as in the system's boxes.
        const HDC dc = reinterpret_cast<HDC>(wparam);
        RECT client{};
        GetClientRect(window, &client);
        RECT strip = client;
        strip.top = strip_top_;
        client.bottom = strip_top_;
        FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
        FillRect(dc, &strip, GetSysColorBrush(COLOR_BTNFACE));
        SetWindowLongPtrW(window, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      case WM_CTLCOLORSTATIC: {
        // The text, and the read-only details, which ask the same.
        const HDC dc = reinterpret_cast<HDC>(wparam);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
      }
      case WM_DPICHANGED: {
        const RECT& suggested = *reinterpret_cast<const RECT*>(lparam);
        LayOut(HIWORD(wparam), POINT{suggested.left, suggested.top});
        return TRUE;
      }
      case WM_DESTROY:
        box_.dialog_ = nullptr;
        return FALSE;
      default:
        return FALSE;
    }
  }

  HWND Control(const wchar_t* window_class, std::wstring_view text, DWORD style, DWORD ex_style, int id) {
    return CreateWindowExW(ex_style, window_class, std::wstring(text).c_str(), WS_CHILD | style, 0, 0, 0, 0, hwnd_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE)), nullptr);
  }

  void Create() {
    // Windows 10 from 1703 would scale the dialog and its controls itself
    // on a move to a screen of another DPI; they are laid out here.
    static const auto set_dpi_behaviour =
        SystemFunction<BOOL(WINAPI*)(HWND, int, int)>(L"user32.dll", "SetDialogDpiChangeBehavior");
    constexpr int kDisableAll = 1;  // DDC_DISABLE_ALL
    if (set_dpi_behaviour) set_dpi_behaviour(hwnd_, kDisableAll, kDisableAll);

    // Creation order is the order of Tab: the details, their button, OK.
    // The details are made once the box knows its width (MakeDetails, from
    // LayOut).
    text_control_ = Control(L"STATIC", text_, WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 0, -1);
    if (!details_.empty()) {
      toggle_ = Control(L"BUTTON", WideText(messages::kShowDetails), WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
                        kDetailsToggleId);
    }
    ok_ = Control(L"BUTTON", L"OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, IDOK);

    // Over the window, as the system places a box of a window.
    RECT owner{};
    if (!box_.owner_ || !GetWindowRect(box_.owner_, &owner)) owner = WorkAreaOf(hwnd_);
    LayOut(WindowDpi(hwnd_), std::nullopt, &owner);
  }

  // Makes the details' control, after the text, which a screen reader
  // names it after.
  void MakeDetails() {
    if (details_control_) return;
    details_control_ = Control(L"EDIT", L"",
                               (expanded_ ? WS_VISIBLE : 0) | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                                   ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL,
                               WS_EX_CLIENTEDGE, kDetailsId);
    SetWindowPos(details_control_, text_control_, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(details_control_, EM_SETLIMITTEXT, 0, 0);
  }

  // The details, each line as wide as width at most in the font selected
  // in dc: a path shortened in the middle, as in the result list, so that
  // its file name stays in sight, and the reason in front of it too.
  void ShowDetails(HDC dc, int width) {
    const auto text_width = [dc](std::string_view text) { return TextWidth(dc, WideText(text)); };
    std::wstring shown;
    for (const std::string& line : details_) {
      if (!shown.empty()) shown += L"\r\n";
      shown += WideText(ShortenedPath(line, width, text_width));
    }
    // The same text again would scroll the details back to their top.
    if (shown == shown_details_) return;
    shown_details_ = std::move(shown);
    SetWindowTextW(details_control_, shown_details_.c_str());
  }

  void Toggle() {
    expanded_ = !expanded_;
    SetWindowTextW(toggle_, WideText(expanded_ ? messages::kHideDetails : messages::kShowDetails).c_str());
    ShowWindow(details_control_, expanded_ ? SW_SHOW : SW_HIDE);
    RECT frame{};
    GetWindowRect(hwnd_, &frame);
    LayOut(dpi_, POINT{frame.left, frame.top});
  }

  // Sizes the box and its controls at dpi and puts it at top_left, or
  // over centre_over, moved within the work area of its screen.
  void LayOut(UINT dpi, std::optional<POINT> top_left, const RECT* centre_over = nullptr) {
    dpi_ = dpi;
    const auto scaled = [dpi](int pixels) { return MulDiv(pixels, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI); };
    const HFONT font = CreateMessageFont(dpi);

    const RECT work = WorkAreaOf(hwnd_);
    const int work_width = static_cast<int>(work.right - work.left);
    const int work_height = static_cast<int>(work.bottom - work.top);
    // The frame the system gave the dialog (a modal frame adds an extended
    // style of its own).
    const auto style = static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE));
    const auto ex_style = static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_EXSTYLE));
    const SIZE frame_size = WindowSizeForClient(0, 0, style, ex_style, dpi);
    const int frame_width = static_cast<int>(frame_size.cx);
    const int frame_height = static_cast<int>(frame_size.cy);
    const int margin = scaled(kMargin);
    const int widest = std::max(std::min(scaled(kWidest), work_width - frame_width), 0);
    const int narrowest = std::min(scaled(kNarrowest), widest);

    const HDC dc = GetDC(hwnd_);
    const HGDIOBJ old_font = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT text_size{0, 0, std::max(widest - 2 * margin, 1), 0};
    DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &text_size,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS | DT_EDITCONTROL);
    int content_width = text_size.right;
    const int edge = 2 * SystemMetricForDpi(SM_CXEDGE, dpi);
    // The control's borders, its inner margins and its scroll bar.
    const int details_frame = edge + 2 * metrics.tmAveCharWidth + SystemMetricForDpi(SM_CXVSCROLL, dpi);
    if (!details_.empty()) {
      int details_width = 0;
      for (const std::string& line : details_) {
        details_width = std::max(details_width, TextWidth(dc, WideText(BoundedPath(line))));
      }
      content_width = std::max(content_width, details_width + details_frame);
    }
    const int button_height = scaled(kButtonHeight);
    const int ok_width = std::max(scaled(kButtonWidth), TextWidth(dc, L"OK") + 2 * scaled(kButtonPadding));
    int toggle_width = 0;
    if (toggle_) {
      toggle_width = std::max({scaled(kButtonWidth),
                               TextWidth(dc, WideText(messages::kShowDetails)) + 2 * scaled(kButtonPadding),
                               TextWidth(dc, WideText(messages::kHideDetails)) + 2 * scaled(kButtonPadding)});
      content_width = std::max(content_width, toggle_width + scaled(kGap) + ok_width);
    }
    const int client_width = std::clamp(content_width + 2 * margin, narrowest, std::max(widest, narrowest));
    const int inner_width = client_width - 2 * margin;
    if (!details_.empty()) {
      MakeDetails();
      ShowDetails(dc, inner_width - details_frame);
    }
    SelectObject(dc, old_font);
    ReleaseDC(hwnd_, dc);
    for (HWND control : {text_control_, details_control_, toggle_, ok_}) {
      if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    if (font_) DeleteObject(font_);
    font_ = font;
    // The text's height again at the width it gets.
    const int text_height = [&] {
      const HDC measure = GetDC(hwnd_);
      const HGDIOBJ previous = SelectObject(measure, font);
      RECT size{0, 0, std::max(inner_width, 1), 0};
      DrawTextW(measure, text_.c_str(), static_cast<int>(text_.size()), &size,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS | DT_EDITCONTROL);
      SelectObject(measure, previous);
      ReleaseDC(hwnd_, measure);
      return static_cast<int>(size.bottom);
    }();

    const int strip_height = button_height + 2 * scaled(kStripPadding);
    const int text_top = scaled(kTextTop);
    int height_without_details = text_top + text_height + margin + strip_height;
    int details_height = 0;
    if (expanded_) {
      const int line = metrics.tmHeight;
      const int needed = static_cast<int>(details_.size()) * line + edge + 2;
      const int least = kDetailsLeastLines * line + edge + 2;
      height_without_details += scaled(kGap);
      // Never more than a part of the screen, and the whole box on it.
      const int most = std::min(work_height * kDetailsMostTenths / 10, work_height - frame_height - height_without_details);
      details_height = std::max(std::min(needed, most), least);
    }
    const int client_height = height_without_details + details_height;

    int y = text_top;
    MoveWindow(text_control_, margin, y, inner_width, text_height, TRUE);
    y += text_height;
    if (details_control_) {
      if (expanded_) y += scaled(kGap);
      MoveWindow(details_control_, margin, y, inner_width, details_height, TRUE);
      y += details_height;
    }
    strip_top_ = y + margin;
    const int buttons_top = strip_top_ + scaled(kStripPadding);
    MoveWindow(ok_, client_width - margin - ok_width, buttons_top, ok_width, button_height, TRUE);
    if (toggle_) MoveWindow(toggle_, margin, buttons_top, toggle_width, button_height, TRUE);

    const SIZE outer = WindowSizeForClient(client_width, client_height, style, ex_style, dpi);
    POINT place{};
    if (top_left) {
      place = *top_left;
    } else if (centre_over) {
      place.x = (centre_over->left + centre_over->right - outer.cx) / 2;
      place.y = (centre_over->top + centre_over->bottom - outer.cy) / 2;
    }
    place = Within(work, place, outer);
    SetWindowPos(hwnd_, nullptr, place.x, place.y, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd_, nullptr, TRUE);
  }

  Win32MessageBox& box_;
  std::wstring text_;
  std::vector<std::string> details_;
  std::wstring shown_details_;
  HWND hwnd_ = nullptr;
  HWND text_control_ = nullptr;
  HWND details_control_ = nullptr;
  HWND toggle_ = nullptr;
  HWND ok_ = nullptr;
  HFONT font_ = nullptr;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  int strip_top_ = 0;
  bool expanded_ = false;
};

void Win32MessageBox::Show(std::string_view text, std::span<const std::string> details) {
  const std::wstring caption = WideText(messages::kMessageBoxCaption);
  std::wstring content = WideText(text);
  // However Show ends, the box is no longer shown.
  struct NotShowingAtEnd {
    bool& showing;
    ~NotShowingAtEnd() { showing = false; }
  } at_end{showing_};
  INT_PTR shown = -1;
  {
    Dialog dialog(*this, content, details);
    const std::vector<WORD> dialog_template = DialogTemplate(caption);
    const HINSTANCE instance =
        owner_ ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner_, GWLP_HINSTANCE)) : GetModuleHandleW(nullptr);
    showing_ = true;
    dismissed_ = false;
    shown = DialogBoxIndirectParamW(instance, reinterpret_cast<const DLGTEMPLATE*>(dialog_template.data()), owner_,
                                    &Dialog::Proc, reinterpret_cast<LPARAM>(&dialog));
  }
  dialog_ = nullptr;
  if (shown > 0 || dismissed_) return;

  // Out of memory for the dialog: the plain box still says what happened,
  // with the first details, as many as a screen holds.
  constexpr std::size_t kPlainDetails = 20;
  if (!details.empty()) content += L"\r\n";
  for (std::size_t i = 0; i < details.size() && i < kPlainDetails; ++i) content += L"\r\n" + WideText(details[i]);
  if (details.size() > kPlainDetails) content += L"\r\n...";
  ::MessageBoxW(owner_, content.c_str(), caption.c_str(), MB_OK);
}

void Win32MessageBox::Dismiss() {
  dismissed_ = showing_;
  if (dialog_) EndDialog(dialog_, IDOK);
}

}  // namespace brenvo1::window::win32
