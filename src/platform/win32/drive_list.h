// A drive list: a drop-down list of the drives. Picking another drive raises Change; the list
// reports the picked drive's text ("c: [label]"), which a folder list takes as a path.
#pragma once

#include <string>

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
  EventSink* events_ = nullptr;
  FrontEnd* front_end_ = nullptr;
  int shown_ = -1;
};

}  // namespace vantrel::platform::win32
