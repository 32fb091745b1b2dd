// What every window of the Win32 front end shares: the drives and their current folders, the
// folder the lists start in, the program's icons and drag cursor, the hidden window that owns
// the windows kept out of the taskbar, and the program's end.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "lists/drive_memory.h"
#include "platform/off_thread.h"
#include "platform/wait_state.h"
#include "platform/win32/api.h"

namespace vantrel::platform::win32 {

class Win32Window;

// Resource numbers of the executable (resources/vantrel.rc).
inline constexpr int kAppIconResource = 1;
inline constexpr int kDragIconResource = 2;

struct FrontEnd {
  HINSTANCE instance = nullptr;
  lists::DriveMemory drives;
  // Reads the drives again when a drive list drops down; null keeps the drives known at start.
  std::function<std::vector<DriveInfo>(OffThread&)> list_drives{};
  // Where calls that may block on a disk or a network run.
  OffThread& off_thread;
  std::string working_folder;
  HICON large_icon = nullptr;       // 48x48: the About picture
  HICON window_icon = nullptr;      // title bar and taskbar
  HICON small_icon = nullptr;       // title bar at small size
  HCURSOR built_in_drag = nullptr;  // the file list's drag cursor until grab.ico replaces it
  HWND hidden_owner = nullptr;
  std::vector<Win32Window*> windows{};  // every window made, loaded or not
  int loaded_windows = 0;
  // Whether a handler waits for a worker, and whether the program has ended.
  WaitState& wait;
  bool busy = false;  // the wait cursor shows over the windows
  // Runs once the last window has closed, or at EndProgram.
  std::function<void()> quit{};
};

}  // namespace vantrel::platform::win32
