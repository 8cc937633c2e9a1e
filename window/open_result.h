#pragma once

// What the result list's double-click, keys and menu do with a result, the
// same in both windows.

#include "platform/text_editor.h"
#include "window/window_services.h"

namespace brenvo1::window {

// Opens the list's current item, if one is selected, in the text editor; a
// box says so when the editor cannot start. Nothing it meets may end the
// program: an error is shown and the window stays usable.
void OpenCurrentResult(const ListBox& lstFile, MessageBox& messageBox, platform::TextEditor& launcher);

// Enter: opens the row marked as the one the keys act on (marked_index,
// -1 for none), whether or not it is selected, as OpenCurrentResult does.
void OpenMarkedResult(const ListBox& lstFile, int marked_index, MessageBox& messageBox,
                      platform::TextEditor& launcher);

// Puts the whole path of the item a double-click would open, as listed, on
// the clipboard; nothing when there is none. A box says why it could not.
void CopyCurrentResult(const ListBox& lstFile, Clipboard& clipboard, MessageBox& messageBox);

}  // namespace brenvo1::window
