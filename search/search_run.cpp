#include "search/search_run.h"

#include "search/folder_scan.h"
#include "search/search_text.h"

namespace brenvo1::search {

RunOutcome RunSearch(std::string_view folder_path, std::string_view search_text,
                     platform::FileSystemService& file_system, SearchSink& sink) {
  RunOutcome outcome;
  // A file-system error here (no descriptor left to look) is no answer
  // about the folder: it goes to the caller as a failed run.
  if (!file_system.FolderExists(folder_path)) {
    outcome.status = RunStatus::FolderMissing;
    return outcome;
  }
  platform::OpenedFolder start;
  try {
    start = file_system.GetFolder(folder_path);
  } catch (const platform::FileSystemError& error) {
    // The folder went away, or became unreadable, since it was checked.
    outcome.unreadable.Add(error.path().empty() ? std::string(folder_path) : error.path(), error);
  }
  bool abandoned = false;
  if (start.folder) {
    const SearchText text(search_text);
    FolderScan scan(sink, text, outcome.unreadable);
    abandoned = !scan.ScanFolder(*start.folder, start.path);
  }
  if (abandoned) {
    outcome.status = RunStatus::Abandoned;
  } else if (!outcome.unreadable.empty()) {
    outcome.status = RunStatus::CompletedWithSkips;
  }
  return outcome;
}

}  // namespace brenvo1::search
