#pragma once

// Opening the result the user double-clicked, the same in both windows.

#include "platform/text_editor.h"
#include "window/window_services.h"

namespace brenvo1::window {

// Opens the list's current item, if one is selected, in the text editor; a
// box says so when the editor cannot start. Nothing it meets may end the
// program: an error is shown and the window stays usable.
void OpenCurrentResult(const ListBox& lstFile, MessageBox& messageBox, platform::TextEditor& launcher);

}  // namespace brenvo1::window
