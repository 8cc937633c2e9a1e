#pragma once

// Helpers shared by the window tests: files with raw-byte names, the
// window's controls looked up by their object names, a launcher that
// records instead of starting anything, and a stand-in text editor.

#include <QByteArray>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QTemporaryDir>
#include <string>
#include <string_view>
#include <vector>

#include "window/qt/qt_list_box.h"
#include "window/qt/qt_text_box.h"
#include "window/window_services.h"
#include "platform/posix/desktop_editor.h"
#include "window/qt/form1.h"

namespace brenvo1::testing {

// Writes content to folder/relativePath, creating the folders on the way.
// relativePath is raw bytes and may be anything a file name may be.
void WriteFile(const std::string& folder, const std::string& relativePath, std::string_view content);

std::string ToBytes(const QString& text);

// The message box on screen, if there is one.
QMessageBox* ShownBox();

// Form1 as the program's main makes it: searching the POSIX file system,
// opening results in the desktop's text editor.
struct DesktopEditorHolder {
  platform::posix::DesktopEditor editor{{}};
};
class DesktopForm1 : private DesktopEditorHolder, public window::Form1 {
 public:
  DesktopForm1();
};

struct Form1Controls {
  explicit Form1Controls(window::Form1& form);
  window::QtTextBox* txtPercorso;
  QPushButton* Command1;
  window::QtTextBox* txtTesto;
  window::QtListBox* lstFile;
  std::vector<std::string> Items() const;
};

class RecordingLauncher : public platform::TextEditor {
 public:
  bool Open(std::string_view path) override {
    opened.emplace_back(path);
    return true;
  }
  std::vector<std::string> opened;
};

// A folder holding an executable "gnome-text-editor", the first editor the
// program looks for, which saves the arguments it was started with, each
// ended by a NUL byte, to a file of its own in records(). While it lives,
// PATH starts with its folder.
class StandInEditor {
 public:
  StandInEditor();
  ~StandInEditor();
  StandInEditor(const StandInEditor&) = delete;
  StandInEditor& operator=(const StandInEditor&) = delete;

  bool IsValid() const { return folder_.isValid(); }
  QString records() const { return folder_.filePath(QStringLiteral("records")); }
  // The argument lists of every start so far, each as a list of raw bytes.
  std::vector<std::vector<std::string>> Starts() const;

 private:
  QTemporaryDir folder_;
  QByteArray saved_path_;
};

}  // namespace brenvo1::testing
