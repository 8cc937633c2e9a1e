// Times search runs of the real window, offscreen: the click on "Trova"
// from start to end, list painting included.
// Usage: brenvo1-window-bench FOLDER TEXT
// For every line read on stdin, runs one search and prints
// "<milliseconds> <items listed>" on stdout, so that a script can take
// turns with another program on a busy machine.

#include <QApplication>
#include <QPushButton>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include "window/qt/qt_list_box.h"
#include "window/qt/qt_text_box.h"
#include "window/qt/form1.h"

int main(int argc, char* argv[]) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: brenvo1-window-bench FOLDER TEXT\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QApplication application(qtArgc, argv);

  brenvo1::testing::DesktopForm1 form;
  form.show();
  QCoreApplication::processEvents();
  auto* txtPercorso = form.findChild<brenvo1::window::QtTextBox*>(QStringLiteral("txtPercorso"));
  auto* txtTesto = form.findChild<brenvo1::window::QtTextBox*>(QStringLiteral("txtTesto"));
  auto* Command1 = form.findChild<QPushButton*>(QStringLiteral("Command1"));
  auto* lstFile = form.findChild<brenvo1::window::QtListBox*>(QStringLiteral("lstFile"));
  txtPercorso->setText(QString::fromLocal8Bit(argv[1]));
  txtTesto->setText(QString::fromLocal8Bit(argv[2]));

  std::string request;
  while (std::getline(std::cin, request)) {
    const auto start = std::chrono::steady_clock::now();
    Command1->click();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    std::cout << took.count() << ' ' << lstFile->ListCount() << std::endl;
    // Between runs the window returns to the event loop.
    QCoreApplication::processEvents();
  }
  return 0;
}
