// Process-wide settings of the Windows program.
#include "platform/os_services.h"
#include "platform/win32/api.h"

namespace vantrel::platform {

// A drive without a medium (an empty card reader, a disc drive) answers a file call with an
// error instead of the system's "insert a disk" box, which would stop whichever thread asked
// until someone answered it. The mode is the process's, so it covers the workers too; the
// programs the user starts get the system's default (CREATE_DEFAULT_ERROR_MODE). Windows has no
// counterpart of SIGXFSZ: a write past what a volume takes fails with an error.
void PrepareProcess() {
  ::SetErrorMode(SEM_FAILCRITICALERRORS);
}

// Nothing to do: a copy opens its temporary file marked for deletion on close and shared with
// nobody, so the system removes it as the process ends, however it ends (TerminateProcess
// included: the handles close all the same; a copy killed half way under Wine leaves nothing).
// Only a power cut leaves one, which the next copy into that folder removes.
void RemoveCopiesInProgress() {}

}  // namespace vantrel::platform
