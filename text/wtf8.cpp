#include "text/wtf8.h"

#include <cstdint>

#include "text/unicode.h"
#include "text/utf8.h"

namespace brenvo1::text {

namespace {

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c >= 0x10000) {
    out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(c));
  }
}

// Converts bytes, handing each byte that is not WTF-8 to on_invalid, which
// returns false to give up.
template <typename OnInvalid>
bool ConvertWtf8(std::string_view bytes, std::u16string& out, OnInvalid on_invalid) {
  out.reserve(bytes.size());
  const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const auto* const end = p + bytes.size();
  bool last_was_lone_high = false;
  while (p < end) {
    char32_t c;
    const int length = Utf8SequenceAt(p, end, c, Surrogates::Accepted);
    // A low surrogate right after a lone high one is a pair spelt twice.
    if (length <= 0 || (IsLowSurrogate(c) && last_was_lone_high)) {
      if (!on_invalid(out)) return false;
      last_was_lone_high = false;
      ++p;
      continue;
    }
    last_was_lone_high = IsHighSurrogate(c);
    AppendUtf16(out, c);
    p += length;
  }
  return true;
}

}  // namespace

std::string Wtf8FromUtf16(std::u16string_view units) {
  std::string out;
  out.reserve(units.size() * 3 / 2 + 4);
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (IsHighSurrogate(c) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) c = CombineSurrogates(c, units[++i]);
    AppendUtf8(out, c);
  }
  return out;
}

std::optional<std::u16string> Utf16FromWtf8(std::string_view bytes) {
  std::u16string out;
  if (!ConvertWtf8(bytes, out, [](std::u16string&) { return false; })) return std::nullopt;
  return out;
}

std::u16string Utf16FromWtf8Replacing(std::string_view bytes) {
  std::u16string out;
  ConvertWtf8(bytes, out, [](std::u16string& converted) {
    converted.push_back(static_cast<char16_t>(kReplacementCharacter));
    return true;
  });
  return out;
}

}  // namespace brenvo1::text
