// The Qt window system: windows made from descriptions, pictures, and the end of the program.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/native.h"
#include "platform/qt/front_end_context.h"
#include "platform/window_system.h"

namespace vantrel::platform::qt {

class QtWindowSystem final : public WindowSystem {
 public:
  struct Options {
    std::vector<DriveInfo> drives;                        // what the drive lists offer at first
    std::function<std::vector<DriveInfo>()> list_drives;  // reads them again; may be null
    std::string working_folder;                           // where the lists start
    std::function<void()> quit;                           // leaves the event loop
    std::function<void(QDrag&)> run_drag;
  };
  // The system's drives (read again whenever a drive list opens) and working folder,
  // QCoreApplication::exit and QDrag::exec.
  static Options SystemOptions();

  explicit QtWindowSystem(Options options);
  ~QtWindowSystem() override;

  std::unique_ptr<Window> CreateWindow(const WindowDescription& description,
                                       EventSink& events) override;
  PicturePtr LoadPicture(const std::string& path) override;
  // Hides every window at once, lets no further event reach a handler, and leaves the event
  // loop, which ends the program.
  void EndProgram() override;

 private:
  FrontEndContext context_;
  std::function<void()> quit_;
};

}  // namespace vantrel::platform::qt
