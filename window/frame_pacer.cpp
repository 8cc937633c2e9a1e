#include "window/frame_pacer.h"

namespace brenvo1::window {

FramePacer::FramePacer(ListBox& list, Desktop& desktop, std::function<Clock::time_point()> now)
    : list_(list), desktop_(desktop), now_(std::move(now)) {}

void FramePacer::Refresh() {
  const Clock::time_point now = now_();
  if (now - last_paint_ < kFrame) {
    repaint_owed_ = true;
    return;
  }
  Paint();
}

void FramePacer::Tick() {
  const Clock::time_point now = now_();
  if (repaint_owed_ && now - last_paint_ >= kFrame) Paint();
  if (now - last_answer_ >= kFrame) {
    desktop_.AnswerWithoutInput();
    last_answer_ = now_();
  }
}

void FramePacer::Finish() {
  if (repaint_owed_) Paint();
}

void FramePacer::Paint() {
  repaint_owed_ = false;
  list_.Refresh();
  last_paint_ = now_();
}

}  // namespace brenvo1::window
