#include "cli/windows_output.h"

#include <windows.h>

#include <optional>
#include <stdexcept>

#include "platform/windows/error_text.h"
#include "platform/windows/wide_text.h"

namespace brenvo1::cli {

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

// text in code_page, each "\n" as "\r\n". Exact: nullopt when the code page
// cannot hold every character, which Windows would otherwise replace by
// its default character or by a look-alike ("ā" as "a").
std::optional<std::string> CodePageBytes(std::string_view text, UINT code_page, bool exact) {
  const std::optional<std::wstring> wide =
      exact ? platform::windows::WideName(text) : std::optional(platform::windows::WideText(text));
  if (!wide) return std::nullopt;
  std::wstring lines;
  lines.reserve(wide->size() + 1);
  for (const wchar_t c : *wide) {
    if (c == L'\n') lines.push_back(L'\r');
    lines.push_back(c);
  }
  if (lines.empty()) return std::string();
  const int length = static_cast<int>(lines.size());
  // Some code pages (UTF-8, UTF-7, the ISO-2022 ones) take no flags.
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  int size = WideCharToMultiByte(code_page, flags, lines.data(), length, nullptr, 0, nullptr, nullptr);
  if (size == 0 && GetLastError() == ERROR_INVALID_FLAGS) {
    flags = 0;
    size = WideCharToMultiByte(code_page, flags, lines.data(), length, nullptr, 0, nullptr, nullptr);
  }
  if (size == 0) return exact ? std::nullopt : std::optional(std::string(text));
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(code_page, flags, lines.data(), length, bytes.data(), size, nullptr, nullptr);
  if (exact) {
    // Held exactly when the bytes read back as the same text: the one test
    // that holds for every code page, those without a default character
    // included.
    const int read_length = MultiByteToWideChar(code_page, 0, bytes.data(), size, nullptr, 0);
    std::wstring read(static_cast<std::size_t>(read_length), L'\0');
    MultiByteToWideChar(code_page, 0, bytes.data(), size, read.data(), static_cast<int>(read.size()));
    if (read != lines) return std::nullopt;
  }
  return bytes;
}

}  // namespace

WindowsOutput::WindowsOutput(void* handle) : handle_(handle) {
  DWORD mode = 0;
  console_ = handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
  // 0 when the program has no console.
  if (!console_) code_page_ = GetConsoleOutputCP();
}

void WindowsOutput::Write(std::string_view bytes) { Put(bytes, false); }

bool WindowsOutput::WriteExact(std::string_view bytes) { return Put(bytes, true); }

bool WindowsOutput::Put(std::string_view bytes, bool exact) {
  if (console_) {
    Send(bytes);
    return true;
  }
  if (code_page_ == 0) {
    Buffer(bytes);
    return true;
  }
  const std::optional<std::string> converted = CodePageBytes(bytes, code_page_, exact);
  if (!converted) return false;
  Buffer(*converted);
  return true;
}

void WindowsOutput::Buffer(std::string_view bytes) {
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
