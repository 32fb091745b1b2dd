// Modal message and input boxes with Qt's standard dialogs.
#pragma once

#include <string>

#include "platform/dialogs.h"

namespace vantrel::platform::qt {

class QtDialogs final : public Dialogs {
 public:
  // The title shown when a caller gives none.
  explicit QtDialogs(std::string application_title = "Vantrel")
      : application_title_(std::move(application_title)) {}

  // Yes/No boxes answer No to Escape and the close box; Yes is the default button.
  Answer MessageBox(const std::string& prompt, int style, const std::string& title) override;
  std::string InputBox(const std::string& prompt) override;

 private:
  std::string application_title_;
};

}  // namespace vantrel::platform::qt
