// What the result list costs in memory per listed item beyond the bytes of
// the path itself, offscreen: a run's worth of appends and frame-paced
// paints, then the growth of the peak resident size (VmHWM) from before the
// first append.
// Usage: brenvo1-list-memory [ITEMS] [PATH_BYTES]   (default 1000000 and 80)

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "window/qt/qt_list_box.h"

namespace {

long PeakResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

// Distinct paths of one length, as a deep project tree gives them.
std::string ItemPath(long n, std::size_t length) {
  std::string path = "/home/utente/Lavori/Gestionale/Moduli/file" + std::to_string(n) + ".bas";
  if (path.size() < length) path.insert(6, length - path.size(), 'x');
  return path;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const long items = argc > 1 ? std::max(1L, std::atol(argv[1])) : 1000000;
  const std::size_t pathBytes = argc > 2 ? static_cast<std::size_t>(std::max(60L, std::atol(argv[2]))) : 80;
  int qtArgc = 1;
  QApplication application(qtArgc, argv);

  brenvo1::window::QtListBox list;
  list.setGeometry(8, 80, 449, 446);
  list.show();
  QCoreApplication::processEvents();
  list.AddItem(ItemPath(0, pathBytes));
  list.Refresh();
  list.Clear();
  list.Refresh();
  const long before = PeakResidentKiB();

  // Painted now and then, as a run's frames would.
  for (long n = 0; n < items; ++n) {
    list.AddItem(ItemPath(n, pathBytes));
    if (n % 10000 == 0) list.Refresh();
  }
  list.Refresh();
  const long after = PeakResidentKiB();

  const double perItem = (static_cast<double>(after - before) * 1024.0 - static_cast<double>(items * pathBytes)) /
                         static_cast<double>(items);
  std::printf("%ld items of %zu bytes: peak resident %ld KiB -> %ld KiB, %.1f bytes per item beyond the path\n",
              static_cast<long>(list.ListCount()), pathBytes, before, after, perItem);
  return 0;
}
