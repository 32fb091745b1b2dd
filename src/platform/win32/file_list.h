// A file list: the regular files of its folder that match its pattern. Selecting a name (mouse
// or keys, typing a name's first letter too) raises Click, a double click DblClick; moves raise
// MouseMove where the wiring asks for it. The list box holds no strings of its own: it draws the
// names it is told the number of, so a folder of 100,000 files lists at once. The list can drag
// itself with its drag picture as the pointer; releasing the button hands the drop to the window,
// which raises DragDrop on the control under the pointer. Screen readers get the names of the
// rows as drawn from the list itself, since the list box has no texts to give them.
#pragma once

#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/win32/accessibility.h"
#include "platform/win32/control.h"
#include "platform/win32/list_drag.h"
#include "platform/win32/subclass.h"

namespace vantrel::platform::win32 {

class Win32FileList final : public Win32Control, public FileList, private Subclassed {
 public:
  using Win32Control::Win32Control;
  void Create(const ControlHost& host) override;
  // Lists the working folder; raises nothing.
  void Load() override;
  void Place(const RECT& pixels, UINT dpi) override;
  void Annotate() override;
  void OnCommand(WORD code) override;
  void OnDrawItem(const DRAWITEMSTRUCT& item) override;
  void Destroyed() override;

  std::string Path() const override { return path_; }
  void SetPath(const std::string& path) override;
  std::string FileName() const override;
  void Refresh() override;
  // A picture that is not loaded leaves the current drag picture.
  void SetDragIcon(PicturePtr icon) override;
  void Drag(DragAction action) override;

  const std::vector<std::string>& Names() const { return names_; }
  bool Dragging() const { return drag_.Active(); }

 private:
  LRESULT OnMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
  LRESULT OnMouseMove(HWND window, WPARAM wparam, LPARAM lparam);
  LRESULT OnButtonUp(HWND window, WPARAM wparam, LPARAM lparam);
  // Moves to the next name that starts with the typed character, as a list of strings would.
  void SelectByFirstLetter(wchar_t typed);
  void List();
  void ShowNames(const std::string& keep_selected);
  int Selected() const;
  // The text the row shows: the name with its control characters as visible marks.
  std::wstring Shown(std::size_t index) const;

  EventSink* events_ = nullptr;
  FrontEnd* front_end_ = nullptr;
  DropSite* drops_ = nullptr;
  std::string path_;
  std::vector<std::string> names_;
  PicturePtr drag_icon_;
  ListDrag drag_;
  int notified_ = -1;     // the entry the last Click was raised for
  bool pressed_ = false;  // a button press that has not raised its Click yet
  AccessibleRows rows_;   // last: it reads names_, so it stops first
};

}  // namespace vantrel::platform::win32
