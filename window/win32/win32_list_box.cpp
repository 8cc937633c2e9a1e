#include "window/win32/win32_list_box.h"

#include <windowsx.h>

#include <algorithm>
#include <stdexcept>

#include "messages/texts.h"
#include "platform/windows/wide_text.h"
#include "window/shortened_path.h"
#include "window/win32/dpi.h"
#include "window/win32/resource_ids.h"

namespace brenvo1::window::win32 {

using platform::windows::WideText;

namespace {

// The space between a row's edge and its text, at 96 DPI, as the list
// view leaves it.
constexpr int kTextMarginAt96Dpi = 6;
// How long a tip stays while the pointer rests (the most a tip takes):
// time to read a long path.
constexpr int kTipShownMs = 32000;
// The widest a tip grows before it breaks its text into lines, at 96 DPI.
constexpr int kTipWidthAt96Dpi = 600;
constexpr UINT_PTR kSubclassId = 1;
constexpr UINT_PTR kTipToolId = 1;

}  // namespace

Win32ListBox::Win32ListBox(HWND parent, int control_id)
    : hwnd_(CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_OWNERDRAWFIXED |
                                LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id)),
                            reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr)) {
  const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
  SendMessageW(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  SendMessageW(hwnd_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));

  // The whole path of the row under the pointer, in a tip of the list's
  // own: the list view's label tips are only for rows it draws itself.
  tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                         reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
  SendMessageW(tip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, kTipShownMs);
  SetWindowSubclass(hwnd_, &Win32ListBox::ListProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

Win32ListBox::~Win32ListBox() {
  if (IsWindow(hwnd_)) RemoveWindowSubclass(hwnd_, &Win32ListBox::ListProc, kSubclassId);
}

void Win32ListBox::Clear() {
  bytes_.clear();
  ends_.clear();
  shown_count_ = 0;
  ForgetTipRow();
  // At once: the control must not ask for rows that are gone.
  SendMessageW(hwnd_, LVM_SETITEMCOUNT, 0, 0);
}

void Win32ListBox::AddItem(std::string_view item) {
  bytes_.append(item);
  ends_.push_back(bytes_.size());
}

void Win32ListBox::Refresh() {
  if (shown_count_ != ends_.size()) {
    // Only the rows that came in are invalidated, and the view does not
    // scroll to them.
    SendMessageW(hwnd_, LVM_SETITEMCOUNT, ends_.size(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    shown_count_ = ends_.size();
  }
  // Paints the list (and its scroll bar) now, not when the queue is next
  // looked at.
  UpdateWindow(hwnd_);
}

std::string_view Win32ListBox::Item(std::size_t index) const {
  const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
  return std::string_view(bytes_).substr(begin, ends_[index] - begin);
}

void Win32ListBox::FillDisplayInfo(NMLVDISPINFOW& info) const {
  if (!(info.item.mask & LVIF_TEXT) || !info.item.pszText || info.item.cchTextMax <= 0) return;
  const auto index = static_cast<std::size_t>(info.item.iItem);
  if (info.item.iItem < 0 || index >= shown_count_ || index >= ends_.size()) {
    info.item.pszText[0] = L'\0';
    return;
  }
  const std::wstring text = WideText(Item(index));
  const std::size_t length = std::min(text.size(), static_cast<std::size_t>(info.item.cchTextMax - 1));
  std::copy_n(text.data(), length, info.item.pszText);
  info.item.pszText[length] = L'\0';
}

void Win32ListBox::DrawRow(const DRAWITEMSTRUCT& row) const {
  const auto index = static_cast<std::size_t>(row.itemID);
  if (row.itemID == static_cast<UINT>(-1) || index >= shown_count_ || index >= ends_.size()) return;
  // Selected rows as the list view shows them: in the highlight colours
  // while the list has the focus, greyed when it has not.
  const bool selected = (row.itemState & ODS_SELECTED) != 0;
  const bool focused = GetFocus() == hwnd_;
  const int back = !selected ? COLOR_WINDOW : focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE;
  const int text_colour = !selected ? COLOR_WINDOWTEXT : focused ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT;
  const HDC dc = row.hDC;
  FillRect(dc, &row.rcItem, GetSysColorBrush(back));

  const HGDIOBJ old_font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  const COLORREF old_colour = SetTextColor(dc, GetSysColor(text_colour));
  RECT text_place = TextPlace(row.rcItem);
  const std::wstring shown = WideText(RowText(dc, index, static_cast<int>(text_place.right - text_place.left)));
  DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &text_place,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
  SetTextColor(dc, old_colour);
  SetBkMode(dc, old_mode);
  SelectObject(dc, old_font);

  // The row the keys act on, unless the keyboard was not used yet.
  const auto ui_state = static_cast<UINT>(SendMessageW(hwnd_, WM_QUERYUISTATE, 0, 0));
  if ((row.itemState & ODS_FOCUS) && !(ui_state & UISF_HIDEFOCUS)) DrawFocusRect(dc, &row.rcItem);
}

RECT Win32ListBox::TextPlace(RECT row) const {
  const int margin = MulDiv(kTextMarginAt96Dpi, static_cast<int>(WindowDpi(hwnd_)), USER_DEFAULT_SCREEN_DPI);
  row.left += margin;
  row.right -= margin;
  return row;
}

std::string Win32ListBox::RowText(HDC dc, std::size_t index, int width) const {
  return ShortenedPath(Item(index), width, [dc](std::string_view text) { return TextWidth(dc, WideText(text)); });
}

bool Win32ListBox::Shortened(std::size_t index, const RECT& row) const {
  const HDC dc = GetDC(hwnd_);
  const HGDIOBJ old_font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
  const RECT text_place = TextPlace(row);
  const bool shortened = RowText(dc, index, static_cast<int>(text_place.right - text_place.left)) != Item(index);
  SelectObject(dc, old_font);
  ReleaseDC(hwnd_, dc);
  return shortened;
}

int Win32ListBox::MarkedRow() const {
  return static_cast<int>(SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

void Win32ListBox::ShowMenu(LPARAM where) const {
  POINT place{GET_X_LPARAM(where), GET_Y_LPARAM(where)};
  const int selected = ListIndex();
  if (where == -1) {
    // From the keyboard: under the selected row, else at the list's corner.
    RECT row{};
    row.left = LVIR_BOUNDS;
    place = POINT{0, 0};
    const auto asked = reinterpret_cast<LPARAM>(&row);
    if (selected >= 0 && SendMessageW(hwnd_, LVM_GETITEMRECT, static_cast<WPARAM>(selected), asked)) {
      place = POINT{row.left, row.bottom};
    }
    ClientToScreen(hwnd_, &place);
  }
  const HMENU menu = CreatePopupMenu();
  if (!menu) return;
  // Both act on the selected row, as a double-click does.
  const UINT state = MF_STRING | (selected >= 0 ? MF_ENABLED : MF_GRAYED);
  AppendMenuW(menu, state, kOpenCommandId, WideText(messages::kOpenMenuItem).c_str());
  const std::string copy_item = std::string(messages::kCopyPathMenuItem) + "\t" + std::string(messages::kCopyPathKey);
  AppendMenuW(menu, state, kCopyPathCommandId, WideText(copy_item).c_str());
  SetMenuDefaultItem(menu, kOpenCommandId, FALSE);
  // The chosen item reaches the window as a command.
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, place.x, place.y, 0, GetParent(hwnd_), nullptr);
  DestroyMenu(menu);
}

void Win32ListBox::MarkFocusedRow() {
  if (shown_count_ == 0) return;
  if (SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) >= 0) return;
  LVITEMW focused{};
  focused.stateMask = LVIS_FOCUSED;
  focused.state = LVIS_FOCUSED;
  SendMessageW(hwnd_, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&focused));
}

void Win32ListBox::FitColumn(UINT dpi) {
  RECT inside{};
  GetClientRect(hwnd_, &inside);
  // Keeps the room of the vertical scroll bar, so that its coming does not
  // bring a horizontal one.
  const int width = inside.right - inside.left - SystemMetricForDpi(SM_CXVSCROLL, dpi);
  SendMessageW(hwnd_, LVM_SETCOLUMNWIDTH, 0, std::max(width, 0));
  SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, MulDiv(kTipWidthAt96Dpi, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI));
  ForgetTipRow();
}

void Win32ListBox::ForgetTipRow() {
  if (tip_row_ < 0) return;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = hwnd_;
  tool.uId = kTipToolId;
  SendMessageW(tip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  tip_row_ = -1;
}

void Win32ListBox::FollowPointer(POINT point) {
  LVHITTESTINFO hit{};
  hit.pt = point;
  const int row = static_cast<int>(SendMessageW(hwnd_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  const bool on_row = row >= 0 && static_cast<std::size_t>(row) < shown_count_;
  if (on_row && row == tip_row_) return;
  ForgetTipRow();
  if (!on_row) return;
  // A tool the size of the row: the tip goes when the pointer leaves it,
  // and the next row's comes as the pointer rests there. A row shown whole
  // has nothing more to tell, and its tip would only cover the rows below.
  RECT bounds{};
  bounds.left = LVIR_BOUNDS;
  if (!SendMessageW(hwnd_, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds))) return;
  if (!Shortened(static_cast<std::size_t>(row), bounds)) return;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = 0;
  tool.hwnd = hwnd_;
  tool.uId = kTipToolId;
  tool.rect = bounds;
  tool.lpszText = LPSTR_TEXTCALLBACKW;
  if (SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) tip_row_ = row;
}

LRESULT CALLBACK Win32ListBox::ListProc(HWND list, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                        DWORD_PTR self) {
  auto& box = *reinterpret_cast<Win32ListBox*>(self);
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: {
      if (message == WM_MOUSEMOVE) box.FollowPointer(POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
      MSG relayed{list, message, wparam, lparam, 0, {}};
      SendMessageW(box.tip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
      break;
    }
    case WM_MOUSEWHEEL:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_KEYDOWN:
      // The rows move under the pointer: the tip's row is no longer there.
      SendMessageW(box.tip_, TTM_POP, 0, 0);
      box.ForgetTipRow();
      break;
    case WM_NOTIFY: {
      auto& header = *reinterpret_cast<NMHDR*>(lparam);
      if (header.hwndFrom == box.tip_ && header.code == TTN_GETDISPINFOW) {
        auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
        box.tip_text_ = box.tip_row_ >= 0 && static_cast<std::size_t>(box.tip_row_) < box.shown_count_
                            ? WideText(BoundedPath(box.Item(static_cast<std::size_t>(box.tip_row_))))
                            : std::wstring();
        info.lpszText = box.tip_text_.data();
        return 0;
      }
      break;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(list, &Win32ListBox::ListProc, kSubclassId);
      break;
    default:
      break;
  }
  return DefSubclassProc(list, message, wparam, lparam);
}

int Win32ListBox::ListIndex() const {
  return static_cast<int>(SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void Win32ListBox::CheckIndex(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= shown_count_) {
    throw std::out_of_range("Indice dell'elenco non valido");
  }
}

bool Win32ListBox::Selected(int index) const {
  CheckIndex(index);
  return SendMessageW(hwnd_, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_SELECTED) != 0;
}

std::string Win32ListBox::List(int index) const {
  CheckIndex(index);
  return std::string(Item(static_cast<std::size_t>(index)));
}

}  // namespace brenvo1::window::win32
