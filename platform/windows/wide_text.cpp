#include "platform/windows/wide_text.h"

#include "text/wtf8.h"

namespace brenvo1::platform::windows {

std::optional<std::wstring> WideName(std::string_view wtf8) {
  if (wtf8.find('\0') != std::string_view::npos) return std::nullopt;
  const std::optional<std::u16string> units = text::Utf16FromWtf8(wtf8);
  if (!units) return std::nullopt;
  return std::wstring(units->begin(), units->end());
}

std::wstring WideText(std::string_view wtf8) {
  const std::u16string units = text::Utf16FromWtf8Replacing(wtf8);
  return std::wstring(units.begin(), units.end());
}

std::string Wtf8Text(std::wstring_view wide) {
  return text::Wtf8FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

}  // namespace brenvo1::platform::windows
