// The names of a file list for a QListView. The raw names are the files' identity; the model
// only decodes them for display.
#pragma once

#include <QAbstractListModel>
#include <string>
#include <vector>

namespace vantrel::platform::qt {

class FileListModel final : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit FileListModel(QObject* parent) : QAbstractListModel(parent) {}

  void SetNames(std::vector<std::string> names);
  const std::vector<std::string>& Names() const { return names_; }
  // The row of the name, or -1.
  int RowOf(const std::string& name) const;

  int rowCount(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  std::vector<std::string> names_;
};

}  // namespace vantrel::platform::qt
