// Modal questions on Windows: the system's message box, and an input box (a small dialog made
// in code: the prompt, a text field, OK and Cancel). Both belong to the program's active window.
// Before either shows, the keys and clicks still queued for the thread are dropped: they were
// made before the question was on the screen.
#pragma once

#include "platform/dialogs.h"

namespace vantrel::platform::win32 {

// The title of a box that is given none: the program's own name.
inline constexpr char kProgramTitle[] = "Vantrel";

class Win32Dialogs final : public Dialogs {
 public:
  Answer MessageBox(const std::string& prompt, int style, const std::string& title) override;
  std::string InputBox(const std::string& prompt) override;
};

}  // namespace vantrel::platform::win32
