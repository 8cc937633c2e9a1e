#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "platform/file_system.h"
#include "search/search_run.h"
#include "window/frame_pacer.h"
#include "window/window_services.h"

namespace brenvo1::window {

// The window's side of a run, which each Form1 lends its run command.
struct RunControls {
  ApplicationPointer& screen;
  const TextBox& txtPercorso;
  const TextBox& txtTesto;
  ListBox& lstFile;
  MessageBox& messageBox;
  Desktop& desktop;
};

// What a click on "Trova" does, the same in every window: the busy pointer
// for the whole run, the list emptied and shown empty, the search with each
// hit listed as it is found, then the box for a missing folder or for
// unreadable entries, or for a run that failed. The window answers its
// desktop during the run but takes no input, and what was given meanwhile
// is dropped at its end.
//
// A request to close the window may come at any moment, the run's boxes
// included: it is never lost, and never waits for the run to end. The run
// stops at its next look at the desktop, a box on screen is dismissed, and
// the window then closes.
class RunCommand {
 public:
  using FileSystemFactory = std::function<std::unique_ptr<platform::FileSystemService>()>;

  // The file system is made by the first run and kept for the later ones.
  // now times the frames (see FramePacer).
  RunCommand(RunControls controls, FileSystemFactory create_file_system,
             std::function<FramePacer::Clock::time_point()> now = &FramePacer::Clock::now);

  // One search run; returns when it is over, with what the search met.
  // nullopt when the run failed (its box said why), or when the call came
  // during a run (a "press" that reached the window anyway): that starts
  // nothing.
  std::optional<search::RunOutcome> Run();
  bool running() const { return running_; }

  // The desktop asks the window to close. True when it may close now;
  // false during a run or while a box is shown: the box is dismissed, and
  // the handler that is running sees close_requested() once it returns.
  bool RequestClose();
  bool close_requested() const { return close_requested_; }

 private:
  class ListSink;

  void ShowBox(std::string_view text, std::span<const std::string> details = {});

  RunControls controls_;
  FileSystemFactory create_file_system_;
  std::unique_ptr<platform::FileSystemService> file_system_;
  FramePacer pacer_;
  bool running_ = false;
  bool close_requested_ = false;
};

}  // namespace brenvo1::window
