#pragma once

#include <QString>
#include <string_view>

namespace brenvo1::window {

// The window's texts and the listed paths are UTF-8 bytes; Qt shows
// QStrings.
inline QString FromUtf8(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace brenvo1::window
