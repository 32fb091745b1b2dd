#include "platform/qt/folder_list_model.h"

#include <utility>

#include "platform/qt/text.h"

namespace vantrel::platform::qt {

FolderListModel::FolderListModel(const ListIcons& icons, QObject* parent)
    : QAbstractListModel(parent), icons_(icons) {
  connect(&icons, &ListIcons::Arrived, this, [this] {
    if (!rows_.empty()) emit dataChanged(index(0), index(rowCount({}) - 1), {Qt::DecorationRole});
  });
}

void FolderListModel::SetRows(std::vector<lists::FolderRow> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  const int open = OpenRow();
  open_depth_ = open < 0 ? 0 : rows_[static_cast<std::size_t>(open)].depth;
  endResetModel();
}

int FolderListModel::OpenRow() const {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].is_open) return static_cast<int>(i);
  }
  return -1;
}

int FolderListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant FolderListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount({})) return {};
  const lists::FolderRow& row = rows_[static_cast<std::size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
      return ToDisplayName(row.label);
    case Qt::DecorationRole:
      // Closed folders are the subfolders, one level below the open folder.
      return icons_.Icon(row.depth > open_depth_ ? ListIcons::ClosedFolder : ListIcons::OpenFolder);
    case kDepthRole:
      return row.depth;
    default:
      return {};
  }
}

void IndentDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
  QStyleOptionViewItem moved(option);
  moved.rect.setLeft(option.rect.left() +
                     indent_ * index.data(FolderListModel::kDepthRole).toInt());
  QStyledItemDelegate::paint(painter, moved, index);
}

}  // namespace vantrel::platform::qt
