// Process-wide settings of the Linux program.
#include <csignal>

#include "platform/os_services.h"

namespace vantrel::platform {

void PrepareProcess() {
  // Ignored, a write past RLIMIT_FSIZE fails with EFBIG, which the copy handles like any other
  // write error; by default the signal would end the program and leave the copy half done.
  std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace vantrel::platform
