#include "platform/qt/file_list.h"

#include <QDrag>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QTimer>
#include <utility>

#include "lists/listing.h"
#include "platform/folder_reader.h"
#include "platform/off_thread_calls.h"
#include "platform/os_services.h"
#include "platform/qt/app_icons.h"
#include "platform/qt/drag_data.h"
#include "platform/qt/picture.h"

namespace vantrel::platform::qt {

FileView::FileView(QWidget* parent, std::function<void()> picked)
    : QListView(parent), picked_(std::move(picked)) {
  setUniformItemSizes(true);
  setEditTriggers(NoEditTriggers);
  setSelectionMode(SingleSelection);
  // Only lists with a DragDrop handler take drops; they say so themselves.
  viewport()->setAcceptDrops(false);
}

void FileView::mousePressEvent(QMouseEvent* event) {
  // Only the left button selects, as in a classic list box.
  if (event->button() != Qt::LeftButton) {
    event->accept();
    return;
  }
  QListView::mousePressEvent(event);
  if (indexAt(event->position().toPoint()).isValid()) picked_();
}

void FileView::mouseDoubleClickEvent(QMouseEvent* event) {
  // Only a left double click opens a name; with the other buttons it does what their press
  // does: nothing.
  if (event->button() != Qt::LeftButton) {
    event->accept();
    return;
  }
  QListView::mouseDoubleClickEvent(event);
}

void FileView::keyPressEvent(QKeyEvent* event) {
  const QModelIndex before = currentIndex();
  QListView::keyPressEvent(event);
  if (currentIndex().isValid() && currentIndex() != before) picked_();
}

void FileView::paintEvent(QPaintEvent* event) {
  QListView::paintEvent(event);
  // An empty list has no current row to draw the focus on; like a list box, it marks where the
  // first row would be, so the keyboard's place stays visible.
  if (!hasFocus() || model() == nullptr || model()->rowCount() > 0) return;
  QPainter painter(viewport());
  QStyleOptionFocusRect option;
  option.initFrom(this);
  option.rect = QRect(0, 0, viewport()->width(), fontMetrics().height() + 2);
  option.backgroundColor = palette().color(QPalette::Base);
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

QtFileList::QtFileList(const ControlDescription& description, QWidget* parent,
                       ControlContext context)
    : QtControl(description),
      view_(new FileView(parent, [this] { context_.events.Raise(name(), Event::Click, {}); })),
      model_(new FileListModel(view_)),
      context_(context) {
  view_->setModel(model_);
  QObject::connect(view_, &QListView::doubleClicked, view_, [this](const QModelIndex& index) {
    if (index.isValid() && context_.events.Handles(name(), Event::DblClick))
      context_.events.Raise(name(), Event::DblClick, {});
  });
}

// The scan goes first: its workers stop before the list they report to.
QtFileList::~QtFileList() = default;

void QtFileList::Load() {
  SetPath(context_.front_end.working_folder);
}

void QtFileList::SetPath(const std::string& path) {
  path_ = lists::NormalizeFolder(path, kNativePaths);
  List(context_.front_end.snapshots.Read(path_), false);
}

std::string QtFileList::FileName() const {
  const QModelIndexList selected = view_->selectionModel()->selectedIndexes();
  if (selected.isEmpty()) return {};
  return model_->Name(selected.front().row());
}

void QtFileList::Refresh() {
  List(context_.front_end.snapshots.Reread(path_), true);
}

void QtFileList::List(lists::SharedSnapshot snapshot, bool keep_selection) {
  scan_.reset();  // a scan still running belongs to an older listing
  if (!snapshot) {
    Show({}, keep_selection);
  } else if (description().lists_programs) {
    ListPrograms(std::move(snapshot), keep_selection);
  } else {
    auto rows = lists::FileListRows(*snapshot, description().pattern, false);
    Show(lists::ListedNames(std::move(snapshot), std::move(rows)), keep_selection);
  }
}

void QtFileList::ListPrograms(lists::SharedSnapshot snapshot, bool keep_selection) {
  const std::string_view pattern = description().pattern;
  lists::ProgramRows program = lists::ProgramListRows(*snapshot, pattern);
  if (program.unknown.size() < kScanInBackground) {
    std::vector<std::uint8_t> marks(program.unknown.size());
    ReadExecuteBitsOffThread(context_.front_end.off_thread, path_, snapshot, program.unknown,
                             marks);
    auto rows = lists::AddExecutables(*snapshot, std::move(program.rows), program.unknown, marks);
    Show(lists::ListedNames(std::move(snapshot), std::move(rows)).CompactIfSparse(),
         keep_selection);
    return;
  }
  // Many files to ask about: show the names known now, and all of them once the workers are done.
  Show(lists::ListedNames(snapshot, program.rows).CompactIfSparse(), keep_selection);
  FrontEndContext& front_end = context_.front_end;
  std::string place = FileSystemOf(path_);
  if (front_end.off_thread.Stuck(place)) return;  // more threads would only hang beside the others
  scan_ = std::make_unique<ExecuteBitsScan>(
      path_, snapshot, std::move(program.unknown),
      [this, snapshot, rows = std::move(program.rows)](std::vector<std::uint32_t> files,
                                                       std::vector<std::uint8_t> marks) {
        auto all = lists::AddExecutables(*snapshot, rows, files, marks);
        Show(lists::ListedNames(snapshot, std::move(all)).CompactIfSparse(), true);
      },
      front_end.off_thread.places(), std::move(place));
}

void QtFileList::Show(lists::ListedNames names, bool keep_selection) {
  const std::string selected = keep_selection ? FileName() : std::string();
  model_->SetNames(std::move(names));
  const int row = selected.empty() ? -1 : model_->RowOf(selected);
  if (row >= 0) view_->setCurrentIndex(model_->index(row));
}

void QtFileList::SetDragIcon(PicturePtr icon) {
  const auto* picture = dynamic_cast<const QtPicture*>(icon.get());
  if (picture != nullptr && !picture->pixmap().isNull()) drag_icon_ = picture->pixmap();
}

void QtFileList::Drag(DragAction action) {
  if (action == DragAction::Begin) {
    if (drag_ != DragState::Idle) return;
    // The drag runs its own event loop: start it after the handler that asked for it returns.
    drag_ = DragState::Pending;
    QTimer::singleShot(0, view_, [this] { RunDrag(); });
  } else if (drag_ == DragState::Pending) {
    drag_ = DragState::Idle;
  } else if (drag_ == DragState::Running) {
    QDrag::cancel();
  }
}

void QtFileList::RunDrag() {
  if (drag_ != DragState::Pending) return;
  drag_ = DragState::Running;
  auto* drag = new QDrag(view_);
  drag->setMimeData(MakeDragData(std::string(name())).release());
  const QPixmap icon = drag_icon_.isNull() ? BuiltInDragIcon() : drag_icon_;
  drag->setPixmap(icon);
  drag->setHotSpot(QPoint(icon.width() / 2, icon.height() / 2));
  FrontEndContext& front_end = context_.front_end;
  front_end.drag_running = true;
  front_end.run_drag(*drag);
  front_end.drag_running = false;
  drag->deleteLater();
  drag_ = DragState::Idle;
  // A drop's handler may end the drag or reload the lists: it runs now that the drag is over.
  auto drops = std::move(front_end.after_drag);
  front_end.after_drag.clear();
  for (auto& drop : drops) drop();
}

}  // namespace vantrel::platform::qt
