// What the result list costs as it grows, offscreen: appending one item,
// and painting the list right after an append (what a search run pays at
// most once per display frame); or, with --long-row, painting a list that
// shows one path of BYTES bytes among short ones.
// Usage: brenvo1-list-bench [MAX_ITEMS]
//        brenvo1-list-bench --long-row [BYTES]

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "window/qt/qt_list_box.h"

namespace {

using Milliseconds = std::chrono::duration<double, std::milli>;

std::string ItemPath(int n) { return "/home/utente/Lavori/Gestionale/Moduli/file" + std::to_string(n) + ".bas"; }

double BestPaintMs(brenvo1::window::QtListBox& list) {
  double best = 1e9;
  for (int round = 0; round < 9; ++round) {
    list.viewport()->update();
    const auto before = std::chrono::steady_clock::now();
    list.viewport()->repaint();
    best = std::min(best, Milliseconds(std::chrono::steady_clock::now() - before).count());
  }
  return best;
}

int LongRow(brenvo1::window::QtListBox& list, std::size_t bytes) {
  for (int n = 0; n < 30; ++n) list.AddItem(ItemPath(n));
  list.Refresh();
  const double shortRows = BestPaintMs(list);
  std::string longPath = "/home/utente/";
  while (longPath.size() < bytes) longPath += "cartella/";
  longPath += "file.bas";
  list.Clear();
  for (int n = 0; n < 30; ++n) list.AddItem(n == 5 ? longPath : ItemPath(n));
  list.Refresh();
  const double withLongRow = BestPaintMs(list);
  std::printf("paint, 30 short rows: %.3f ms; with one row of %zu bytes: %.3f ms\n", shortRows, longPath.size(),
              withLongRow);
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const bool longRow = argc > 1 && std::string(argv[1]) == "--long-row";
  int qtArgc = 1;
  QApplication application(qtArgc, argv);

  brenvo1::window::QtListBox list;
  list.setGeometry(8, 80, 449, 446);
  list.show();
  QCoreApplication::processEvents();
  if (longRow) return LongRow(list, argc > 2 ? static_cast<std::size_t>(std::atol(argv[2])) : 1u << 20);

  const int maxItems = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 200000;

  std::printf("%9s %16s %18s\n", "items", "append (us)", "paint (ms)");
  int count = 0;
  for (int target = 1000; target <= maxItems; target *= (target < 10000 ? 10 : 2)) {
    std::vector<std::string> paths;
    for (int n = count; n < target; ++n) paths.push_back(ItemPath(n));
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& path : paths) list.AddItem(path);
    const Milliseconds appending = std::chrono::steady_clock::now() - start;
    const double perAppend = appending.count() * 1000.0 / static_cast<double>(paths.size());
    count = target;

    double bestPaint = 1e9;
    for (int round = 0; round < 9; ++round) {
      list.AddItem(ItemPath(count++));
      const auto before = std::chrono::steady_clock::now();
      list.Refresh();
      bestPaint = std::min(bestPaint, Milliseconds(std::chrono::steady_clock::now() - before).count());
    }
    std::printf("%9d %16.3f %18.3f\n", count, perAppend, bestPaint);
  }
  return 0;
}
