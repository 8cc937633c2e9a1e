#include "window/win32/win32_desktop.h"

#include <cstring>
#include <stdexcept>
#include <string>

#include "platform/windows/error_text.h"
#include "platform/windows/wide_text.h"

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

void Win32Clipboard::SetText(std::string_view text) {
  const std::wstring wide = platform::windows::WideText(text);
  // Another program may have the clipboard open for a moment (one that
  // watches it, reading what came): asked again a few times.
  bool opened = false;
  for (int attempt = 0; attempt < 10 && !(opened = OpenClipboard(owner_)); ++attempt) Sleep(20);
  if (!opened) throw std::runtime_error(platform::windows::SystemErrorText(GetLastError()));
  struct Closer {
    ~Closer() { CloseClipboard(); }
  } closer;
  const SIZE_T bytes = (wide.size() + 1) * sizeof(wchar_t);
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  void* place = memory ? GlobalLock(memory) : nullptr;
  if (!place) throw std::runtime_error(platform::windows::SystemErrorText(GetLastError()));
  std::memcpy(place, wide.c_str(), bytes);
  GlobalUnlock(memory);
  // The clipboard owns the memory once it has taken it.
  if (!EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, memory)) {
    const DWORD error = GetLastError();
    GlobalFree(memory);
    throw std::runtime_error(platform::windows::SystemErrorText(error));
  }
}

}  // namespace brenvo1::window::win32
