// One window made from its description, with Qt widgets. The widgets are made once; loading the
// window (at the first Show, and again after each Unload) puts every control back in its
// design-time state before the window's Load event.
#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/controls.h"
#include "platform/qt/control.h"
#include "platform/qt/form_widget.h"
#include "platform/qt/menu_bar.h"
#include "platform/wait_state.h"

namespace vantrel::platform::qt {

class QtWindow final : public Window {
 public:
  // The description's tables must outlive the window.
  QtWindow(const WindowDescription& description, EventSink& events, FrontEndContext& front_end);
  ~QtWindow() override;

  DriveList& FindDriveList(std::string_view name) override;
  FolderList& FindFolderList(std::string_view name) override;
  FileList& FindFileList(std::string_view name) override;
  Label& FindLabel(std::string_view name) override;

  void SetCaption(const std::string& text) override;
  void Show() override;
  void Unload() override;
  bool IsLoaded() const override { return loaded_; }
  void PopupMenu(std::string_view menu) override;

  // Hides the window at the end of the program, raising nothing.
  void Hide();

 private:
  template <class Kind>
  Kind& Find(std::string_view name);
  void Load();
  void Closed();

  WindowDescription description_;
  ScopedSink scoped_;
  GatedSink events_;  // through the scope
  FrontEndContext& front_end_;
  std::unique_ptr<FormWidget> form_;
  std::optional<MenuBar> menus_;
  std::vector<std::unique_ptr<QtControl>> controls_;
  QWidget* first_focus_ = nullptr;
  bool loaded_ = false;
};

}  // namespace vantrel::platform::qt
