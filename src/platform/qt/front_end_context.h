// What every window of one window system shares: the drives and their current folders, the
// folder the lists start in, the folders read for the event being handled, how drags run, and
// whether the program has ended.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "lists/drive_memory.h"
#include "platform/off_thread.h"
#include "platform/qt/folder_snapshots.h"
#include "platform/qt/list_icons.h"

class QDrag;

namespace vantrel::platform::qt {

class QtWindow;

struct FrontEndContext {
  lists::DriveMemory drives;
  // Reads the drives again when a drive list opens; null keeps the drives known at start.
  std::function<std::vector<DriveInfo>(OffThread&)> list_drives{};
  // Where calls that may block on a disk or a network run.
  OffThread* off_thread = &ImmediateOffThread();
  std::string working_folder;
  FolderSnapshots snapshots{};
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
  // Set by EndProgram: from then on no event reaches a handler.
  bool ended = false;
  // Rounds of event handling in progress while a handler waits for a worker; a window closed
  // during one asks for the end of the program.
  int waiting = 0;
  bool end_requested = false;
};

}  // namespace vantrel::platform::qt
