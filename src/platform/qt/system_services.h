// The services of the running system as the Linux program uses them: the native file system,
// program start, registry view and program facts, with Qt's dialogs, clipboard and windows.
// Made once QApplication exists. Calls that may block on storage run off the GUI thread.
#pragma once

#include <memory>

#include "form/services.h"
#include "platform/off_thread_calls.h"
#include "platform/qt/clipboard.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/window_system.h"

namespace vantrel::platform::qt {

class SystemServices {
 public:
  // A tool that must never wait on a question passes dialogs of its own; null asks the user.
  explicit SystemServices(Dialogs* dialogs = nullptr);
  SystemServices(const SystemServices&) = delete;
  SystemServices& operator=(const SystemServices&) = delete;

  form::Services& services() { return services_; }

 private:
  QtWindowSystem windows_;
  std::shared_ptr<FileSystem> native_files_;
  std::unique_ptr<ProgramStarter> native_programs_;
  // The handlers' file calls and program starts run on workers while the windows paint.
  OffThreadFileSystem files_;
  OffThreadProgramStarter programs_;
  std::unique_ptr<Registry> native_registry_;
  OffThreadRegistry registry_;
  std::unique_ptr<ProgramInfo> program_;
  QtDialogs dialogs_;
  QtClipboard clipboard_;
  form::Services services_;
};

}  // namespace vantrel::platform::qt
