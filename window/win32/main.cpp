// The window program's start on Windows: no console, no command line. It
// chooses what the window works with: the Windows file system and Notepad.

#include <exception>
#include <memory>
#include <string>

#include "messages/texts.h"
#include "platform/windows/dll_search.h"
#include "platform/windows/notepad.h"
#include "platform/windows/wide_text.h"
#include "platform/windows/windows_api.h"
#include "platform/windows/windows_file_system.h"
#include "window/win32/form1.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  using namespace brenvo1;
  platform::windows::LoadDllsFromSystemFolderOnly();
  platform::windows::Notepad notepad;
  std::unique_ptr<window::win32::Form1> form;
  try {
    form = std::make_unique<window::win32::Form1>(
        instance, notepad, [] { return std::make_unique<platform::windows::WindowsFileSystem>(); });
  } catch (const std::exception& error) {
    // Without its window the program has nowhere else to say why.
    using platform::windows::WideText;
    MessageBoxW(nullptr, WideText(std::string(messages::kWindowStartFailed) + error.what()).c_str(),
                WideText(messages::kMessageBoxCaption).c_str(), MB_OK | MB_ICONERROR);
    return 1;
  }
  form->Show(show_command);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Tab and Shift+Tab between the controls, Space and Enter on the
    // button, as in a dialog.
    if (form->hwnd() && IsDialogMessageW(form->hwnd(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
