#pragma once

// The engine's names are WTF-8 (text/wtf8.h) and the window's words UTF-8;
// the Windows API takes and gives UTF-16. One conversion each way, with
// the policy each use needs.

#include <optional>
#include <string>
#include <string_view>

namespace brenvo1::platform::windows {

// A name, exactly: every WTF-8 name comes back to the units it was read
// from. nullopt for bytes that can name no file (not WTF-8, or holding a
// NUL).
std::optional<std::wstring> WideName(std::string_view wtf8);
// Text for the user to read: a byte that is not WTF-8 (never made by the
// engine) shows as U+FFFD, the rest as it is.
std::wstring WideText(std::string_view wtf8);
// What the system gives: every sequence of units has a WTF-8 form.
std::string Wtf8Text(std::wstring_view wide);

}  // namespace brenvo1::platform::windows
