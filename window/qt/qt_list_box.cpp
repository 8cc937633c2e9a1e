#include "window/qt/qt_list_box.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <stdexcept>

namespace brenvo1::window {

namespace {

// Rows as wide as the list, never wider: a path too long for it is
// shortened in the middle (the view's elide mode), with no sideways
// scrolling, so that its file name stays in sight.
class RowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return QSize(1, QStyledItemDelegate::sizeHint(option, index).height());
  }
};

}  // namespace

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
  setItemDelegate(new RowDelegate(this));
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void QtListBox::Clear() { model_->Clear(); }

void QtListBox::AddItem(std::string_view item) { model_->Append(item); }

void QtListBox::Refresh() {
  // The view lays its rows out lazily, from a timer of the event loop that
  // does not run during a search; the layout also sizes the scroll bar.
  executeDelayedItemsLayout();
  // Painting the rows also paints whatever else of the window is waiting
  // for a paint (the scroll bar), and flushes it all to the screen.
  viewport()->repaint();
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

void QtListBox::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
    emit EnterPressed();
    return;
  }
  QListView::keyPressEvent(event);
}

}  // namespace brenvo1::window
