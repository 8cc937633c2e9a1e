#pragma once

// A search run holds the thread that owns the window. Windows marks a
// window as not responding when its thread has not looked at its message
// queue for 5 seconds, and an uncovered window stays blank until it
// repaints; yet a click or a key given during a run must not be acted on,
// neither then nor after the run.

#include "platform/windows/windows_api.h"

#include "window/window_services.h"

namespace brenvo1::window::win32 {

class Win32Desktop : public Desktop {
 public:
  // Looks at the queue: sent messages, paints and posted messages (a close
  // request among them) are handled; clicks and keys are thrown away,
  // except those that close the window (its close button, Alt+F4).
  void AnswerWithoutInput() override;
  void DropPendingInput() override;
};

// The clipboard, which holds the text put there as the system's plain
// Unicode text, owned by owner (the window).
class Win32Clipboard : public Clipboard {
 public:
  void SetOwner(HWND owner) { owner_ = owner; }
  void SetText(std::string_view text) override;

 private:
  HWND owner_ = nullptr;
};

}  // namespace brenvo1::window::win32
