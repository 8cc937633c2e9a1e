#include "window/qt/qt_list_box.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <stdexcept>

#include "messages/texts.h"
#include "window/qt/qt_text.h"
#include "window/shortened_path.h"

namespace brenvo1::window {

namespace {

// What a row shows of path in the place option gives it: the path
// shortened to the width the style leaves its text, as the Windows list
// shortens it.
std::string RowText(const QStyleOptionViewItem& option, std::string_view path) {
  const QWidget* widget = option.widget;
  const QStyle* style = widget ? widget->style() : QApplication::style();
  // The style's margins either side of an item view's text.
  const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
  const int width = style->subElementRect(QStyle::SE_ItemViewItemText, &option, widget).width() - 2 * margin;
  const QFontMetrics& metrics = option.fontMetrics;
  return ShortenedPath(path, width,
                       [&metrics](std::string_view text) { return metrics.horizontalAdvance(FromUtf8(text)); });
}

// Rows as wide as the list, never wider: a path too long for it is
// shortened in the middle, with no sideways scrolling, so that its file
// name stays in sight. Only a shortened row has a tip, its whole path.
class RowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return QSize(1, QStyledItemDelegate::sizeHint(option, index).height());
  }

  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override {
    if (event->type() == QEvent::ToolTip && index.isValid()) {
      const std::string_view path = Model(index).At(index.row());
      if (RowText(option, path) == path) {
        QToolTip::hideText();
        return true;
      }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
  }

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    // A row not yet placed (its height asked for) shows nothing yet.
    if (option->rect.width() > 0) option->text = FromUtf8(RowText(*option, Model(index).At(index.row())));
  }

 private:
  static const ResultListModel& Model(const QModelIndex& index) {
    return *static_cast<const ResultListModel*>(index.model());
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
  // The rows shorten their text themselves, to its width.
  setTextElideMode(Qt::ElideNone);
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

QString QtListBox::ShownRow(int index) const {
  CheckIndex(index);
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  option.rect = visualRect(model_->index(index));
  return FromUtf8(RowText(option, model_->At(index)));
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
  if (event->matches(QKeySequence::Copy)) {
    emit CopyAsked();
    return;
  }
  QListView::keyPressEvent(event);
}

void QtListBox::contextMenuEvent(QContextMenuEvent* event) {
  // Both items act on the selected row, as a double-click does.
  const QModelIndex current = currentIndex();
  const bool selected = current.isValid() && selectionModel()->isSelected(current);
  QMenu menu(this);
  QAction* open = menu.addAction(FromUtf8(messages::kOpenMenuItem));
  QAction* copy = menu.addAction(FromUtf8(messages::kCopyPathMenuItem));
  // Named beside the item; the list's own keys copy.
  copy->setShortcut(QKeySequence::Copy);
  open->setEnabled(selected);
  copy->setEnabled(selected);
  menu.setDefaultAction(open);
  QPoint place = event->globalPos();
  if (event->reason() == QContextMenuEvent::Keyboard && selected) {
    place = viewport()->mapToGlobal(visualRect(current).bottomLeft());
  }
  const QAction* chosen = menu.exec(place);
  if (chosen == open) emit OpenAsked();
  if (chosen == copy) emit CopyAsked();
}

}  // namespace brenvo1::window
