// A label: static text that the handlers set. Captions are shown as plain text, so a folder
// name holding '&' or '<' shows as it is.
#pragma once

#include <QLabel>
#include <string>

#include "platform/controls.h"
#include "platform/qt/control.h"

namespace vantrel::platform::qt {

class QtLabel final : public QtControl, public Label {
 public:
  QtLabel(const ControlDescription& description, QWidget* parent);

  QWidget* widget() const override { return label_; }
  void Load() override;

  std::string Caption() const override { return caption_; }
  void SetCaption(const std::string& text) override;

 private:
  QLabel* label_;
  std::string caption_;  // as set, bytes kept
};

}  // namespace vantrel::platform::qt
