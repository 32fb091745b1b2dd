#include "platform/qt/folder_list.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <utility>

#include "platform/qt/geometry.h"

namespace vantrel::platform::qt {

namespace {
constexpr Twips kIndent = 180;
}

FolderView::FolderView(QWidget* parent, std::function<void(int row)> open)
    : QListView(parent), open_(std::move(open)) {
  setUniformItemSizes(true);
  setEditTriggers(NoEditTriggers);
  setSelectionMode(SingleSelection);
  // Only lists with a DragDrop handler take drops; they say so themselves.
  viewport()->setAcceptDrops(false);
}

void FolderView::mouseDoubleClickEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  if (event->button() != Qt::LeftButton || !index.isValid()) {
    QListView::mouseDoubleClickEvent(event);
    return;
  }
  event->accept();
  open_(index.row());
}

void FolderView::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (!enter || !currentIndex().isValid()) {
    QListView::keyPressEvent(event);
    return;
  }
  event->accept();
  open_(currentIndex().row());
}

QtFolderList::QtFolderList(const ControlDescription& description, QWidget* parent,
                           ControlContext context)
    : QtControl(description),
      view_(new FolderView(parent,
                           [this](int row) {
                             // A copy: opening the folder replaces the rows.
                             const std::string path =
                                 model_->Rows()[static_cast<std::size_t>(row)].path;
                             OpenAndNotify(path);
                           })),
      model_(new FolderListModel(context.front_end.icons, view_)),
      context_(context) {
  view_->setModel(model_);
  view_->setItemDelegate(new IndentDelegate(ToPixels(kIndent), view_));
}

void QtFolderList::Load() {
  if (!Open(context_.front_end.working_folder)) {
    open_ = context_.front_end.working_folder;
    ShowRows(lists::FolderListRows(open_, {}, kNativePaths));
  }
}

void QtFolderList::SetPath(const std::string& path) {
  const std::vector<std::string> drive_folders = context_.front_end.drives.FoldersOfDrive(path);
  if (drive_folders.empty()) {
    OpenAndNotify(path);
    return;
  }
  // A drive opens at its current folder or, where that has gone since, the nearest folder above.
  for (const std::string& folder : drive_folders) {
    if (OpenAndNotify(folder)) return;
  }
}

void QtFolderList::Refresh() {
  // A folder that has gone or cannot be read any more shows with no subfolders.
  const auto snapshot = context_.front_end.snapshots.Reread(open_);
  ShowRows(lists::FolderListRowsFromSnapshot(open_, snapshot ? *snapshot : lists::FolderSnapshot{},
                                             kNativePaths));
}

bool QtFolderList::Open(const std::string& folder) {
  std::string normal = lists::NormalizeFolder(folder, kNativePaths);
  // The file lists this folder list sets in its Change handler share this read.
  const auto snapshot = context_.front_end.snapshots.Read(normal);
  if (!snapshot) return false;
  open_ = std::move(normal);
  ShowRows(lists::FolderListRowsFromSnapshot(open_, *snapshot, kNativePaths));
  context_.front_end.drives.Remember(open_);
  return true;
}

bool QtFolderList::OpenAndNotify(const std::string& folder) {
  const FolderSnapshots::Scope scope(context_.front_end.snapshots);
  const std::string before = open_;
  if (!Open(folder)) return false;
  if (open_ != before) context_.events.Raise(name(), Event::Change, {});
  return true;
}

void QtFolderList::ShowRows(std::vector<lists::FolderRow> rows) {
  model_->SetRows(std::move(rows));
  const int open = model_->OpenRow();
  if (open >= 0) view_->setCurrentIndex(model_->index(open));
}

}  // namespace vantrel::platform::qt
