#include "platform/qt/qt_list_box.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <stdexcept>

#include "platform/qt/input_drop.h"

namespace brenvo1::platform {

QtListBox::QtListBox(QWidget* parent) : QListView(parent), model_(new ResultListModel(this)) {
  setModel(model_);
  // Every row has the height of the first, so adding a row never asks the
  // view to measure the ones before it.
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // A path too long for the list keeps its file name in sight; the whole
  // path is in the item's tooltip.
  setTextElideMode(Qt::ElideMiddle);
}

void QtListBox::Clear() { model_->Clear(); }

void QtListBox::AddItem(std::string_view item) { model_->Append(item); }

void QtListBox::Refresh() {
  if (now_() - last_paint_ < kFrame) {
    repaint_owed_ = true;
    return;
  }
  PaintNow();
}

void QtListBox::RefreshIfDue() {
  const Clock::time_point now = now_();
  if (repaint_owed_ && now - last_paint_ >= kFrame) PaintNow();
  if (now - last_answer_ >= kFrame) AnswerDesktop();
  if (abandon_run_) {
    abandon_run_ = false;
    throw RunAbandoned{};
  }
}

// A desktop that gets no answer to its pings for a few seconds greys the
// window and offers to kill it. Input is dropped as it comes: a click must
// not start anything in the middle of a run, nor after it. Timers wait, so
// that only the window system's events and the repaints they ask for run
// inside a run. A close request gets through: it abandons the run.
void QtListBox::AnswerDesktop() {
  const InputDrop dropping;
  QCoreApplication::processEvents(QEventLoop::X11ExcludeTimers);
  last_answer_ = now_();
}

void QtListBox::FinishRefresh() {
  if (repaint_owed_) PaintNow();
}

void QtListBox::PaintNow() {
  repaint_owed_ = false;
  // The view lays its rows out lazily, from a timer of the event loop that
  // does not run during a search; the layout also sizes the scroll bar.
  executeDelayedItemsLayout();
  // Painting the rows also paints whatever else of the window is waiting
  // for a paint (the scroll bar), and flushes it all to the screen.
  viewport()->repaint();
  last_paint_ = now_();
}

int QtListBox::ListIndex() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? current.row() : -1;
}

void QtListBox::CheckIndex(int index) const {
  if (index < 0 || index >= model_->Count()) throw std::out_of_range("Indice dell'elenco non valido");
}

bool QtListBox::Selected(int index) const {
  CheckIndex(index);
  return selectionModel()->isSelected(model_->index(index));
}

std::string QtListBox::List(int index) const {
  CheckIndex(index);
  return std::string(model_->At(index));
}

void QtListBox::mouseDoubleClickEvent(QMouseEvent* event) {
  QListView::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton) emit DblClick();
}

}  // namespace brenvo1::platform
