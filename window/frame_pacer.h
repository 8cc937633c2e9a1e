#pragma once

#include <chrono>
#include <functional>

#include "window/window_services.h"

namespace brenvo1::window {

// Paces what a search run shows. A run never returns to the event loop, so
// the list is repainted there and then; but painting costs far more than
// finding a hit, and no screen shows more than one frame per display
// refresh, so a repaint asked for less than a frame after the last one is
// owed and paid once its frame has passed, or at the run's end. At the same
// pace the window answers its desktop.
class FramePacer {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kFrame{16};

  FramePacer(ListBox& list, Desktop& desktop, std::function<Clock::time_point()> now = &Clock::now);

  // A hit was added: the list shows it now, or within this frame.
  void Refresh();
  // Between files and chunks: pays an owed repaint once its frame has
  // passed, and answers the desktop once a frame.
  void Tick();
  // The run's end: an owed repaint is done now.
  void Finish();
  bool repaint_owed() const { return repaint_owed_; }

 private:
  void Paint();

  ListBox& list_;
  Desktop& desktop_;
  std::function<Clock::time_point()> now_;
  Clock::time_point last_paint_{};
  Clock::time_point last_answer_{};
  bool repaint_owed_ = false;
};

}  // namespace brenvo1::window
