#include "window/open_result.h"

#include <exception>
#include <string>

#include "messages/texts.h"

namespace brenvo1::window {

void OpenCurrentResult(const ListBox& lstFile, MessageBox& messageBox, platform::TextEditor& launcher) {
  try {
    if (!(lstFile.ListIndex() > -1)) return;
    if (!lstFile.Selected(lstFile.ListIndex())) return;
    const std::string path = lstFile.List(lstFile.ListIndex());
    if (!launcher.Open(path)) messageBox.Show(messages::kEditorFailedMessage);
  } catch (const std::exception& error) {
    try {
      messageBox.Show(std::string(messages::kFailedMessage) + error.what());
    } catch (const std::exception&) {
      // Out of memory even for the box: the window goes on as it is.
    }
  }
}

}  // namespace brenvo1::window
