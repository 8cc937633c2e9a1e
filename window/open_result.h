#pragma once

// What both windows, Qt and Win32, do the same way: opening the result the
// user double-clicked, and showing an error that escaped a handler.

#include <exception>
#include <string_view>

#include "platform/window_services.h"

namespace brenvo1::window {

// The window services these take part in.
struct ResultControls {
  platform::ApplicationPointer& screen;
  platform::ListBox& lstFile;
  platform::MessageBox& messageBox;
};

// A double-click on the result list: opens the current item, if one is
// selected, in the text editor; a box says so when the editor cannot start.
void OpenCurrentResult(const ResultControls& controls, platform::ProgramLauncher& launcher);

// Nothing the handlers call may end the program: an error that escaped the
// engine is shown, and the window stays usable with a normal pointer.
void ShowError(const ResultControls& controls, std::string_view prefix, const std::exception& error);

}  // namespace brenvo1::window
