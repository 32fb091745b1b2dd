// A folder list: the open folder with its ancestors and subfolders. A click only highlights a
// row; a double click or Enter opens it. Path is always the open folder.
#pragma once

#include <QListView>
#include <functional>
#include <string>

#include "platform/controls.h"
#include "platform/qt/control.h"
#include "platform/qt/folder_list_model.h"

namespace vantrel::platform::qt {

// A list view that reports a row to open on a double click or Enter.
class FolderView final : public QListView {
 public:
  FolderView(QWidget* parent, std::function<void(int row)> open);

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::function<void(int row)> open_;
};

class QtFolderList final : public QtControl, public FolderList {
 public:
  QtFolderList(const ControlDescription& description, QWidget* parent, ControlContext context);

  QWidget* widget() const override { return view_; }
  QListView* view() const { return view_; }
  // Opens the working folder; raises nothing.
  void Load() override;

  std::string Path() const override { return open_; }
  void SetPath(const std::string& path) override;
  void Refresh() override;

 private:
  // Opens the folder when it can be read; false leaves the list as it was.
  bool Open(const std::string& folder);
  // False when the folder could not be opened.
  bool OpenAndNotify(const std::string& folder);
  void ShowRows(std::vector<lists::FolderRow> rows);

  FolderView* view_;
  FolderListModel* model_;
  ControlContext context_;
  std::string open_;
};

}  // namespace vantrel::platform::qt
