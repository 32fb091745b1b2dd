// The Win32 front end: windows made from descriptions, pictures loaded from icon files, the end
// of the program, and the worker threads that calls which may block on a disk or a network run
// on while the windows keep painting.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/off_thread.h"
#include "platform/wait_state.h"
#include "platform/win32/accessibility.h"
#include "platform/win32/front_end.h"
#include "platform/win32/gui_wait.h"
#include "platform/window_system.h"

namespace vantrel::platform::win32 {

class Win32Window;

class Win32WindowSystem final : public WindowSystem {
 public:
  // How the drive lists read the drives: at start and each time one drops down.
  using DriveReader = std::function<std::vector<DriveInfo>(OffThread&)>;

  // quit runs once the last window has closed, or at EndProgram (the program posts
  // WM_QUIT there). The lists open in start_folder. The drives are the system's (ListDrives)
  // unless another reader is given.
  Win32WindowSystem(HINSTANCE instance, std::function<void()> quit, const std::string& start_folder,
                    DriveReader list_drives = {});
  ~Win32WindowSystem() override;
  Win32WindowSystem(const Win32WindowSystem&) = delete;
  Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

  std::unique_ptr<Window> CreateWindow(const WindowDescription& description,
                                       EventSink& events) override;
  // An icon file, at the size it was drawn; null when it is missing or not an icon.
  PicturePtr LoadPicture(const std::string& path) override;
  void EndProgram() override;

  // The keyboard interface of the program's windows (Tab, Enter, Escape, accelerators) for one
  // message of the loop; true when that took the message.
  bool PreTranslate(MSG& message);
  // The last window made from the description of that name; null when none was made.
  Win32Window* Find(std::string_view name) const;
  const FrontEnd& front_end() const { return front_end_; }
  // Where the program's calls that may block on a disk or a network run: on workers, while the
  // windows keep painting.
  OffThread& off_thread() { return off_thread_; }
  const WaitState& wait_state() const { return wait_; }

 private:
  ComApartment com_;  // first made, last gone: the windows' accessibility annotations use COM
  WaitState wait_;
  FrontEnd front_end_;  // refers to off_thread_, made after it
  Win32GuiWait gui_wait_;
  ThreadedOffThread off_thread_;
};

// Runs the messages of the program's windows until WM_QUIT; returns its exit code.
int RunMessageLoop(Win32WindowSystem& windows);

}  // namespace vantrel::platform::win32
