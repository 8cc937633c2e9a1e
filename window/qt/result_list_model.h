#pragma once

#include <QAbstractListModel>
#include <cstddef>
#include <deque>
#include <memory>
#include <string_view>
#include <vector>

namespace brenvo1::window {

// The items of the result list: full paths kept as their raw bytes, shown
// as UTF-8 text (with replacement characters where the bytes are not); a
// path too long to show whole is shown bounded (BoundedPath), and each row
// shortens that again to its width at every paint.
// Appending costs the same however long the list is.
//
// A run may list millions of paths: their bytes are packed one after the
// other into large blocks, and each item costs one view of its bytes on
// top of them, with no allocation of its own.
class ResultListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  using QAbstractListModel::QAbstractListModel;

  void Append(std::string_view item);
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  std::string_view At(int row) const { return items_.at(static_cast<std::size_t>(row)); }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 private:
  std::string_view Store(std::string_view item);

  std::deque<std::string_view> items_;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* open_block_ = nullptr;
  std::size_t block_free_ = 0;
};

}  // namespace brenvo1::window
