#pragma once

#include "platform/win32/windows_api.h"

#include "window/window_services.h"

namespace brenvo1::window::win32 {

// A task dialog captioned "Brenvo1" with one OK button and no icon, modal
// to the window; details go to its expandable area, one per line, behind
// the system's own "see details" control. The window behind it still
// hears a close request, which dismisses it.
class Win32MessageBox : public MessageBox {
 public:
  explicit Win32MessageBox(HWND owner = nullptr) : owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  void Show(std::string_view text, std::span<const std::string> details = {}) override;
  void Dismiss() override;
  bool showing() const override { return showing_; }

 private:
  static HRESULT CALLBACK Notified(HWND dialog, UINT notification, WPARAM, LPARAM, LONG_PTR self);

  HWND owner_;
  HWND dialog_ = nullptr;
  bool showing_ = false;
  bool dismissed_ = false;
};

}  // namespace brenvo1::window::win32
