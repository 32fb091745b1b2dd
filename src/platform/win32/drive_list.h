// A drive list: a drop-down list of the drives. Picking another drive raises Change; the list
// reports the picked drive's text ("c: [label]"), which a folder list takes as a path. Each time
// the list drops down it reads the drives again, so a medium inserted meanwhile can be picked
// (but not while a handler waits for a worker: then it shows the drives it read last).
#pragma once

#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/win32/control.h"

namespace vantrel::platform::win32 {

class Win32DriveList final : public Win32Control, public DriveList {
 public:
  using Win32Control::Win32Control;
  void Create(const ControlHost& host) override;
  // Shows the drive that holds the working folder.
  void Load() override;
  void Place(const RECT& pixels, UINT dpi) override;
  void OnCommand(WORD code) override;

  std::string Drive() const override;

 private:
  // The drives read now, the one shown kept even if it has gone; raises nothing.
  void ReadDrives();
  void ShowItems(std::vector<std::string> texts);

  EventSink* events_ = nullptr;
  FrontEnd* front_end_ = nullptr;
  std::vector<std::string> texts_;  // the drive of each item
  int shown_ = -1;
};

}  // namespace vantrel::platform::win32
