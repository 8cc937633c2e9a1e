#include "scan/windows_output.h"

#include <windows.h>

#include <optional>
#include <stdexcept>

#include "platform/wtf8.h"

namespace brenvo1::scan {

using platform::Utf16FromWtf8;
using platform::Wtf8FromUtf16;

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

// Bytes as console text. Output is WTF-8 throughout; should a stray byte
// come along, it shows as U+FFFD rather than losing the rest of the line.
std::wstring ConsoleText(std::string_view bytes) {
  if (const std::optional<std::u16string> units = Utf16FromWtf8(bytes)) {
    return std::wstring(units->begin(), units->end());
  }
  std::wstring text;
  for (std::size_t i = 0; i < bytes.size();) {
    std::size_t length = 1;
    while (length <= 4 && i + length <= bytes.size()) {
      if (const auto piece = Utf16FromWtf8(bytes.substr(i, length))) {
        text.append(piece->begin(), piece->end());
        break;
      }
      ++length;
    }
    if (length > 4 || i + length > bytes.size()) {
      text.push_back(L'\xFFFD');
      length = 1;
    }
    i += length;
  }
  return text;
}

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
    const std::wstring text = ConsoleText(bytes);
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
  const DWORD error = GetLastError();
  failed_ = true;
  wchar_t* text = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::u16string message;
  if (text != nullptr) message.assign(text, text + length);
  LocalFree(text);
  while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' || message.back() == u' ')) {
    message.pop_back();
  }
  error_ = Wtf8FromUtf16(message) + " (" + std::to_string(error) + ")";
}

std::optional<std::string> WindowsOutput::failure() const {
  if (!failed_) return std::nullopt;
  return error_;
}

}  // namespace brenvo1::scan
