#include "window_test_support.h"

#include "platform/posix/posix_file_system.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace brenvo1::testing {

DesktopForm1::DesktopForm1()
    : window::Form1(editor, [] { return std::make_unique<platform::posix::PosixFileSystem>(); }) {}

void WriteFile(const std::string& folder, const std::string& relativePath, std::string_view content) {
  const std::filesystem::path path = std::filesystem::path(folder) / relativePath;
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ToBytes(const QString& text) { return text.toUtf8().toStdString(); }

QMessageBox* ShownBox() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    if (box != nullptr && box->isVisible()) return box;
  }
  return nullptr;
}

Form1Controls::Form1Controls(window::Form1& form)
    : txtPercorso(form.findChild<window::QtTextBox*>(QStringLiteral("txtPercorso"))),
      Command1(form.findChild<QPushButton*>(QStringLiteral("Command1"))),
      txtTesto(form.findChild<window::QtTextBox*>(QStringLiteral("txtTesto"))),
      lstFile(form.findChild<window::QtListBox*>(QStringLiteral("lstFile"))) {
  if (!txtPercorso || !Command1 || !txtTesto || !lstFile) throw std::runtime_error("a control of Form1 is missing");
}

std::vector<std::string> Form1Controls::Items() const {
  std::vector<std::string> items;
  for (int i = 0; i < lstFile->ListCount(); ++i) items.push_back(lstFile->List(i));
  return items;
}

StandInEditor::StandInEditor() : saved_path_(qgetenv("PATH")) {
  if (!folder_.isValid()) return;
  QDir(folder_.path()).mkdir(QStringLiteral("records"));
  const QString script = folder_.filePath(QStringLiteral("gnome-text-editor"));
  QFile file(script);
  file.open(QIODevice::WriteOnly);
  // The record is written under a temporary name and renamed, so a reader
  // never sees half of it.
  file.write(
      "#!/bin/sh\n"
      "record=\"" + records().toUtf8() + "/$$\"\n"
      "printf '%s\\0' \"$@\" > \"$record.new\" && mv \"$record.new\" \"$record\"\n");
  file.close();
  file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  qputenv("PATH", folder_.path().toUtf8() + ":" + saved_path_);
}

StandInEditor::~StandInEditor() { qputenv("PATH", saved_path_); }

std::vector<std::vector<std::string>> StandInEditor::Starts() const {
  std::vector<std::vector<std::string>> starts;
  const QStringList names = QDir(records()).entryList({}, QDir::Files, QDir::Name);
  for (const QString& name : names) {
    if (name.endsWith(QStringLiteral(".new"))) continue;
    QFile file(QDir(records()).filePath(name));
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    std::vector<std::string> arguments;
    qsizetype start = 0;
    for (qsizetype end = bytes.indexOf('\0'); end >= 0; end = bytes.indexOf('\0', start)) {
      arguments.emplace_back(bytes.constData() + start, static_cast<std::size_t>(end - start));
      start = end + 1;
    }
    starts.push_back(std::move(arguments));
  }
  return starts;
}

}  // namespace brenvo1::testing
