#include "window/open_result.h"

#include <exception>
#include <string>

#include "messages/texts.h"

namespace brenvo1::window {

namespace {

// Nothing a handler meets may end the program: an error is shown and the
// window stays usable.
template <typename Action>
void Guarded(MessageBox& messageBox, Action action) {
  try {
    action();
  } catch (const std::exception& error) {
    try {
      messageBox.Show(std::string(messages::kFailedMessage) + error.what());
    } catch (const std::exception&) {
      // Out of memory even for the box: the window goes on as it is.
    }
  }
}

// The current item when it is selected, -1 when there is none.
int CurrentSelected(const ListBox& lstFile) {
  if (!(lstFile.ListIndex() > -1)) return -1;
  if (!lstFile.Selected(lstFile.ListIndex())) return -1;
  return lstFile.ListIndex();
}

void Open(const ListBox& lstFile, int index, MessageBox& messageBox, platform::TextEditor& launcher) {
  if (index < 0) return;
  const std::string path = lstFile.List(index);
  if (!launcher.Open(path)) messageBox.Show(messages::kEditorFailedMessage);
}

}  // namespace

void OpenCurrentResult(const ListBox& lstFile, MessageBox& messageBox, platform::TextEditor& launcher) {
  Guarded(messageBox, [&] { Open(lstFile, CurrentSelected(lstFile), messageBox, launcher); });
}

void OpenMarkedResult(const ListBox& lstFile, int marked_index, MessageBox& messageBox,
                      platform::TextEditor& launcher) {
  Guarded(messageBox, [&] { Open(lstFile, marked_index, messageBox, launcher); });
}

void CopyCurrentResult(const ListBox& lstFile, Clipboard& clipboard, MessageBox& messageBox) {
  Guarded(messageBox, [&] {
    if (const int index = CurrentSelected(lstFile); index > -1) clipboard.SetText(lstFile.List(index));
  });
}

}  // namespace brenvo1::window
