#include "window/run_report.h"

#include "window/window_texts.h"

namespace brenvo1::window {

std::optional<RunReport> EndOfRunReport(const search::RunOutcome& outcome) {
  switch (outcome.status) {
    case search::RunStatus::FolderMissing:
      return RunReport{std::string(texts::kFolderMissingMessage), {}};
    case search::RunStatus::CompletedWithSkips: {
      const search::UnreadableEntries& unreadable = outcome.unreadable;
      RunReport report{std::string(texts::kUnreadableEntriesMessage) + std::to_string(unreadable.count()),
                       unreadable.paths()};
      if (unreadable.not_kept() > 0) {
        report.details.push_back(std::string(texts::kMoreUnreadableEntries) + std::to_string(unreadable.not_kept()));
      }
      return report;
    }
    case search::RunStatus::Completed:
    case search::RunStatus::Abandoned:
      break;
  }
  return std::nullopt;
}

}  // namespace brenvo1::window
