// The Qt window system: windows made from descriptions, pictures, and the end of the program.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/off_thread.h"
#include "platform/os_services.h"
#include "platform/qt/front_end_context.h"
#include "platform/qt/gui_wait.h"
#include "platform/window_system.h"

namespace vantrel::platform::qt {

class QtWindowSystem final : public WindowSystem {
 public:
  struct Options {
    // Reads the drives: once at the start, and again whenever a drive list opens.
    std::function<std::vector<DriveInfo>(OffThread&)> list_drives;
    std::string working_folder;  // where the lists start
    std::function<void()> quit;  // leaves the event loop
    // Ends the process when a window is closed while a handler waits; must not return.
    std::function<void()> end_now;
    std::function<void(QDrag&)> run_drag;
  };
  // The system's drives and working folder, QCoreApplication::exit, std::_Exit and QDrag::exec.
  static Options SystemOptions();

  explicit QtWindowSystem(Options options);
  ~QtWindowSystem() override;

  std::unique_ptr<Window> CreateWindow(const WindowDescription& description,
                                       EventSink& events) override;
  PicturePtr LoadPicture(const std::string& path) override;
  // Where the program's calls that may block on a disk or a network run: on workers, while the
  // windows keep painting.
  OffThread& off_thread() { return off_thread_; }
  // Hides every window at once, lets no further event reach a handler, and leaves the event
  // loop, which ends the program.
  void EndProgram() override;

  // Drops the user input queued so far, before a question shows.
  void DropQueuedInput() { gui_wait_.DropQueuedInput(); }

 private:
  WaitState wait_;
  std::function<void()> quit_;
  QtGuiWait gui_wait_;  // ends the program through the windows of context_
  ThreadedOffThread off_thread_;
  FrontEndContext context_;
};

}  // namespace vantrel::platform::qt
