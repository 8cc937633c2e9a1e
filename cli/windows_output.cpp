#include "cli/windows_output.h"

#include <windows.h>

#include <optional>
#include <stdexcept>

#include "platform/windows/error_text.h"
#include "platform/windows/wide_text.h"

namespace brenvo1::cli {

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

}  // namespace

WindowsOutput::WindowsOutput(void* handle) : handle_(handle) {
  DWORD mode = 0;
  console_ = handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

void WindowsOutput::Write(std::string_view bytes) {
  if (console_) {
    Send(bytes);
    return;
  }
  if (buffer_.size() + bytes.size() > kBufferSize) Flush();
  if (bytes.size() >= kBufferSize) {
    Send(bytes);
    return;
  }
  buffer_.append(bytes);
}

void WindowsOutput::Flush() {
  if (buffer_.empty()) return;
  Send(buffer_);
  buffer_.clear();
}

void WindowsOutput::Send(std::string_view bytes) {
  if (failed_ || bytes.empty()) return;
  if (handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_HANDLE);
    Fail();
    return;
  }
  if (console_) {
    const std::wstring text = platform::windows::WideText(bytes);
    for (std::size_t at = 0; at < text.size();) {
      DWORD written = 0;
      const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(text.size() - at, 1 << 14));
      if (!WriteConsoleW(handle_, text.data() + at, wanted, &written, nullptr) || written == 0) {
        Fail();
        return;
      }
      at += written;
    }
    return;
  }
  for (std::size_t at = 0; at < bytes.size();) {
    DWORD written = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - at, 1 << 20));
    if (!WriteFile(handle_, bytes.data() + at, wanted, &written, nullptr) || written == 0) {
      Fail();
      return;
    }
    at += written;
  }
}

void WindowsOutput::Fail() {
  failed_ = true;
  error_ = platform::windows::SystemErrorText(GetLastError());
}

std::optional<std::string> WindowsOutput::failure() const {
  if (!failed_) return std::nullopt;
  return error_;
}

}  // namespace brenvo1::cli
