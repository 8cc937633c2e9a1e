#include "messages/run_report.h"

#include "messages/texts.h"

namespace brenvo1::messages {

std::optional<RunReport> EndOfRunReport(const search::RunOutcome& outcome) {
  switch (outcome.status) {
    case search::RunStatus::FolderMissing:
      return RunReport{std::string(messages::kFolderMissingMessage), {}};
    case search::RunStatus::CompletedWithSkips: {
      const search::UnreadableEntries& unreadable = outcome.unreadable;
      RunReport report{std::string(messages::kUnreadableEntriesMessage) + std::to_string(unreadable.count()),
                       unreadable.paths()};
      if (unreadable.not_kept() > 0) {
        report.details.push_back(std::string(messages::kMoreUnreadableEntries) + std::to_string(unreadable.not_kept()));
      }
      return report;
    }
    case search::RunStatus::Completed:
    case search::RunStatus::Abandoned:
      break;
  }
  return std::nullopt;
}

}  // namespace brenvo1::messages
