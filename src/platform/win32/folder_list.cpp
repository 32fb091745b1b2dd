#include "platform/win32/folder_list.h"

#include <cwctype>

#include "platform/off_thread_calls.h"
#include "platform/win32/dpi.h"
#include "platform/win32/folder_glyph.h"
#include "platform/win32/text.h"

namespace vantrel::platform::win32 {
namespace {

constexpr Twips kIndent = 180;
constexpr Twips kGlyphRoom = 300;

// "c:" or "c: [label]": a drive the list did not know at start-up opens at its root.
std::optional<std::string> RootOfDriveText(const std::string& text) {
  const bool letter = !text.empty() && std::iswalpha(static_cast<wint_t>(text[0]));
  if (!letter || text.size() < 2 || text[1] != ':') return std::nullopt;
  if (text.size() > 2 && text[2] != ' ') return std::nullopt;
  return std::string(1, static_cast<char>(std::towupper(static_cast<wint_t>(text[0])))) + ":\\";
}

// A drive letter always reads in upper case, as the drive list's roots do.
std::string UpperDrive(std::string path) {
  if (path.size() >= 2 && path[1] == ':') {
    path[0] = static_cast<char>(std::towupper(static_cast<wint_t>(path[0])));
  }
  return path;
}

}  // namespace

void Win32FolderList::Create(const ControlHost& host) {
  events_ = &host.events;
  front_end_ = &host.front_end;
  MakeWindow(host, L"LISTBOX", "",
             LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL |
                 WS_TABSTOP,
             WS_EX_CLIENTEDGE);
  Subclass(hwnd_);
}

void Win32FolderList::Load() {
  if (!Open(front_end_->working_folder)) {
    open_ = front_end_->working_folder;
    ShowRows(lists::FolderListRows(open_, std::vector<lists::FolderEntry>{}, kWindowsPaths));
  }
}

void Win32FolderList::Place(const RECT& pixels, UINT dpi) {
  ::SendMessageW(hwnd_, LB_SETITEMHEIGHT, 0, RowHeight(hwnd_, dpi));
  Win32Control::Place(pixels, dpi);
}

void Win32FolderList::SetPath(const std::string& path) {
  if (const auto folders = front_end_->drives.FoldersOfDrive(path); !folders.empty()) {
    // The drive's current folder or, where that has gone since, the nearest folder above it.
    for (const std::string& folder : folders) {
      if (OpenAndNotify(folder)) return;
    }
  } else if (const auto root = RootOfDriveText(path)) {
    OpenAndNotify(*root);
  } else {
    OpenAndNotify(path);
  }
}

void Win32FolderList::Refresh() {
  // A folder that has gone or cannot be read any more shows with no subfolders.
  const auto entries = ReadFolderOffThread(front_end_->off_thread, open_, false);
  ShowRows(lists::FolderListRows(open_, entries ? *entries : std::vector<lists::FolderEntry>{},
                                 kWindowsPaths));
}

bool Win32FolderList::Open(const std::string& folder) {
  std::string normal = lists::NormalizeFolder(UpperDrive(folder), kWindowsPaths);
  const auto entries = ReadFolderOffThread(front_end_->off_thread, normal, false);
  if (!entries) return false;
  open_ = std::move(normal);
  ShowRows(lists::FolderListRows(open_, *entries, kWindowsPaths));
  front_end_->drives.Remember(open_);
  return true;
}

bool Win32FolderList::OpenAndNotify(const std::string& folder) {
  const std::string before = open_;
  if (!Open(folder)) return false;
  if (open_ != before) events_->Raise(name(), Event::Change, {});
  return true;
}

void Win32FolderList::OpenSelectedRow() {
  const auto row = ::SendMessageW(hwnd_, LB_GETCURSEL, 0, 0);
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return;
  const std::string path = rows_[static_cast<std::size_t>(row)].path;  // ShowRows replaces rows_
  OpenAndNotify(path);
}

void Win32FolderList::ShowRows(std::vector<lists::FolderRow> rows) {
  rows_ = std::move(rows);
  if (hwnd_ == nullptr) return;
  ::SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
  int open_row = -1;
  open_depth_ = 0;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    ::SendMessageW(hwnd_, LB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(WidenName(rows_[i].label).c_str()));
    if (rows_[i].is_open) {
      open_row = static_cast<int>(i);
      open_depth_ = rows_[i].depth;
    }
  }
  ::SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(open_row), 0);
  ::SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void Win32FolderList::OnCommand(WORD code) {
  if (code == LBN_DBLCLK) OpenSelectedRow();
}

void Win32FolderList::OnMeasureItem(MEASUREITEMSTRUCT& item) {
  item.itemHeight = static_cast<UINT>(RowHeight(hwnd_, DpiOf(hwnd_)));
}

void Win32FolderList::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.itemID >= rows_.size()) return;
  const lists::FolderRow& row = rows_[item.itemID];
  const UINT dpi = DpiOf(hwnd_);
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  const int indent = item.rcItem.left + row.depth * ToPixels(kIndent, dpi);
  // The open folder and its ancestors show open; its subfolders one level deeper show closed.
  const bool opened = row.depth <= open_depth_;
  DrawFolderGlyph(item.hDC, indent + 2, item.rcItem.top, item.rcItem.bottom, opened, dpi);
  RECT text = item.rcItem;
  text.left = indent + ToPixels(kGlyphRoom, dpi);
  ::SetBkMode(item.hDC, TRANSPARENT);
  ::SetTextColor(item.hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  const std::wstring label = WidenName(row.label);
  ::DrawTextW(item.hDC, label.c_str(), static_cast<int>(label.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (item.itemState & ODS_FOCUS) ::DrawFocusRect(item.hDC, &item.rcItem);
}

// Enter opens the highlighted row instead of going to the window's default button.
LRESULT Win32FolderList::OnMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_GETDLGCODE) {
    const auto* key = reinterpret_cast<const MSG*>(lparam);
    const LRESULT code = Default(window, message, wparam, lparam);
    const bool enter = key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN;
    return enter ? code | DLGC_WANTMESSAGE : code;
  }
  if (message == WM_KEYDOWN && wparam == VK_RETURN) {
    OpenSelectedRow();
    return 0;
  }
  if (message == WM_CHAR && wparam == L'\r') return 0;
  return Default(window, message, wparam, lparam);
}

}  // namespace vantrel::platform::win32
