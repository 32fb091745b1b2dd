// The system clipboard on Windows.
#pragma once

#include "platform/clipboard.h"

namespace vantrel::platform::win32 {

class Win32Clipboard final : public Clipboard {
 public:
  // Another program may hold the clipboard open for a moment: a few tries before giving up.
  bool Clear() override;
};

}  // namespace vantrel::platform::win32
