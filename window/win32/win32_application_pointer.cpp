#include "window/win32/win32_application_pointer.h"

namespace brenvo1::window::win32 {

void Win32ApplicationPointer::SetMousePointer(MousePointer pointer) {
  pointer_ = pointer;
  // Shown at once, not at the next mouse move: a run starts without one.
  SetCursor(LoadCursorW(nullptr, pointer == MousePointer::Hourglass ? IDC_WAIT : IDC_ARROW));
}

bool Win32ApplicationPointer::AnswerSetCursor() const {
  if (pointer_ != MousePointer::Hourglass) return false;
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  return true;
}

}  // namespace brenvo1::window::win32
