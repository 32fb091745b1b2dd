// The rows of a folder list for a QListView: each row's label, indented by its depth, with an
// open-folder icon for the open folder and its ancestors and a closed one for subfolders.
#pragma once

#include <QAbstractListModel>
#include <QStyledItemDelegate>
#include <vector>

#include "lists/listing.h"
#include "platform/qt/list_icons.h"

namespace vantrel::platform::qt {

class FolderListModel final : public QAbstractListModel {
  Q_OBJECT

 public:
  static constexpr int kDepthRole = Qt::UserRole + 1;

  // The icons must outlive the model; once they arrive, the rows show them.
  FolderListModel(const ListIcons& icons, QObject* parent);

  void SetRows(std::vector<lists::FolderRow> rows);
  const std::vector<lists::FolderRow>& Rows() const { return rows_; }
  // The row of the open folder, or -1.
  int OpenRow() const;

  int rowCount(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  std::vector<lists::FolderRow> rows_;
  int open_depth_ = 0;
  const ListIcons& icons_;
};

// Draws each row moved right by its depth.
class IndentDelegate final : public QStyledItemDelegate {
 public:
  IndentDelegate(int indent, QObject* parent) : QStyledItemDelegate(parent), indent_(indent) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 private:
  int indent_;
};

}  // namespace vantrel::platform::qt
