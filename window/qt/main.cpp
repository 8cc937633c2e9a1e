#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>

#include "platform/posix_file_system.h"
#include "window/qt/display_check.h"
#include "window/qt/form1.h"

int main(int, char**) {
  if (const auto reason = brenvo1::window::MissingDisplayReason()) {
    std::fprintf(stderr, "%s\n", reason->c_str());
    return 1;
  }
  brenvo1::platform::RaiseOpenFileLimit();

  // The program takes no command line: Qt does not see the real arguments
  // either, so no -platform or -display option can change it.
  static char programName[] = "brenvo1";
  static char* qtArgv[] = {programName, nullptr};
  static int qtArgc = 1;

  brenvo1::window::GuardStart();
  QApplication application(qtArgc, qtArgv);
  brenvo1::window::StopGuardingStart();
  // Lets the desktop match the window with the installed launcher and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("brenvo1"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("brenvo1")));

  // Qt's own texts (the details button of a message box, the text boxes'
  // context menu) in Italian, like the rest of the window.
  QTranslator qtTexts;
  if (qtTexts.load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qtTexts);
  }

  brenvo1::window::Form1 form;
  form.show();
  return QApplication::exec();
}
