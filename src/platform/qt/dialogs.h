// Modal message and input boxes with Qt's standard dialogs.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "platform/dialogs.h"

namespace vantrel::platform::qt {

class QtDialogs final : public Dialogs {
 public:
  // `drop_queued_input`, when given, runs before a box shows, so that no click or key made
  // before it was on the screen answers it. The title is shown when a caller gives none.
  explicit QtDialogs(std::function<void()> drop_queued_input = {},
                     std::string application_title = "Vantrel")
      : drop_queued_input_(std::move(drop_queued_input)),
        application_title_(std::move(application_title)) {}

  // Yes/No boxes answer No to Escape and the close box; Yes is the default button.
  Answer MessageBox(const std::string& prompt, int style, const std::string& title) override;
  std::string InputBox(const std::string& prompt) override;

 private:
  void DropQueuedInput() const {
    if (drop_queued_input_) drop_queued_input_();
  }

  std::function<void()> drop_queued_input_;
  std::string application_title_;
};

}  // namespace vantrel::platform::qt
