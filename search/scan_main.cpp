#include "search/scan_main.h"

#include <exception>

#include "platform/console_window.h"
#include "search/search_run.h"

namespace brenvo1::search {

int RunScan(const std::string& folder, const std::string& text, platform::FileSystemService& fileSystem,
            ScanConsole& console) {
  platform::ConsolePointer screen;
  const platform::ConsoleTextBox txtPercorso(folder);
  const platform::ConsoleTextBox txtTesto(text);
  try {
    const RunOutcome outcome =
        Command1_Click({screen, txtPercorso, txtTesto, console.Hits(), console.Boxes()}, fileSystem);
    // A hit lost on the way out is a failed run, never a success.
    if (const std::optional<std::string> failure = console.FinishHits()) {
      console.Complain("scrittura dei risultati: " + *failure);
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
    console.FinishHits();
    console.Complain(error.what());
  }
  return kExitFailed;
}

}  // namespace brenvo1::search
