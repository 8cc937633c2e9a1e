#include "cli/scan_main.h"

#include <exception>

#include "search/search_run.h"
#include "messages/run_report.h"
#include "messages/texts.h"

namespace brenvo1::cli {

namespace {

void Say(ScanOutput& err, std::string_view text) {
  err.Write(text);
  err.Flush();
}

// Each hit, then a newline. A terminal shows it at once; a file or a pipe
// gets blocks. Once a write has failed the run stops: hits that cannot be
// delivered are not worth searching for. A path the output cannot carry
// is never written wrong: it is named on standard error, and counted.
class PrintingSink : public search::SearchSink {
 public:
  PrintingSink(ScanOutput& out, ScanOutput& err) : out_(out), err_(err) {}

  void Hit(std::string_view path) override {
    if (!out_.WriteExact(path)) {
      ++not_written_;
      Say(err_, std::string(messages::kScanPathNotWritable).append(path).append("\n"));
      return;
    }
    out_.Write("\n");
    if (out_.interactive()) out_.Flush();
  }

  bool GoOn() override { return !out_.failure(); }
  std::size_t not_written() const { return not_written_; }

 private:
  ScanOutput& out_;
  ScanOutput& err_;
  std::size_t not_written_ = 0;
};

int ExitStatus(search::RunStatus status) {
  switch (status) {
    case search::RunStatus::Completed:
      return kExitCompleted;
    case search::RunStatus::FolderMissing:
      return kExitFolderMissing;
    case search::RunStatus::CompletedWithSkips:
      return kExitSkipped;
    case search::RunStatus::Abandoned:
      break;
  }
  return kExitFailed;
}

}  // namespace

int ScanMain(std::span<const std::string> arguments, platform::FileSystemService& file_system, ScanOutput& out,
             ScanOutput& err) {
  if (arguments.size() == 1 && arguments[0] == "--version") {
    out.Write("brenvo1-scan " BRENVO1_VERSION "\n");
    out.Flush();
    return out.failure() ? kExitFailed : kExitCompleted;
  }
  if (arguments.size() != 2) {
    Say(err, messages::kScanUsage);
    return kExitUsage;
  }
  try {
    PrintingSink sink(out, err);
    const search::RunOutcome outcome = search::RunSearch(arguments[0], arguments[1], file_system, sink);
    out.Flush();
    // A hit lost on the way out is a failed run, never a success.
    if (const std::optional<std::string> failure = out.failure()) {
      Say(err, std::string(messages::kScanWriteFailed) + *failure + "\n");
      return kExitFailed;
    }
    if (const std::optional<messages::RunReport> report = messages::EndOfRunReport(outcome)) {
      std::string lines = report->text + "\n";
      for (const std::string& detail : report->details) lines.append(detail).append("\n");
      Say(err, lines);
    }
    return sink.not_written() > 0 ? kExitFailed : ExitStatus(outcome.status);
  } catch (const std::exception& error) {
    Say(err, std::string(messages::kScanFailed) + error.what() + "\n");
  }
  return kExitFailed;
}

}  // namespace brenvo1::cli
