#pragma once

#include <QAbstractListModel>
#include <string>
#include <string_view>
#include <vector>

namespace brenvo1::platform {

// The items of the result list: full paths kept as their raw bytes, shown
// as UTF-8 text (with replacement characters where the bytes are not).
// Appending costs the same however long the list is.
class ResultListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  using QAbstractListModel::QAbstractListModel;

  void Append(std::string_view item);
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  const std::string& At(int row) const { return items_.at(static_cast<std::size_t>(row)); }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 private:
  std::vector<std::string> items_;
};

}  // namespace brenvo1::platform
