#pragma once

#include "platform/win32/windows_api.h"

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
class Win32ListBox : public ListBox {
 public:
  Win32ListBox(HWND parent, int control_id);
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
  // Answers the control's LVN_GETDISPINFOW, which reaches the parent.
  void FillDisplayInfo(NMLVDISPINFOW& info) const;
  // Widens the only column to the list's inside, less a scroll bar; after
  // a move to a screen of another DPI.
  void FitColumn(UINT dpi);
 private:
  void CheckIndex(int index) const;
  std::string_view Item(std::size_t index) const;

  HWND hwnd_;
  // The items' bytes one after another; ends_[i] is where item i ends.
  std::string bytes_;
  std::vector<std::size_t> ends_;
  std::size_t shown_count_ = 0;
};

}  // namespace brenvo1::window::win32
