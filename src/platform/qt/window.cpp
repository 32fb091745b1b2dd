#include "platform/qt/window.h"

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/qt/text.h"
#include "platform/qt/window_builder.h"

namespace vantrel::platform::qt {

QtWindow::QtWindow(const WindowDescription& description, EventSink& events,
                   FrontEndContext& front_end)
    : description_(description),
      scoped_(events, front_end.snapshots),
      events_(scoped_, front_end.wait),
      front_end_(front_end),
      form_(std::make_unique<FormWidget>([this] { Closed(); })) {
  menus_.emplace(*form_, description_.menus, events_);
  BuiltControls built = BuildControls(description_, *form_, {events_, front_end_});
  controls_ = std::move(built.controls);
  first_focus_ = built.first_focus;
  ApplyWindowFrame(description_, *form_);
  front_end_.windows.push_back(this);
}

QtWindow::~QtWindow() {
  std::erase(front_end_.windows, this);
  // The wrappers go first; the widgets they wrap go with the top-level widget.
  controls_.clear();
}

template <class Kind>
Kind& QtWindow::Find(std::string_view name) {
  for (const auto& control : controls_) {
    if (control->name() != name) continue;
    if (auto* found = dynamic_cast<Kind*>(control.get())) return *found;
  }
  // The names come from the program's own tables: a miss is a mistake in the program.
  std::fprintf(stderr, "vantrel: window %.*s has no control %.*s of the kind asked for\n",
               static_cast<int>(description_.name.size()), description_.name.data(),
               static_cast<int>(name.size()), name.data());
  std::abort();
}

DriveList& QtWindow::FindDriveList(std::string_view name) {
  return Find<DriveList>(name);
}
FolderList& QtWindow::FindFolderList(std::string_view name) {
  return Find<FolderList>(name);
}
FileList& QtWindow::FindFileList(std::string_view name) {
  return Find<FileList>(name);
}
Label& QtWindow::FindLabel(std::string_view name) {
  return Find<Label>(name);
}

void QtWindow::SetCaption(const std::string& text) {
  form_->setWindowTitle(ToDisplay(text));
}

void QtWindow::Show() {
  if (loaded_) {
    form_->raise();
    form_->activateWindow();
    return;
  }
  Load();
  form_->show();
  if (first_focus_ != nullptr) first_focus_->setFocus(Qt::OtherFocusReason);
  // The focused control is marked from the start, not only once Tab has been pressed: a user
  // who starts with the arrow keys sees where they go.
  form_->setAttribute(Qt::WA_KeyboardFocusChange);
}

void QtWindow::Load() {
  // The lists that start in the same folder read it once.
  const FolderSnapshots::Scope scope(front_end_.snapshots);
  form_->setWindowTitle(ToDisplay(description_.caption));
  PlaceWindow(description_, *form_);
  for (const auto& control : controls_) control->Load();
  loaded_ = true;
  events_.Raise(kFormControl, Event::Load, {});
}

void QtWindow::Unload() {
  if (loaded_) form_->close();
}

void QtWindow::PopupMenu(std::string_view menu) {
  menus_->Popup(menu);
}

void QtWindow::Closed() {
  loaded_ = false;
  // A window closed while it has the keyboard hands it to the program's other window made last,
  // as a dialog hands it back to its owner; not every window manager does that, and a keyboard
  // user would be left with no window that takes keys.
  if (QApplication::activeWindow() == form_.get()) {
    for (auto other = front_end_.windows.rbegin(); other != front_end_.windows.rend(); ++other) {
      if (*other == this || !(*other)->loaded_) continue;
      (*other)->form_->activateWindow();
      break;
    }
  }
  // Closed while a handler waits on a worker, the window goes as it would when idle, and the
  // handler runs on. The last window ends the program, which the wait does at once instead of
  // waiting for the worker.
  const bool any_loaded = std::any_of(front_end_.windows.begin(), front_end_.windows.end(),
                                      [](const QtWindow* window) { return window->loaded_; });
  if (front_end_.wait.waiting && !any_loaded) front_end_.wait.end_requested = true;
}

void QtWindow::Hide() {
  form_->hide();
  loaded_ = false;
}

}  // namespace vantrel::platform::qt
