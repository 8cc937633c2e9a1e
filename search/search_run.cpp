#include "search/search_run.h"

#include <memory>

#include "platform/window_texts.h"
#include "search/folder_scan.h"
#include "search/search_text.h"

namespace brenvo1::search {

namespace {

// Ends a run the same way whatever happened: the held-back repaint is done
// and the busy pointer goes.
class RunScope {
 public:
  explicit RunScope(const SearchControls& controls) : controls_(controls) {
    controls_.screen.SetMousePointer(platform::MousePointer::Hourglass);
  }
  ~RunScope() {
    controls_.lstFile.FinishRefresh();
    controls_.screen.SetMousePointer(platform::MousePointer::Default);
  }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;

 private:
  const SearchControls& controls_;
};

}  // namespace

std::string UnreadableEntriesMessage(std::size_t count) {
  return std::string(platform::texts::kUnreadableEntriesMessage) + std::to_string(count);
}

RunOutcome Command1_Click(const SearchControls& controls, platform::FileSystemService& fileSystem) {
  RunScope scope(controls);
  controls.lstFile.Clear();
  controls.lstFile.Refresh();

  RunOutcome outcome;
  if (!fileSystem.FolderExists(controls.txtPercorso.Text())) {
    controls.messageBox.Show(platform::texts::kFolderMissingMessage);
    outcome.status = RunStatus::FolderMissing;
    return outcome;
  }

  platform::OpenedFolder start;
  try {
    start = fileSystem.GetFolder(controls.txtPercorso.Text());
  } catch (const platform::FileSystemError& error) {
    // The folder went away, or became unreadable, since it was checked.
    outcome.skipped.push_back(error.path().empty() ? controls.txtPercorso.Text() : error.path());
  }
  if (start.folder) {
    // No input reaches the window during a run, so the search text cannot
    // change while it lasts: it is read and prepared once.
    const SearchText text(controls.txtTesto.Text());
    FolderScan scan(controls.lstFile, text);
    scan.ScanFolder(*start.folder, start.path);
    outcome.skipped = scan.skipped();
    start.folder.reset();
  }

  if (!outcome.skipped.empty()) {
    outcome.status = RunStatus::CompletedWithSkips;
    controls.lstFile.FinishRefresh();
    controls.messageBox.Show(UnreadableEntriesMessage(outcome.skipped.size()), outcome.skipped);
  }
  return outcome;
}

}  // namespace brenvo1::search
