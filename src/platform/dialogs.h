// Modal questions. Each call returns the user's answer, so a handler asks, then acts.
#pragma once

#include <string>
#include <string_view>

namespace vantrel::platform {

// Message box styles as the window system numbers them: buttons plus icon.
inline constexpr int kOkOnly = 0;
inline constexpr int kYesNo = 4;
inline constexpr int kQuestion = 32;
inline constexpr int kYesNoQuestion = kYesNo + kQuestion;  // 36

enum class Answer { Ok, Yes, No, Closed };

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // An empty title shows the application's own title.
  virtual Answer MessageBox(const std::string& prompt, int style, const std::string& title) = 0;
  // The typed text, or an empty text when the user cancels.
  virtual std::string InputBox(const std::string& prompt) = 0;
};

}  // namespace vantrel::platform
