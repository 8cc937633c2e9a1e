#pragma once

#include "platform/windows/windows_api.h"

#include "window/window_services.h"

namespace brenvo1::window::win32 {

// A box captioned "Brenvo1" with one OK button and no icon, modal to the
// window, in the system's message font at the DPI of its screen. Details,
// when given, are folded behind a button of the box's own ("Mostra
// dettagli...", then "Nascondi dettagli..."): unfolded, they are one per
// line in a read-only text area that scrolls and can be selected and
// copied, each line too wide for it shortened in the middle as a row of
// the result list is, with room for a few lines at least and never taller
// than a part of the screen, so that the box and its buttons stay on the
// screen whatever their number. The window behind it
// still hears a close request, which dismisses it.
class Win32MessageBox : public MessageBox {
 public:
  explicit Win32MessageBox(HWND owner = nullptr) : owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  void Show(std::string_view text, std::span<const std::string> details = {}) override;
  void Dismiss() override;
  bool showing() const override { return showing_; }

 private:
  class Dialog;

  HWND owner_;
  HWND dialog_ = nullptr;
  bool showing_ = false;
  bool dismissed_ = false;
};

}  // namespace brenvo1::window::win32
