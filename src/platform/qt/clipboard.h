// The system clipboard through Qt: clearing it clears the primary selection too, where there is
// one.
#pragma once

#include "platform/clipboard.h"

namespace vantrel::platform::qt {

class QtClipboard final : public Clipboard {
 public:
  bool Clear() override;
};

}  // namespace vantrel::platform::qt
