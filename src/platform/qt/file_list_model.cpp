#include "platform/qt/file_list_model.h"

#include <algorithm>
#include <utility>

#include "platform/qt/qt_text.h"

namespace vantrel::platform::qt {

void FileListModel::SetNames(std::vector<std::string> names) {
  beginResetModel();
  names_ = std::move(names);
  endResetModel();
}

int FileListModel::RowOf(const std::string& name) const {
  const auto found = std::find(names_.begin(), names_.end(), name);
  return found == names_.end() ? -1 : static_cast<int>(found - names_.begin());
}

int FileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(names_.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount({})) return {};
  return ToDisplay(names_[static_cast<std::size_t>(index.row())]);
}

}  // namespace vantrel::platform::qt
