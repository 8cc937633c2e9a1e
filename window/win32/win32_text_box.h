#pragma once

#include "platform/windows/windows_api.h"

#include <string>
#include <string_view>

#include "window/window_services.h"

namespace brenvo1::window::win32 {

// A single-line EDIT control without a length limit.
class Win32TextBox : public TextBox {
 public:
  Win32TextBox(HWND parent, int control_id, std::string_view initial_text);
  HWND hwnd() const { return hwnd_; }
  // As WTF-8, so that a typed path with an unpaired surrogate still names
  // the folder it names.
  std::string Text() const override;

 private:
  HWND hwnd_;
};

}  // namespace brenvo1::window::win32
