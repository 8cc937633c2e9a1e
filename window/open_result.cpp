#include "window/open_result.h"

#include <string>

#include "platform/window_texts.h"

namespace brenvo1::window {

void OpenCurrentResult(const ResultControls& controls, platform::ProgramLauncher& launcher) {
  const platform::ListBox& lstFile = controls.lstFile;
  try {
    if (!(lstFile.ListIndex() > -1)) return;
    if (!lstFile.Selected(lstFile.ListIndex())) return;
    const std::string path = lstFile.List(lstFile.ListIndex());
    if (!launcher.OpenInTextEditor(path)) controls.messageBox.Show(platform::texts::kEditorFailedMessage);
  } catch (const std::exception& error) {
    ShowError(controls, platform::texts::kFailedMessage, error);
  }
}

void ShowError(const ResultControls& controls, std::string_view prefix, const std::exception& error) {
  controls.screen.SetMousePointer(platform::MousePointer::Default);
  controls.lstFile.FinishRefresh();
  try {
    controls.messageBox.Show(std::string(prefix) + error.what());
  } catch (...) {
    // Out of memory even for the box: the window goes on as it is.
  }
}

}  // namespace brenvo1::window
