#include "window/open_result.h"

#include <exception>
#include <string>

#include "window/window_texts.h"

namespace brenvo1::window {

void OpenCurrentResult(const ListBox& lstFile, MessageBox& messageBox, platform::ProgramLauncher& launcher) {
  try {
    if (!(lstFile.ListIndex() > -1)) return;
    if (!lstFile.Selected(lstFile.ListIndex())) return;
    const std::string path = lstFile.List(lstFile.ListIndex());
    if (!launcher.OpenInTextEditor(path)) messageBox.Show(texts::kEditorFailedMessage);
  } catch (const std::exception& error) {
    try {
      messageBox.Show(std::string(texts::kFailedMessage) + error.what());
    } catch (const std::exception&) {
      // Out of memory even for the box: the window goes on as it is.
    }
  }
}

}  // namespace brenvo1::window
