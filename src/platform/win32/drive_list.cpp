#include "platform/win32/drive_list.h"

#include <utility>

#include "platform/win32/text.h"

namespace vantrel::platform::win32 {
namespace {

constexpr int kVisibleDrives = 8;
constexpr int kBorders = 6;  // the selection field's frame, above and below

}  // namespace

void Win32DriveList::Create(const ControlHost& host) {
  events_ = &host.events;
  front_end_ = &host.front_end;
  MakeWindow(host, L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP);
  ShowItems(lists::DriveTexts(front_end_->drives.Drives()));
}

void Win32DriveList::Load() {
  shown_ = lists::ItemIndex(texts_, front_end_->drives.DriveTextOf(front_end_->working_folder));
  if (shown_ < 0 && !texts_.empty()) shown_ = 0;
  ::SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(shown_), 0);
}

void Win32DriveList::ReadDrives() {
  // Dropped down while a handler waits (a screen reader, or CB_SHOWDROPDOWN sent by another
  // program, can do that then): a read would be a wait inside that wait, so the list shows the
  // drives it read last.
  if (!front_end_->list_drives || front_end_->off_thread.Waiting()) return;
  lists::DriveMemory::ListItems items =
      front_end_->drives.Reread(front_end_->list_drives(front_end_->off_thread), Drive());
  if (items.texts == texts_ && items.shown == shown_) return;
  ShowItems(std::move(items.texts));
  shown_ = items.shown;
  ::SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(shown_), 0);
}

void Win32DriveList::ShowItems(std::vector<std::string> texts) {
  ::SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
  for (const std::string& text : texts) {
    ::SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WidenName(text).c_str()));
  }
  texts_ = std::move(texts);
}

// The closed list keeps the designed height; the height given to a drop-down combo box also
// holds its open list.
void Win32DriveList::Place(const RECT& pixels, UINT dpi) {
  if (hwnd_ == nullptr) return;
  const int height = pixels.bottom - pixels.top;
  if (height > kBorders) {
    ::SendMessageW(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height - kBorders);
  }
  const int item = static_cast<int>(::SendMessageW(hwnd_, CB_GETITEMHEIGHT, 0, 0));
  RECT whole = pixels;
  whole.bottom += kVisibleDrives * (item > 0 ? item : height);
  Win32Control::Place(whole, dpi);
}

void Win32DriveList::OnCommand(WORD code) {
  if (code == CBN_DROPDOWN) ReadDrives();
  if (code != CBN_SELCHANGE) return;
  const int index = static_cast<int>(::SendMessageW(hwnd_, CB_GETCURSEL, 0, 0));
  if (index < 0 || index == shown_) return;
  shown_ = index;
  events_->Raise(name(), Event::Change, {});
}

std::string Win32DriveList::Drive() const {
  if (shown_ < 0 || static_cast<std::size_t>(shown_) >= texts_.size()) return {};
  return texts_[static_cast<std::size_t>(shown_)];
}

}  // namespace vantrel::platform::win32
