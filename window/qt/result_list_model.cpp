#include "window/qt/result_list_model.h"

#include <cstring>

#include "window/qt/qt_text.h"
#include "window/shortened_path.h"

namespace brenvo1::window {

namespace {

constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

}  // namespace

std::string_view ResultListModel::Store(std::string_view item) {
  if (item.empty()) return {};
  char* place = nullptr;
  if (item.size() > kBlockBytes / 4) {
    // A long path gets a block of its own: the open block keeps its free
    // space for the next paths.
    place = blocks_.emplace_back(std::make_unique_for_overwrite<char[]>(item.size())).get();
  } else {
    if (item.size() > block_free_) {
      open_block_ = blocks_.emplace_back(std::make_unique_for_overwrite<char[]>(kBlockBytes)).get();
      block_free_ = kBlockBytes;
    }
    place = open_block_ + (kBlockBytes - block_free_);
    block_free_ -= item.size();
  }
  std::memcpy(place, item.data(), item.size());
  return {place, item.size()};
}

void ResultListModel::Append(std::string_view item) {
  const int row = Count();
  beginInsertRows(QModelIndex(), row, row);
  items_.push_back(Store(item));
  endInsertRows();
}

void ResultListModel::Clear() {
  beginResetModel();
  items_.clear();
  items_.shrink_to_fit();
  blocks_.clear();
  open_block_ = nullptr;
  block_free_ = 0;
  endResetModel();
}

int ResultListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Count(); }

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Count()) return {};
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::AccessibleTextRole) return {};
  const std::string_view item = At(index.row());
  if (role == Qt::DisplayRole && item.size() > 2 * kMeasuredBytes) return FromUtf8(BoundedPath(item));
  return FromUtf8(item);
}

}  // namespace brenvo1::window
