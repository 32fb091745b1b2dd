#include "platform/qt/file_list_model.h"

#include <utility>

#include "platform/qt/text.h"

namespace vantrel::platform::qt {

void FileListModel::SetNames(lists::ListedNames names) {
  beginResetModel();
  names_ = std::move(names);
  endResetModel();
}

int FileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(names_.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount({})) return {};
  return ToDisplayName(names_[static_cast<std::size_t>(index.row())]);
}

}  // namespace vantrel::platform::qt
