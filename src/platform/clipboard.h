#pragma once

namespace vantrel::platform {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Empties the system clipboard; false when it could not be opened.
  virtual bool Clear() = 0;
};

}  // namespace vantrel::platform
