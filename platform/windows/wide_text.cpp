#include "platform/windows/wide_text.h"

#include "platform/windows/windows_api.h"

#include "text/wtf8.h"

namespace brenvo1::platform::windows {

std::wstring WideText(std::string_view wtf8) {
  if (const auto units = text::Utf16FromWtf8(wtf8)) return std::wstring(units->begin(), units->end());
  if (wtf8.empty()) return {};
  const int size = static_cast<int>(wtf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, wtf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, wtf8.data(), size, wide.data(), length);
  return wide;
}

std::string Wtf8Text(std::wstring_view wide) {
  return text::Wtf8FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

}  // namespace brenvo1::platform::windows
