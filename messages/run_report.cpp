#include "messages/run_report.h"

#include "messages/texts.h"

namespace brenvo1::messages {

namespace {

// The reason in the user's words, in front of the path: a box's line keeps
// both its start and its file name in sight when shortened, and a reader
// finds the path at the same place whatever the reason.
std::string UnreadableLine(const search::UnreadableEntry& entry) {
  std::string_view reason;
  switch (entry.reason) {
    case platform::FailureReason::InUse:
      reason = kReasonInUse;
      break;
    case platform::FailureReason::AccessDenied:
      reason = kReasonAccessDenied;
      break;
    case platform::FailureReason::Gone:
      reason = kReasonGone;
      break;
    case platform::FailureReason::Other:
      reason = entry.system_text;
      break;
  }
  return std::string(reason).append(": ").append(entry.path);
}

}  // namespace

std::optional<RunReport> EndOfRunReport(const search::RunOutcome& outcome) {
  switch (outcome.status) {
    case search::RunStatus::FolderMissing:
      return RunReport{std::string(messages::kFolderMissingMessage), {}};
    case search::RunStatus::CompletedWithSkips: {
      const search::UnreadableEntries& unreadable = outcome.unreadable;
      RunReport report{std::string(messages::kUnreadableEntriesMessage) + std::to_string(unreadable.count()), {}};
      report.details.reserve(unreadable.entries().size() + 1);
      for (const search::UnreadableEntry& entry : unreadable.entries()) report.details.push_back(UnreadableLine(entry));
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
