#pragma once

#include <string>

namespace vantrel::platform {

struct Version {
  int major = 0;
  int minor = 0;
  int revision = 0;
};

class ProgramInfo {
 public:
  virtual ~ProgramInfo() = default;
  // The folder of the running executable, without a trailing separator except at a root.
  virtual std::string Folder() = 0;
  virtual Version ProgramVersion() = 0;
};

}  // namespace vantrel::platform
