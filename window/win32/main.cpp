// The window program's start on Windows: no console, no command line.

#include "platform/dll_search.h"
#include "platform/win32/windows_api.h"

#include "window/win32/form1.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
  brenvo1::platform::LoadDllsFromSystemFolderOnly();
  brenvo1::window::win32::Form1 form(instance);
  form.Show(show_command);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Tab and Shift+Tab between the controls, Space and Enter on the
    // button, as in a dialog.
    if (form.hwnd() && IsDialogMessageW(form.hwnd(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
