#include "platform/win32/list_drag.h"

namespace vantrel::platform::win32 {

void ListDrag::Begin(HWND list, HCURSOR cursor) {
  list_ = list;
  cursor_ = cursor != nullptr ? cursor : ::LoadCursorW(nullptr, IDC_ARROW);
  if (::GetCapture() != list) ::SetCapture(list);
  Track();
}

void ListDrag::Track() const {
  if (Active()) ::SetCursor(cursor_);
}

void ListDrag::Finish() {
  list_ = nullptr;
  ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
}

void ListDrag::Cancel() {
  const HWND list = list_;
  Finish();
  if (list != nullptr && ::GetCapture() == list) ::ReleaseCapture();
}

}  // namespace vantrel::platform::win32
