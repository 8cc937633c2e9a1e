#pragma once

#include <QPushButton>
#include <QWidget>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/editor_launcher.h"
#include "platform/file_system.h"
#include "platform/qt/qt_application_pointer.h"
#include "platform/qt/qt_list_box.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_text_box.h"
#include "window/open_result.h"

namespace brenvo1::window {

// The program's only window, "Scandilo": a folder path, a search text, the
// "Trova" button and the result list, laid out at fixed positions.
class Form1 : public QWidget {
  Q_OBJECT

 public:
  using FileSystemFactory = std::function<std::unique_ptr<platform::FileSystemService>()>;

  explicit Form1(QWidget* parent = nullptr);
  // Opens results through launcher instead of the desktop's text editor and,
  // when createFileSystem is given, searches through the service it makes
  // instead of the POSIX one.
  explicit Form1(platform::ProgramLauncher& launcher, FileSystemFactory createFileSystem = nullptr,
                 QWidget* parent = nullptr);
  ~Form1() override;

 public slots:
  // A click on "Trova": one search run.
  void Command1_Click();
  // A double-click on the result list: opens the current item.
  void lstFile_DblClick();

 protected:
  // Closing the window ends the program at any time; a run in progress is
  // abandoned at its next look at the window.
  void closeEvent(QCloseEvent* event) override;

 private:
  void SetUp();
  void CreateControls();
  void ShowError(std::string_view prefix, const std::exception& error);
  // The services the shared handlers take part in.
  window::ResultControls Controls();

  platform::QtTextBox* txtPercorso;
  QPushButton* Command1;
  platform::QtTextBox* txtTesto;
  platform::QtListBox* lstFile;

  platform::QtApplicationPointer screen_;
  platform::QtMessageBox message_box_{this};
  platform::EditorLauncher editor_launcher_;
  platform::ProgramLauncher* launcher_;
  FileSystemFactory create_file_system_;
  // Created by the first search and kept for the later ones.
  std::unique_ptr<platform::FileSystemService> file_system_;
  bool running_ = false;
};

}  // namespace brenvo1::window
