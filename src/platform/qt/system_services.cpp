#include "platform/qt/system_services.h"

#include "platform/native.h"

namespace vantrel::platform::qt {

SystemServices::SystemServices(Dialogs* dialogs)
    : files_(MakeNativeFileSystem()),
      programs_(MakeNativeProgramStarter()),
      registry_(MakeNativeRegistry()),
      program_(MakeNativeProgramInfo()),
      windows_(QtWindowSystem::SystemOptions()),
      services_{.windows = windows_,
                .files = *files_,
                .dialogs = dialogs != nullptr ? *dialogs : dialogs_,
                .programs = *programs_,
                .clipboard = clipboard_,
                .registry = *registry_,
                .program = *program_,
                .paths = kNativePaths} {}

}  // namespace vantrel::platform::qt
