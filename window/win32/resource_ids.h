#pragma once

// Shared by the resource script and the window's code.

#define kProgramIcon 1

#ifndef RC_INVOKED
namespace brenvo1::window::win32 {
// Not IDOK (1) or IDCANCEL (2), which the dialog keys send for Enter and Escape.
inline constexpr int kTxtPercorsoId = 101;
inline constexpr int kCommand1Id = 102;
inline constexpr int kTxtTestoId = 103;
inline constexpr int kLstFileId = 104;
// The box's details and the button that unfolds them.
inline constexpr int kDetailsId = 201;
inline constexpr int kDetailsToggleId = 202;
// The result list's menu items.
inline constexpr int kOpenCommandId = 301;
inline constexpr int kCopyPathCommandId = 302;
}  // namespace brenvo1::window::win32
#endif
