#include "window/win32/win32_text_box.h"

#include "platform/windows/wide_text.h"

namespace brenvo1::window::win32 {

using platform::windows::WideText;
using platform::windows::Wtf8Text;

Win32TextBox::Win32TextBox(HWND parent, int control_id, std::string_view initial_text)
    : hwnd_(CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", WideText(initial_text).c_str(),
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 0, 0, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id)),
                            reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr)) {
  // An EDIT takes 30,000 characters unless told otherwise; 0 lifts the
  // limit to the largest the control holds.
  SendMessageW(hwnd_, EM_SETLIMITTEXT, 0, 0);
}

std::string Win32TextBox::Text() const {
  const int length = GetWindowTextLengthW(hwnd_);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(hwnd_, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return Wtf8Text(text);
}

}  // namespace brenvo1::window::win32
