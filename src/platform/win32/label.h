// A label: a static text in the label's font and colour. Ampersands show as they are.
#pragma once

#include <string>

#include "platform/controls.h"
#include "platform/win32/control.h"

namespace vantrel::platform::win32 {

class Win32Label final : public Win32Control, public Label {
 public:
  using Win32Control::Win32Control;
  void Create(const ControlHost& host) override;
  void Load() override;

  std::string Caption() const override { return caption_; }
  void SetCaption(const std::string& text) override;

 private:
  std::string caption_;
};

}  // namespace vantrel::platform::win32
