#pragma once

#include "platform/windows/windows_api.h"

#include <cstddef>
#include <string>
#include <vector>

#include "window/window_services.h"

namespace brenvo1::window::win32 {

// The result list: a virtual list view (LVS_OWNERDATA) in report mode, one
// column and no header, single selection, in the order items are added.
//
// The control holds no items, only their count: each visible row's text is
// asked for when it is drawn (LVN_GETDISPINFO) and read from one buffer of
// path bytes here, so a listed path costs its bytes and one offset, and a
// million of them fit where a LISTBOX would keep a million strings of its
// own. Unlike an owner-drawn LISTBOX without data, the list view still
// gives every row's text to a screen reader.
//
// Rows are drawn here (LVS_OWNERDRAWFIXED): a path wider than the list is
// shortened in the middle, so that the start of its folder and its whole
// file name stay in sight, as the Linux list shows it (ShortenedPath). Only
// the drawing shortens: the row's text, which the keys, a screen reader and
// a double-click use, is the whole path, and so is the tip shown when the
// pointer rests on a shortened row.
class Win32ListBox : public ListBox {
 public:
  Win32ListBox(HWND parent, int control_id);
  ~Win32ListBox() override;
  Win32ListBox(const Win32ListBox&) = delete;
  Win32ListBox& operator=(const Win32ListBox&) = delete;
  HWND hwnd() const { return hwnd_; }

  void Clear() override;
  void AddItem(std::string_view item) override;
  // Shows the rows added since the last call, and paints the list there
  // and then: a search run never returns to the message loop.
  void Refresh() override;
  int ListCount() const { return static_cast<int>(ends_.size()); }
  int ListIndex() const override;
  bool Selected(int index) const override;
  std::string List(int index) const override;

  // The list has taken the focus: with rows in it and none marked, the
  // first is marked as the one the keys act on, so that the focus shows.
  void MarkFocusedRow();
  // The row marked as the one the keys act on, selected or not; -1 for none.
  int MarkedRow() const;
  // Answers WM_CONTEXTMENU at where (screen coordinates, or -1 from the
  // keyboard): "Apri" and "Copia percorso" for the selected row, which
  // reach the parent as kOpenCommandId and kCopyPathCommandId.
  void ShowMenu(LPARAM where) const;
  // Answers the control's LVN_GETDISPINFOW, which reaches the parent.
  void FillDisplayInfo(NMLVDISPINFOW& info) const;
  // Answers the parent's WM_DRAWITEM for the list: draws one row.
  void DrawRow(const DRAWITEMSTRUCT& row) const;
  // Widens the only column to the list's inside, less a scroll bar, and
  // sizes the tip for the DPI; after a move to a screen of another DPI.
  void FitColumn(UINT dpi);

 private:
  static LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR self);
  void CheckIndex(int index) const;
  std::string_view Item(std::size_t index) const;
  // Where a row's text is drawn within the row, and what it shows there in
  // width pixels with the list's font selected in dc.
  RECT TextPlace(RECT row) const;
  std::string RowText(HDC dc, std::size_t index, int width) const;
  bool Shortened(std::size_t index, const RECT& row) const;
  // The tip follows the row under the pointer.
  void FollowPointer(POINT point);
  void ForgetTipRow();

  HWND hwnd_;
  // The items' bytes one after another; ends_[i] is where item i ends.
  std::string bytes_;
  std::vector<std::size_t> ends_;
  std::size_t shown_count_ = 0;
  // The tip, its tool (the row under the pointer, -1 for none) and its text.
  HWND tip_ = nullptr;
  int tip_row_ = -1;
  std::wstring tip_text_;
};

}  // namespace brenvo1::window::win32
