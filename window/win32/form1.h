#pragma once

#include "platform/windows/windows_api.h"

#include <memory>

#include "platform/text_editor.h"
#include "window/run_command.h"
#include "window/win32/win32_application_pointer.h"
#include "window/win32/win32_desktop.h"
#include "window/win32/win32_list_box.h"
#include "window/win32/win32_message_box.h"
#include "window/win32/win32_text_box.h"

namespace brenvo1::window::win32 {

// The program's only window on Windows, "Scandilo": a folder path, a search
// text, the "Trova" button and the result list, at the form's fixed places
// and sizes (in twips, so the same at every DPI).
class Form1 {
 public:
  // Results open in editor; the first search run makes the file system
  // with create_file_system. The program's main chooses both. Throws
  // std::runtime_error, with the system's reason, when the window cannot
  // be made.
  Form1(HINSTANCE instance, platform::TextEditor& editor, RunCommand::FileSystemFactory create_file_system);
  ~Form1();
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  HWND hwnd() const { return hwnd_; }
  void Show(int show_command);

  // A click on "Trova": one search run.
  void Command1_Click();
  // A double-click on the result list: opens the current item.
  void lstFile_DblClick();
  // Enter on the result list: opens the row the keys act on.
  void lstFile_KeyEnter();
  // Ctrl+C on the result list: copies the selected path.
  void lstFile_Copy();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  // Notifications of the list view: its rows' texts, its double-click.
  LRESULT HandleNotify(NMHDR& header);
  void CreateControls();
  // Places, sizes and font at dpi.
  void LayOut(UINT dpi);
  // Closing the window ends the program at any time: during a run, once
  // the run has stopped at its next look at the queue.
  void CloseIfRequested();

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  std::unique_ptr<Win32TextBox> txtPercorso;
  HWND Command1 = nullptr;
  std::unique_ptr<Win32TextBox> txtTesto;
  std::unique_ptr<Win32ListBox> lstFile;
  HFONT font_ = nullptr;
  // The control that had the focus when the window was last deactivated.
  HWND focus_ = nullptr;

  Win32ApplicationPointer screen_;
  Win32MessageBox message_box_;
  Win32Desktop desktop_;
  Win32Clipboard clipboard_;
  platform::TextEditor& editor_;
  std::unique_ptr<RunCommand> run_;
};

}  // namespace brenvo1::window::win32
