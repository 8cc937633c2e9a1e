#include "window/win32/win32_list_box.h"

#include <algorithm>
#include <stdexcept>

#include "window/win32/dpi.h"
#include "platform/win32/wide_text.h"

namespace brenvo1::window::win32 {

using platform::win32::WideText;

Win32ListBox::Win32ListBox(HWND parent, int control_id)
    : hwnd_(CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_NOCOLUMNHEADER |
                                LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id)),
                            reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr)) {
  // A path wider than the list shows whole in a tip when pointed at.
  const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER;
  SendMessageW(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  SendMessageW(hwnd_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
}

void Win32ListBox::Clear() {
  bytes_.clear();
  ends_.clear();
  shown_count_ = 0;
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
