#pragma once

// The start folder as the user typed it, and the forms of its path the
// system takes.

#include <optional>
#include <string>
#include <string_view>

namespace brenvo1::platform::windows {

// The full path the system makes of a typed path, once one pair of double
// quotes around it all is dropped: separator "\", "." and
// ".." resolved, no trailing separator except after a drive's root (C:\,
// \\?\C:\, \\.\C:\). A last part that names a device is the folder of that
// name, trimmed as the system trims names. A \\?\ path is taken as spelled,
// only its "." and ".." parts resolved. nullopt when it cannot be made.
std::optional<std::wstring> FullFolderPath(std::wstring_view typed);

// The "\\?\" or "\\?\UNC\" form of a full path (also of a "\\.\" one), which
// the system takes without parsing: no length limit, no device names, no
// trimming.
std::wstring ExtendedLengthPath(std::wstring_view full);

}  // namespace brenvo1::platform::windows
