#include "search/scan_main.h"

#include <exception>

#include "platform/console_window.h"
#include "search/search_run.h"

namespace brenvo1::search {

int ScanMain(std::span<const std::string> arguments, platform::FileSystemService& fileSystem, ScanConsole& console) {
  if (arguments.size() == 1 && arguments[0] == "--version") {
    console.Print("brenvo1-scan " BRENVO1_VERSION "\n");
    return kExitCompleted;
  }
  if (arguments.size() != 2) {
    console.PrintError(kScanUsage);
    return kExitUsage;
  }
  platform::ConsolePointer screen;
  const platform::ConsoleTextBox txtPercorso(arguments[0]);
  const platform::ConsoleTextBox txtTesto(arguments[1]);
  try {
    const RunOutcome outcome =
        Command1_Click({screen, txtPercorso, txtTesto, console.Hits(), console.Boxes()}, fileSystem);
    // A hit lost on the way out is a failed run, never a success.
    if (const std::optional<std::string> failure = console.FinishHits()) {
      console.PrintError("brenvo1-scan: scrittura dei risultati: " + *failure + "\n");
      return kExitFailed;
    }
    switch (outcome.status) {
      case RunStatus::Completed:
        return kExitCompleted;
      case RunStatus::FolderMissing:
        return kExitFolderMissing;
      case RunStatus::CompletedWithSkips:
        return kExitSkipped;
    }
  } catch (const std::exception& error) {
    console.PrintError(std::string("brenvo1-scan: ") + error.what() + "\n");
  }
  return kExitFailed;
}

}  // namespace brenvo1::search
