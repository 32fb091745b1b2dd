// The names of a file list for a QListView. The raw names are the files' identity; the model
// decodes a name for display only when the view asks for it, so a folder of 100,000 files costs
// no conversions up front.
#pragma once

#include <QAbstractListModel>
#include <string>
#include <string_view>

#include "lists/folder_snapshot.h"

namespace vantrel::platform::qt {

class FileListModel final : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit FileListModel(QObject* parent) : QAbstractListModel(parent) {}

  void SetNames(lists::ListedNames names);
  const lists::ListedNames& Names() const { return names_; }
  std::string Name(int row) const { return std::string(names_[static_cast<std::size_t>(row)]); }
  // The row of the name, or -1.
  int RowOf(std::string_view name) const { return static_cast<int>(names_.RowOf(name)); }

  int rowCount(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  lists::ListedNames names_;
};

}  // namespace vantrel::platform::qt
