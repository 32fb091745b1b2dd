#include "platform/win32/form_window.h"

#include <algorithm>
#include <stdexcept>

#include "platform/win32/control_factory.h"
#include "platform/win32/dpi.h"
#include "platform/win32/form_layout.h"
#include "platform/win32/text.h"
#include "platform/win32/tooltips.h"
#include "platform/win32/window_class.h"

namespace vantrel::platform::win32 {
namespace {

constexpr wchar_t kClassName[] = L"VantrelWindow";

}  // namespace

Win32Window::Win32Window(const WindowDescription& description, EventSink& events,
                         FrontEnd& front_end)
    : description_(description),
      events_(events, front_end.wait),
      front_end_(front_end),
      menu_(description.menus),
      caption_(description.caption) {
  for (std::size_t index : CreationOrder(description.controls)) {
    controls_.push_back(MakeControl(description.controls[index]));
  }
  front_end_.windows.push_back(this);
}

Win32Window::~Win32Window() {
  std::erase(front_end_.windows, this);
  if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

template <class Kind>
Kind& Win32Window::Find(std::string_view name) {
  if (auto* kind = dynamic_cast<Kind*>(ControlNamed(name))) return *kind;
  throw std::logic_error("no such control: " + std::string(name));
}

DriveList& Win32Window::FindDriveList(std::string_view name) {
  return Find<DriveList>(name);
}
FolderList& Win32Window::FindFolderList(std::string_view name) {
  return Find<FolderList>(name);
}
FileList& Win32Window::FindFileList(std::string_view name) {
  return Find<FileList>(name);
}
Label& Win32Window::FindLabel(std::string_view name) {
  return Find<Label>(name);
}

Win32Control* Win32Window::ControlNamed(std::string_view name) const {
  for (const auto& control : controls_) {
    if (control->name() == name) return control.get();
  }
  return nullptr;
}

Win32Control* Win32Window::ControlById(int id) const {
  const int index = id - kFirstControlId;
  if (index < 0 || static_cast<std::size_t>(index) >= controls_.size()) return nullptr;
  return controls_[static_cast<std::size_t>(index)].get();
}

Win32Control* Win32Window::ControlByHandle(HWND hwnd) const {
  for (const auto& control : controls_) {
    if (hwnd != nullptr && control->hwnd() == hwnd) return control.get();
  }
  return nullptr;
}

HWND Win32Window::ControlHandle(std::string_view name) const {
  const Win32Control* control = ControlNamed(name);
  return control != nullptr ? control->hwnd() : nullptr;
}

void Win32Window::SetCaption(const std::string& text) {
  caption_ = text;
  if (hwnd_ != nullptr) ::SetWindowTextW(hwnd_, Widen(text).c_str());
}

// Loading puts every control in its design-time state and raises Load; showing a loaded window
// only brings it to the front.
void Win32Window::Show() {
  if (hwnd_ != nullptr) {
    if (closing_) {  // closed during a wait, and wanted again before it was unloaded
      closing_ = false;
      ::ShowWindow(hwnd_, SW_SHOWNORMAL);
    }
    if (::IsIconic(hwnd_)) ::ShowWindow(hwnd_, SW_RESTORE);
    ::SetForegroundWindow(hwnd_);
    ::BringWindowToTop(hwnd_);
    return;
  }
  if (!Load()) return;
  events_.Raise(kFormControl, Event::Load, {});
  if (hwnd_ == nullptr) return;  // the Load handler closed it again
  ::ShowWindow(hwnd_, SW_SHOWNORMAL);
  ::UpdateWindow(hwnd_);
  ::SetForegroundWindow(hwnd_);
  if (const HWND first = FirstTabStop()) ::SetFocus(first);
}

void Win32Window::Unload() {
  if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

bool Win32Window::Load() {
  RegisterWindowClass(front_end_.instance, kClassName, &Win32Window::Procedure,
                      reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  dpi_ = SystemDpi();
  const WindowStyles styles = StylesOf(description_);
  const HMENU bar = menu_.empty() ? nullptr : menu_.Build();
  const bool manual = description_.placement == Placement::Manual;
  const RECT outer = InitialWindowRect(description_, bar != nullptr, dpi_);
  const HWND owner = description_.in_taskbar ? nullptr : front_end_.hidden_owner;
  caption_ = std::string(description_.caption);
  ::CreateWindowExW(styles.ex_style, kClassName, Widen(caption_).c_str(), styles.style,
                    manual ? outer.left : CW_USEDEFAULT, manual ? outer.top : CW_USEDEFAULT,
                    outer.right - outer.left, outer.bottom - outer.top, owner, bar,
                    front_end_.instance, this);
  if (hwnd_ == nullptr) {
    if (bar != nullptr) ::DestroyMenu(bar);
    return false;
  }
  ++front_end_.loaded_windows;
  dpi_ = DpiOf(hwnd_);
  if (description_.icon) {
    ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(front_end_.window_icon));
    ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(front_end_.small_icon));
  }
  tooltips_ = MakeTooltips(hwnd_);
  CreateControls();
  ApplyLayout();
  FitClientArea(hwnd_, description_, dpi_, true);
  for (const auto& control : controls_) control->Load();
  return true;
}

void Win32Window::CreateControls() {
  HWND previous = HWND_TOP;
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    const ControlHost host{.form = hwnd_,
                           .id = kFirstControlId + static_cast<int>(i),
                           .events = events_,
                           .front_end = front_end_,
                           .drops = *this,
                           .tooltips = tooltips_,
                           .window = description_};
    controls_[i]->Create(host);
    if (const HWND made = controls_[i]->hwnd()) {
      ::SetWindowPos(made, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      previous = made;
      // Lists and labels are named by the description, not by the static text before them or
      // by what they show; a tooltip also describes its control to screen readers.
      controls_[i]->Annotate();
    }
  }
}

void Win32Window::ApplyLayout() {
  for (const auto& control : controls_) {
    if (control->hwnd() == nullptr) continue;
    const HFONT font = fonts_.Get(control->description().font.value_or(description_.font), dpi_);
    ::SendMessageW(control->hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    control->Place(ControlRect(description_, control->description(), dpi_), dpi_);
  }
}

HWND Win32Window::FirstTabStop() const {
  for (const auto& control : controls_) {
    const HWND hwnd = control->hwnd();
    if (hwnd != nullptr && (::GetWindowLongW(hwnd, GWL_STYLE) & WS_TABSTOP)) return hwnd;
  }
  return nullptr;
}

void Win32Window::PressButton(std::string_view name) {
  if (name.empty()) return;
  if (Win32Control* button = ControlNamed(name); button != nullptr && button->hwnd() != nullptr) {
    button->OnCommand(BN_CLICKED);
  }
}

void Win32Window::PopupMenu(std::string_view menu) {
  const HMENU drop_down = menu_.DropDown(menu);
  if (drop_down == nullptr || hwnd_ == nullptr) return;
  POINT at{};
  ::GetCursorPos(&at);
  ::SetForegroundWindow(hwnd_);
  ::TrackPopupMenu(drop_down, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_,
                   nullptr);
  ::PostMessageW(hwnd_, WM_NULL, 0, 0);  // lets the menu close when the window is not in front
}

// A drop goes to the control under the pointer when that control takes drops; elsewhere it
// does nothing.
void Win32Window::DropAt(POINT screen, std::string_view source) {
  const HWND under = ::WindowFromPoint(screen);
  for (const auto& control : controls_) {
    const HWND hwnd = control->hwnd();
    if (hwnd == nullptr || (under != hwnd && !::IsChild(hwnd, under))) continue;
    if (!events_.Handles(control->name(), Event::DragDrop)) return;
    POINT local = screen;
    ::ScreenToClient(hwnd, &local);
    events_.Raise(control->name(), Event::DragDrop,
                  {.x = ToTwips(local.x, dpi_), .y = ToTwips(local.y, dpi_), .source = source});
    return;
  }
}

}  // namespace vantrel::platform::win32
