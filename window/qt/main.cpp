// The window program's start on Linux: no command line. It chooses what the
// window works with: the POSIX file system and the desktop's text editor.

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <memory>

#include "platform/posix/desktop_editor.h"
#include "platform/posix/open_file_limit.h"
#include "platform/posix/posix_file_system.h"
#include "window/qt/display_check.h"
#include "window/qt/form1.h"

int main(int, char**) {
  using namespace brenvo1;
  if (const auto reason = window::MissingDisplayReason()) {
    std::fprintf(stderr, "%s\n", reason->c_str());
    return 1;
  }
  const platform::posix::OpenFileLimit open_file_limit = platform::posix::OpenFileLimit::Raise();

  // The program takes no command line: Qt does not see the real arguments
  // either, so no -platform or -display option can change it.
  static char program_name[] = "brenvo1";
  static char* qt_argv[] = {program_name, nullptr};
  static int qt_argc = 1;

  window::GuardStart();
  QApplication application(qt_argc, qt_argv);
  window::StopGuardingStart();
  // Lets the desktop match the window with the installed launcher and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("brenvo1"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("brenvo1")));

  // Qt's own texts (the details button of a message box, the text boxes'
  // context menu) in Italian, like the rest of the window.
  QTranslator qt_texts;
  if (qt_texts.load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qt_texts);
  }

  platform::posix::DesktopEditor editor(open_file_limit);
  window::Form1 form(editor, [] { return std::make_unique<platform::posix::PosixFileSystem>(); });
  form.show();
  return QApplication::exec();
}
