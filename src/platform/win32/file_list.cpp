#include "platform/win32/file_list.h"

#include <windowsx.h>

#include <cwctype>

#include "lists/listing.h"
#include "platform/off_thread_calls.h"
#include "platform/win32/folder_glyph.h"
#include "platform/win32/mouse_args.h"
#include "platform/win32/picture.h"
#include "platform/win32/text.h"

namespace vantrel::platform::win32 {

void Win32FileList::Create(const ControlHost& host) {
  events_ = &host.events;
  front_end_ = &host.front_end;
  drops_ = &host.drops;
  MakeWindow(
      host, L"LISTBOX", "",
      LBS_NOTIFY | LBS_NODATA | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
      WS_EX_CLIENTEDGE);
  Subclass(hwnd_);
  ShowNames({});
}

void Win32FileList::Load() {
  SetPath(front_end_->working_folder);
}

void Win32FileList::Place(const RECT& pixels, UINT dpi) {
  ::SendMessageW(hwnd_, LB_SETITEMHEIGHT, 0, TextRowHeight(hwnd_));
  Win32Control::Place(pixels, dpi);
}

void Win32FileList::Annotate() {
  SetAccessibleDescription(hwnd_, description().tooltip);
  rows_.Start(hwnd_, description().accessible_name,
              [this](std::size_t index) -> std::optional<std::wstring> {
                if (index >= names_.size()) return std::nullopt;
                return Shown(index);
              });
}

void Win32FileList::Destroyed() {
  rows_.Stop();
  drag_.Finish();
  Win32Control::Destroyed();
}

void Win32FileList::SetPath(const std::string& path) {
  path_ = lists::NormalizeFolder(path, kWindowsPaths);
  List();
  ShowNames({});
}

void Win32FileList::Refresh() {
  const std::string selected = FileName();
  List();
  ShowNames(selected);
}

std::string Win32FileList::FileName() const {
  const int selected = Selected();
  return selected >= 0 ? names_[static_cast<std::size_t>(selected)] : std::string();
}

int Win32FileList::Selected() const {
  if (hwnd_ == nullptr) return -1;
  const auto index = static_cast<int>(::SendMessageW(hwnd_, LB_GETCURSEL, 0, 0));
  return index >= 0 && static_cast<std::size_t>(index) < names_.size() ? index : -1;
}

void Win32FileList::List() {
  const auto entries = ReadFolderOffThread(front_end_->off_thread, path_, false);
  names_ = entries
               ? lists::FileListNames(*entries, description().pattern, description().lists_programs)
               : std::vector<std::string>{};
}

void Win32FileList::ShowNames(const std::string& keep_selected) {
  notified_ = -1;
  for (std::size_t i = 0; i < names_.size() && !keep_selected.empty(); ++i) {
    if (names_[i] == keep_selected) notified_ = static_cast<int>(i);
  }
  if (hwnd_ == nullptr) return;
  ::SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
  ::SendMessageW(hwnd_, LB_SETCOUNT, names_.size(), 0);
  ::SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(notified_), 0);
}

void Win32FileList::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.itemID >= names_.size()) return;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  ::SetBkMode(item.hDC, TRANSPARENT);
  ::SetTextColor(item.hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  RECT text = item.rcItem;
  text.left += 2;
  const std::wstring name = Shown(item.itemID);
  ::DrawTextW(item.hDC, name.c_str(), static_cast<int>(name.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (item.itemState & ODS_FOCUS) ::DrawFocusRect(item.hDC, &item.rcItem);
}

std::wstring Win32FileList::Shown(std::size_t index) const {
  return WidenName(names_[index]);
}

void Win32FileList::SelectByFirstLetter(wchar_t typed) {
  if (names_.empty()) return;
  const auto lower = [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); };
  const std::size_t count = names_.size();
  const std::size_t from = Selected() >= 0 ? static_cast<std::size_t>(Selected()) + 1 : 0;
  for (std::size_t step = 0; step < count; ++step) {
    const std::size_t index = (from + step) % count;
    const std::wstring name = Widen(std::string_view(names_[index]).substr(0, 4));
    if (!name.empty() && lower(name[0]) == lower(typed)) {
      ::SendMessageW(hwnd_, LB_SETCURSEL, index, 0);
      OnCommand(LBN_SELCHANGE);
      return;
    }
  }
}

// A list box tells of a press on the entry already selected too, and again at the release:
// one Click per press, and one per change made with the keys.
void Win32FileList::OnCommand(WORD code) {
  const int selected = Selected();
  if (code == LBN_SELCHANGE && selected >= 0 && (selected != notified_ || pressed_)) {
    notified_ = selected;
    pressed_ = false;
    events_->Raise(name(), Event::Click, {});
  } else if (code == LBN_DBLCLK && selected >= 0) {
    events_->Raise(name(), Event::DblClick, {});
  }
}

void Win32FileList::SetDragIcon(PicturePtr icon) {
  const auto* picture = dynamic_cast<const Win32Picture*>(icon.get());
  if (picture != nullptr && picture->cursor() != nullptr) drag_icon_ = std::move(icon);
}

void Win32FileList::Drag(DragAction action) {
  if (action == DragAction::End) {
    drag_.Cancel();
    return;
  }
  if (drag_.Active() || hwnd_ == nullptr) return;
  const auto* picture = dynamic_cast<const Win32Picture*>(drag_icon_.get());
  drag_.Begin(hwnd_, picture != nullptr ? picture->cursor() : front_end_->built_in_drag);
}

LRESULT Win32FileList::OnMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_LBUTTONDOWN:
      pressed_ = true;
      break;
    case WM_MOUSEMOVE:
      return OnMouseMove(window, wparam, lparam);
    case WM_LBUTTONUP:
      return OnButtonUp(window, wparam, lparam);
    case WM_SETCURSOR:
      if (!drag_.Active()) break;
      drag_.Track();
      return TRUE;
    case WM_CAPTURECHANGED:
      if (drag_.Active() && reinterpret_cast<HWND>(lparam) != window) drag_.Finish();
      break;
    case WM_KEYDOWN:
      if (!drag_.Active() || wparam != VK_ESCAPE) break;
      drag_.Cancel();
      return 0;
    case WM_CHAR:
      if (wparam <= L' ') break;
      SelectByFirstLetter(static_cast<wchar_t>(wparam));
      return 0;
    default:
      break;
  }
  return Default(window, message, wparam, lparam);
}

// Once a handler has started a drag, the moves belong to the drag, not to the list's own
// selection tracking.
LRESULT Win32FileList::OnMouseMove(HWND window, WPARAM wparam, LPARAM lparam) {
  if (drag_.Active()) {
    drag_.Track();
    return 0;
  }
  if (events_->Handles(name(), Event::MouseMove)) {
    events_->Raise(name(), Event::MouseMove,
                   MouseArgs(window, HeldButtons(wparam), wparam, lparam));
  }
  return drag_.Active() ? 0 : Default(window, WM_MOUSEMOVE, wparam, lparam);
}

LRESULT Win32FileList::OnButtonUp(HWND window, WPARAM wparam, LPARAM lparam) {
  if (!drag_.Active()) return Default(window, WM_LBUTTONUP, wparam, lparam);
  POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  ::ClientToScreen(window, &at);
  drag_.Finish();
  // The list ends its own press (and its capture) before the drop runs its handler.
  const LRESULT result = Default(window, WM_LBUTTONUP, wparam, lparam);
  if (::GetCapture() == window) ::ReleaseCapture();
  drops_->DropAt(at, name());
  return result;
}

}  // namespace vantrel::platform::win32
