// A command button: its Click goes to the window's events. '&' in the caption marks the
// keyboard accelerator, as QPushButton shows it.
#pragma once

#include <QPushButton>

#include "platform/qt/control.h"

namespace vantrel::platform::qt {

class QtButton final : public QtControl {
 public:
  QtButton(const ControlDescription& description, QWidget* parent, EventSink& events);

  QWidget* widget() const override { return button_; }
  // Fits the caption to the button in the window's final font.
  void Load() override;
  QPushButton* button() const { return button_; }

 private:
  QPushButton* button_;
};

}  // namespace vantrel::platform::qt
