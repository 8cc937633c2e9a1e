#pragma once

#include "platform/windows/windows_api.h"

#include "window/window_services.h"

namespace brenvo1::window::win32 {

// The mouse pointer over the program's windows. Windows asks each window
// for its pointer (WM_SETCURSOR) whenever the mouse moves; the window passes
// that question here, and the busy pointer then stays until it is reset.
class Win32ApplicationPointer : public ApplicationPointer {
 public:
  void SetMousePointer(MousePointer pointer) override;
  // Answers WM_SETCURSOR: true when the busy pointer was set, false when
  // the window under the mouse chooses its own.
  bool AnswerSetCursor() const;

 private:
  MousePointer pointer_ = MousePointer::Default;
};

}  // namespace brenvo1::window::win32
