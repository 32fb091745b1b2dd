// The platform services every handler reaches the outside world through. main() picks the real
// ones; the tests pass doubles.
#pragma once

#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/program_info.h"
#include "platform/program_starter.h"
#include "platform/registry.h"
#include "platform/window_system.h"

namespace vantrel::form {

struct Services {
  platform::WindowSystem& windows;
  platform::FileSystem& files;
  platform::Dialogs& dialogs;
  platform::ProgramStarter& programs;
  platform::Clipboard& clipboard;
  platform::Registry& registry;
  platform::ProgramInfo& program;
  platform::PathStyle paths;
};

}  // namespace vantrel::form
