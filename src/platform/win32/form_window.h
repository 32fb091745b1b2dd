// One window made from a window description: a top-level window holding one wrapper per
// control, its menu bar, its tooltips and its fonts. The native window exists while the window
// is loaded; the wrappers, and what they hold, live as long as this object.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/controls.h"
#include "platform/wait_state.h"
#include "platform/win32/control.h"
#include "platform/win32/fonts.h"
#include "platform/win32/front_end.h"
#include "platform/win32/menu_bar.h"

namespace vantrel::platform::win32 {

class Win32Window final : public Window, private DropSite {
 public:
  Win32Window(const WindowDescription& description, EventSink& events, FrontEnd& front_end);
  ~Win32Window() override;
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  DriveList& FindDriveList(std::string_view name) override;
  FolderList& FindFolderList(std::string_view name) override;
  FileList& FindFileList(std::string_view name) override;
  Label& FindLabel(std::string_view name) override;
  void SetCaption(const std::string& text) override;
  void Show() override;
  void Unload() override;
  bool IsLoaded() const override { return hwnd_ != nullptr; }
  void PopupMenu(std::string_view menu) override;

  const WindowDescription& description() const { return description_; }
  HWND hwnd() const { return hwnd_; }
  // Closed while a handler waited: hidden, and unloaded once no handler waits any more.
  bool closing() const { return closing_; }
  // Posted once a wait is over: unloads the window if it was closed during the wait and has not
  // been shown again since.
  static constexpr UINT kFinishClose = WM_APP + 1;
  // The native window of a control, null while the window is not loaded.
  HWND ControlHandle(std::string_view name) const;
  HMENU MenuDropDown(std::string_view menu) const { return menu_.DropDown(menu); }

 private:
  // Control identifiers, clear of IDOK and IDCANCEL and of the menu commands.
  static constexpr int kFirstControlId = 100;

  template <class Kind>
  Kind& Find(std::string_view name);
  Win32Control* ControlNamed(std::string_view name) const;
  Win32Control* ControlById(int id) const;
  Win32Control* ControlByHandle(HWND hwnd) const;

  bool Load();
  void CreateControls();
  void ApplyLayout();
  HWND FirstTabStop() const;
  void PressButton(std::string_view name);
  void DropAt(POINT screen, std::string_view source) override;

  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnCommand(WPARAM wparam, LPARAM lparam);
  LRESULT OnDefaultId() const;
  void OnActivate(WPARAM wparam);
  void OnNextControl(WPARAM wparam, LPARAM lparam);
  void OnPaint();
  void OnDpiChanged(WPARAM wparam, LPARAM lparam);
  void OnDestroyed();
  void OnClose();
  void OnSystemCommandWhileWaiting(WPARAM command);

  const WindowDescription& description_;
  GatedSink events_;
  FrontEnd& front_end_;
  std::vector<std::unique_ptr<Win32Control>> controls_;  // in creation order
  MenuBar menu_;
  FontSet fonts_;
  std::string caption_;
  HWND hwnd_ = nullptr;
  HWND tooltips_ = nullptr;
  HWND focus_ = nullptr;  // the control that had the focus when the window was deactivated
  bool closing_ = false;
  UINT dpi_ = 96;
};

}  // namespace vantrel::platform::win32
