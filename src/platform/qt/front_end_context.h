// What every window of one window system shares: the drives and their current folders, the
// folder the lists start in, the folders read for the event being handled, how drags run, and
// whether the program has ended.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lists/drive_memory.h"
#include "platform/off_thread.h"
#include "platform/qt/folder_snapshots.h"
#include "platform/qt/list_icons.h"
#include "platform/wait_state.h"

class QDrag;

namespace vantrel::platform::qt {

class QtWindow;

struct FrontEndContext {
  lists::DriveMemory drives;
  // Reads the drives again when a drive list opens; null keeps the drives known at start.
  std::function<std::vector<DriveInfo>(OffThread&)> list_drives{};
  // Where calls that may block on a disk or a network run.
  OffThread& off_thread;
  std::string working_folder;
  FolderSnapshots snapshots;
  // The folder and drive icons every list shows, looked up once the first window has painted.
  ListIcons icons{};
  // Runs a drag to its end (QDrag::exec); the drag object is deleted afterwards by its caller.
  std::function<void(QDrag&)> run_drag{};
  // While a drag runs, drops wait here and run once it has finished, so their handlers never
  // run inside the drag.
  bool drag_running = false;
  std::vector<std::function<void()>> after_drag{};
  // Every window that exists, for the end of the program.
  std::vector<QtWindow*> windows{};
  // Whether a handler waits for a worker, and whether the program has ended.
  WaitState& wait;
};

}  // namespace vantrel::platform::qt
