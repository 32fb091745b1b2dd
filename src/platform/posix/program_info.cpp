// The running program's folder (from /proc/self/exe) and the version set in the build.
#include <unistd.h>

#include <string>

#include "platform/os_services.h"
#include "version.h"

namespace vantrel::platform {
namespace {

std::string ExecutablePath() {
  std::string buffer(256, '\0');
  for (;;) {
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) < buffer.size()) {
      buffer.resize(static_cast<std::size_t>(length));
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

class PosixProgramInfo final : public ProgramInfo {
 public:
  // The folder without a trailing separator, except "/" itself; empty when it cannot be read.
  std::string Folder() override {
    const std::string path = ExecutablePath();
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? "/" : path.substr(0, slash);
  }

  Version ProgramVersion() override { return {kVersionMajor, kVersionMinor, kVersionRevision}; }
};

}  // namespace

std::unique_ptr<ProgramInfo> MakeNativeProgramInfo() {
  return std::make_unique<PosixProgramInfo>();
}

}  // namespace vantrel::platform
