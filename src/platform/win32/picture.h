// A picture loaded from an icon file: the drag cursor of a file list.
#pragma once

#include "platform/controls.h"
#include "platform/win32/api.h"

namespace vantrel::platform::win32 {

class Win32Picture final : public Picture {
 public:
  explicit Win32Picture(HICON icon) : icon_(icon) {}
  ~Win32Picture() override { ::DestroyIcon(icon_); }
  Win32Picture(const Win32Picture&) = delete;
  Win32Picture& operator=(const Win32Picture&) = delete;

  // An icon serves as a cursor, with its hot spot in the middle.
  HCURSOR cursor() const { return icon_; }

 private:
  HICON icon_;
};

}  // namespace vantrel::platform::win32
