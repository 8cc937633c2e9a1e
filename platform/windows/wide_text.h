#pragma once

// The window's words are UTF-8 and the engine's names WTF-8 (wtf8.h); the
// Windows API takes and gives UTF-16.

#include <string>
#include <string_view>

namespace brenvo1::platform::windows {

// Every WTF-8 name comes back to the exact units it was read from; bytes
// that are not WTF-8 (never made by the engine) show as U+FFFD.
std::wstring WideText(std::string_view wtf8);
std::string Wtf8Text(std::wstring_view wide);

}  // namespace brenvo1::platform::windows
