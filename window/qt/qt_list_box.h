#pragma once

#include <QListView>

#include "window/qt/result_list_model.h"
#include "window/window_services.h"

namespace brenvo1::window {

// The result list: a list view over raw path bytes, single selection,
// items in the order they were added.
class QtListBox : public QListView, public ListBox {
  Q_OBJECT

 public:
  explicit QtListBox(QWidget* parent = nullptr);

  void Clear() override;
  void AddItem(std::string_view item) override;
  // Paints the list there and then: a search run never returns to the
  // event loop.
  void Refresh() override;
  int ListIndex() const override;
  bool Selected(int index) const override;
  std::string List(int index) const override;

  int ListCount() const { return model_->Count(); }
  // The text row index shows where it is now: its path, shortened in the
  // middle when wider than the list.
  QString ShownRow(int index) const;

 signals:
  // A double-click with the left button anywhere in the list, whether or
  // not it hit an item: the handler decides from ListIndex and Selected.
  void DblClick();
  // Enter or Return with the focus in the list: opens the current row, the
  // one the keys act on and that carries the focus mark.
  void EnterPressed();
  // Ctrl+C, or "Copia percorso" in the list's menu.
  void CopyAsked();
  // "Apri" in the list's menu: what a double-click does.
  void OpenAsked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void CheckIndex(int index) const;

  ResultListModel* model_;
};

}  // namespace brenvo1::window
