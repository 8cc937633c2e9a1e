#pragma once

#include "platform/win32/windows_api.h"

#include "platform/window_services.h"

namespace brenvo1::platform::win32 {

// A task dialog captioned "Brenvo1" with one OK button and no icon, modal
// to the window; details go to its expandable area, one per line, behind
// the system's own "see details" control.
class Win32MessageBox : public MessageBox {
 public:
  explicit Win32MessageBox(HWND owner = nullptr) : owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  void Show(std::string_view text, std::span<const std::string> details = {}) override;

 private:
  HWND owner_;
};

}  // namespace brenvo1::platform::win32
