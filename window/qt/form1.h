#pragma once

#include <QPushButton>
#include <QWidget>
#include <memory>

#include "platform/text_editor.h"
#include "window/qt/qt_application_pointer.h"
#include "window/qt/qt_desktop.h"
#include "window/qt/qt_list_box.h"
#include "window/qt/qt_message_box.h"
#include "window/qt/qt_text_box.h"
#include "window/run_command.h"

namespace brenvo1::window {

// The program's only window, "Scandilo": a folder path, a search text, the
// "Trova" button and the result list, laid out at fixed positions.
class Form1 : public QWidget {
  Q_OBJECT

 public:
  using FileSystemFactory = RunCommand::FileSystemFactory;

  // Results open in editor; the first search run makes the file system
  // with create_file_system. The program's main chooses both.
  Form1(platform::TextEditor& editor, FileSystemFactory create_file_system, QWidget* parent = nullptr);
  ~Form1() override;

 public slots:
  // A click on "Trova": one search run.
  void Command1_Click();
  // A double-click on the result list: opens the current item.
  void lstFile_DblClick();
  // Enter on the result list: opens the row the keys act on.
  void lstFile_KeyEnter();
  // Ctrl+C on the result list: copies the selected path.
  void lstFile_Copy();

 protected:
  // Closing the window ends the program at any time: during a run, once
  // the run has stopped at its next look at the desktop.
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  void CloseIfRequested();

  QtTextBox* txtPercorso;
  QPushButton* Command1;
  QtTextBox* txtTesto;
  QtListBox* lstFile;

  QtApplicationPointer screen_;
  QtMessageBox message_box_{this};
  QtDesktop desktop_;
  QtClipboard clipboard_;
  platform::TextEditor& editor_;
  std::unique_ptr<RunCommand> run_;
  bool pressed_during_run_ = false;
};

}  // namespace brenvo1::window
