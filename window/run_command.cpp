#include "window/run_command.h"

#include <exception>
#include <stdexcept>
#include <string>

#include "search/search_run.h"
#include "messages/run_report.h"
#include "messages/texts.h"

namespace brenvo1::window {

// Each hit goes to the list at once; between files the window shows what
// came and answers its desktop, and a close request ends the run.
class RunCommand::ListSink : public search::SearchSink {
 public:
  explicit ListSink(RunCommand& command) : command_(command) {}

  void Hit(std::string_view path) override {
    command_.controls_.lstFile.AddItem(path);
    command_.pacer_.Refresh();
  }

  bool GoOn() override {
    command_.pacer_.Tick();
    return !command_.close_requested_;
  }

 private:
  RunCommand& command_;
};

RunCommand::RunCommand(RunControls controls, FileSystemFactory create_file_system,
                       std::function<FramePacer::Clock::time_point()> now)
    : controls_(controls),
      create_file_system_(std::move(create_file_system)),
      pacer_(controls.lstFile, controls.desktop, std::move(now)) {}

std::optional<search::RunOutcome> RunCommand::Run() {
  if (running_) return std::nullopt;
  running_ = true;
  std::optional<search::RunOutcome> outcome;
  try {
    controls_.screen.SetMousePointer(MousePointer::Hourglass);
    controls_.lstFile.Clear();
    controls_.lstFile.Refresh();
    if (!file_system_) file_system_ = create_file_system_();
    if (!file_system_) throw std::runtime_error(std::string(messages::kNoFileSystem));
    ListSink sink(*this);
    outcome = search::RunSearch(controls_.txtPercorso.Text(), controls_.txtTesto.Text(), *file_system_, sink);
    pacer_.Finish();
    // The busy pointer stays while the box is shown.
    if (const std::optional<messages::RunReport> report = messages::EndOfRunReport(*outcome)) ShowBox(report->text, report->details);
  } catch (const std::exception& error) {
    outcome.reset();
    // Nothing a run meets may end the program: the window stays usable.
    controls_.screen.SetMousePointer(MousePointer::Default);
    try {
      pacer_.Finish();
      ShowBox(std::string(messages::kSearchFailedMessage) + error.what());
    } catch (const std::exception&) {
      // Out of memory even for the box: the window goes on as it is.
    }
  }
  controls_.screen.SetMousePointer(MousePointer::Default);
  running_ = false;
  // Clicks and keys given while the run held the window were meant for a
  // window that could not take them.
  if (!close_requested_) controls_.desktop.DropPendingInput();
  return outcome;
}

bool RunCommand::RequestClose() {
  close_requested_ = true;
  const bool box_shown = controls_.messageBox.showing();
  controls_.messageBox.Dismiss();
  return !running_ && !box_shown;
}

void RunCommand::ShowBox(std::string_view text, std::span<const std::string> details) {
  // Nobody is left to read a box once the window is to close.
  if (!close_requested_) controls_.messageBox.Show(text, details);
}

}  // namespace brenvo1::window
