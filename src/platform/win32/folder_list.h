// A folder list: the open folder's ancestors from the drive root down, the open folder, then its
// subfolders, indented. A click only highlights a row; a double click or Enter opens it, which
// raises Change. Path is always the open folder.
#pragma once

#include <string>
#include <vector>

#include "lists/listing.h"
#include "platform/controls.h"
#include "platform/win32/control.h"
#include "platform/win32/subclass.h"

namespace vantrel::platform::win32 {

class Win32FolderList final : public Win32Control, public FolderList, private Subclassed {
 public:
  using Win32Control::Win32Control;
  void Create(const ControlHost& host) override;
  // Opens the working folder; raises nothing.
  void Load() override;
  void Place(const RECT& pixels, UINT dpi) override;
  void OnCommand(WORD code) override;
  void OnMeasureItem(MEASUREITEMSTRUCT& item) override;
  void OnDrawItem(const DRAWITEMSTRUCT& item) override;

  std::string Path() const override { return open_; }
  // A drive's text opens that drive's current folder.
  void SetPath(const std::string& path) override;
  void Refresh() override;

  const std::vector<lists::FolderRow>& Rows() const { return rows_; }

 private:
  LRESULT OnMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
  // Opens the folder when it can be read; false leaves the list as it was.
  bool Open(const std::string& folder);
  // False when the folder could not be opened.
  bool OpenAndNotify(const std::string& folder);
  void OpenSelectedRow();
  void ShowRows(std::vector<lists::FolderRow> rows);

  EventSink* events_ = nullptr;
  FrontEnd* front_end_ = nullptr;
  std::string open_;
  std::vector<lists::FolderRow> rows_;
  int open_depth_ = 0;
};

}  // namespace vantrel::platform::win32
