// A file list: the regular files of its folder that match its pattern. Pressing the left button
// on a name (or moving to it with the keys) selects it and raises Click; a left double click on a
// name raises DblClick. The list can start a drag of itself, showing its drag icon.
//
// A list of programs also shows the executable files, which costs a stat per file: in a large
// folder it shows the names that match its pattern at once and the rest once worker threads have
// read their execute bits.
#pragma once

#include <QListView>
#include <QPixmap>
#include <functional>
#include <memory>
#include <string>

#include "platform/controls.h"
#include "platform/qt/control.h"
#include "platform/qt/execute_bits_scan.h"
#include "platform/qt/file_list_model.h"

namespace vantrel::platform::qt {

// A list view that reports the user's own selections, by mouse or keys.
class FileView final : public QListView {
 public:
  FileView(QWidget* parent, std::function<void()> picked);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  std::function<void()> picked_;
};

class QtFileList final : public QtControl, public FileList {
 public:
  // Below this many files to ask about, a program list reads their execute bits at once (a few
  // milliseconds); from this many on, on worker threads.
  static constexpr std::size_t kScanInBackground = 2048;

  QtFileList(const ControlDescription& description, QWidget* parent, ControlContext context);

  QWidget* widget() const override { return view_; }
  QListView* view() const { return view_; }
  ~QtFileList() override;
  // Lists the working folder; raises nothing.
  void Load() override;
  bool Dragging() const override { return drag_ != DragState::Idle; }

  std::string Path() const override { return path_; }
  void SetPath(const std::string& path) override;
  std::string FileName() const override;
  void Refresh() override;
  // A null picture leaves the current drag icon.
  void SetDragIcon(PicturePtr icon) override;
  // Begin starts the drag once the current event has been handled; End drops a drag that has
  // not started yet or cancels a running one.
  void Drag(DragAction action) override;

 private:
  enum class DragState { Idle, Pending, Running };

  // Lists a snapshot of the folder (null: it cannot be read); Refresh keeps the selected name.
  void List(lists::SharedSnapshot snapshot, bool keep_selection);
  void ListPrograms(lists::SharedSnapshot snapshot, bool keep_selection);
  void Show(lists::ListedNames names, bool keep_selection);
  void RunDrag();

  FileView* view_;
  FileListModel* model_;
  ControlContext context_;
  std::string path_;
  QPixmap drag_icon_;  // null: the built-in one
  DragState drag_ = DragState::Idle;
  std::unique_ptr<ExecuteBitsScan> scan_;
};

}  // namespace vantrel::platform::qt
