#pragma once

#include <QListView>
#include <chrono>
#include <functional>

#include "platform/qt/result_list_model.h"
#include "platform/window_services.h"

namespace brenvo1::platform {

// The result list: a list view over raw path bytes, single selection,
// items in the order they were added.
//
// A search run never returns to the event loop, so Refresh paints the list
// there and then. Painting costs far more than finding a hit, and no screen
// shows more than one frame per display refresh, so a Refresh that comes
// less than a frame after the last paint is held back; RefreshIfDue (after
// every examined file) and FinishRefresh (end of the run) pay it off.
//
// At the same pace RefreshIfDue lets the window answer the desktop (window
// manager pings, exposed areas to repaint, a close request) while the run
// goes on; clicks and keys wait for the run's end.
class QtListBox : public QListView, public ListBox {
  Q_OBJECT

 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kFrame{16};

  explicit QtListBox(QWidget* parent = nullptr);

  void Clear() override;
  void AddItem(std::string_view item) override;
  void Refresh() override;
  void RefreshIfDue() override;
  void FinishRefresh() override;
  int ListIndex() const override;
  bool Selected(int index) const override;
  std::string List(int index) const override;

  int ListCount() const { return model_->Count(); }
  // Replaces the clock that times the frames; for tests.
  void SetClock(std::function<Clock::time_point()> now) { now_ = std::move(now); }
  // Whether a Refresh is still waiting for its frame.
  bool RepaintOwed() const { return repaint_owed_; }
  // While set, RefreshIfDue throws RunAbandoned (once): the window was
  // closed during a run.
  void SetRunAbandoned(bool abandoned) { abandon_run_ = abandoned; }

 signals:
  // A double-click with the left button anywhere in the list, whether or
  // not it hit an item: the handler decides from ListIndex and Selected.
  void DblClick();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void PaintNow();
  void AnswerDesktop();
  void CheckIndex(int index) const;

  ResultListModel* model_;
  std::function<Clock::time_point()> now_ = [] { return Clock::now(); };
  Clock::time_point last_paint_{};
  Clock::time_point last_answer_{};
  bool repaint_owed_ = false;
  bool abandon_run_ = false;
};

}  // namespace brenvo1::platform
