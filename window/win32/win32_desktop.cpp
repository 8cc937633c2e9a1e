#include "window/win32/win32_desktop.h"

#include "platform/windows/windows_api.h"

namespace brenvo1::window::win32 {

namespace {

struct MessageRange {
  UINT first;
  UINT last;
};

// Keys (WM_CHAR and WM_SYSKEYDOWN included), clicks and moves in the client
// area, and the same in the frame and caption.
constexpr MessageRange kInput[] = {
    {WM_KEYFIRST, WM_KEYLAST},
    {WM_MOUSEFIRST, WM_MOUSELAST},
    {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK},
};

bool ClosesTheWindow(const MSG& message) {
  switch (message.message) {
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
      return message.wParam == HTCLOSE;
    case WM_SYSKEYDOWN:
      return message.wParam == VK_F4;
    default:
      return false;
  }
}

// A window whose paint never validates would keep the queue full; the rest
// waits for the next look, a frame later.
constexpr int kMostMessagesAtOnce = 256;

}  // namespace

void Win32Desktop::AnswerWithoutInput() {
  MSG message;
  for (const MessageRange& range : kInput) {
    while (PeekMessageW(&message, nullptr, range.first, range.last, PM_REMOVE)) {
      if (ClosesTheWindow(message)) DispatchMessageW(&message);
    }
  }
  // No input here: only what is sent, posted or waits for a paint.
  const UINT non_input = PM_REMOVE | PM_QS_SENDMESSAGE | PM_QS_PAINT | PM_QS_POSTMESSAGE;
  for (int i = 0; i < kMostMessagesAtOnce && PeekMessageW(&message, nullptr, 0, 0, non_input); ++i) {
    if (message.message == WM_QUIT) {
      // Belongs to the main loop, which takes it once the run is over.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    DispatchMessageW(&message);
  }
}

void Win32Desktop::DropPendingInput() {
  MSG message;
  for (const MessageRange& range : kInput) {
    while (PeekMessageW(&message, nullptr, range.first, range.last, PM_REMOVE)) {
    }
  }
}

}  // namespace brenvo1::window::win32
