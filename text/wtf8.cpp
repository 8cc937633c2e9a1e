#include "text/wtf8.h"

#include <cstdint>

namespace brenvo1::text {

namespace {

bool IsHighSurrogate(std::uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

void AppendUtf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace

std::string Wtf8FromUtf16(std::u16string_view units) {
  std::string out;
  out.reserve(units.size() * 3 / 2 + 4);
  for (std::size_t i = 0; i < units.size(); ++i) {
    std::uint32_t c = units[i];
    if (IsHighSurrogate(c) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
      ++i;
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::optional<std::u16string> Utf16FromWtf8(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  bool last_was_lone_high = false;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<std::uint8_t>(bytes[i]);
    std::uint32_t c;
    std::size_t length;
    std::uint32_t lowest;
    if (lead < 0x80) {
      c = lead, length = 1, lowest = 0;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      c = lead & 0x1F, length = 2, lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      c = lead & 0x0F, length = 3, lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      c = lead & 0x07, length = 4, lowest = 0x10000;
    } else {
      return std::nullopt;
    }
    if (bytes.size() - i < length) return std::nullopt;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<std::uint8_t>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      c = (c << 6) | (next & 0x3F);
    }
    if (c < lowest || c > 0x10FFFF) return std::nullopt;
    if (IsLowSurrogate(c) && last_was_lone_high) return std::nullopt;
    last_was_lone_high = IsHighSurrogate(c);
    if (c >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    i += length;
  }
  return out;
}

}  // namespace brenvo1::text
