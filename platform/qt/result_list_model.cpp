#include "platform/qt/result_list_model.h"

namespace brenvo1::platform {

void ResultListModel::Append(std::string_view item) {
  const int row = Count();
  beginInsertRows(QModelIndex(), row, row);
  items_.emplace_back(item);
  endInsertRows();
}

void ResultListModel::Clear() {
  beginResetModel();
  items_.clear();
  endResetModel();
}

int ResultListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Count(); }

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Count()) return {};
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::AccessibleTextRole) return {};
  const std::string& item = At(index.row());
  return QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size()));
}

}  // namespace brenvo1::platform
