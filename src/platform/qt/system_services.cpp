#include "platform/qt/system_services.h"

#include "platform/os_services.h"

namespace vantrel::platform::qt {

SystemServices::SystemServices(Dialogs* dialogs)
    : windows_(QtWindowSystem::SystemOptions()),
      native_files_(MakeNativeFileSystem()),
      native_programs_(MakeNativeProgramStarter()),
      files_(native_files_, windows_.off_thread()),
      programs_(*native_programs_, windows_.off_thread()),
      native_registry_(MakeNativeRegistry()),
      registry_(*native_registry_, windows_.off_thread()),
      program_(MakeNativeProgramInfo()),
      dialogs_([this] { windows_.DropQueuedInput(); }),
      services_{.windows = windows_,
                .files = files_,
                .dialogs = dialogs != nullptr ? *dialogs : dialogs_,
                .programs = programs_,
                .clipboard = clipboard_,
                .registry = registry_,
                .program = *program_,
                .paths = kNativePaths} {}

}  // namespace vantrel::platform::qt
