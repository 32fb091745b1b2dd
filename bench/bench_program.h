// The whole program in the benchmark's own process: the real Qt window system (offscreen), the
// real services, and dialogs that refuse every question (browsing asks none). The main window
// is shown and settled before any timing starts.
#pragma once

#include <QListView>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/application.h"
#include "platform/qt/system_services.h"

namespace vantrel::bench {

class RefusingDialogs final : public platform::Dialogs {
 public:
  platform::Answer MessageBox(const std::string&, int, const std::string&) override;
  std::string InputBox(const std::string&) override;
  int asked = 0;
};

class BenchProgram {
 public:
  // Starts the program with its lists in start_folder.
  explicit BenchProgram(const std::string& start_folder);
  ~BenchProgram();

  platform::Window& form2() { return app_->MainWindow(); }
  QWidget* window() const { return window_; }
  QListView* List(const char* name) const;
  std::size_t Rows(const char* list) const;
  std::string Caption(const char* label) { return form2().FindLabel(label).Caption(); }

  // Lets the event loop run what is pending (layouts, paints), then paints the whole window, as
  // the user sees it once control returns to the event loop.
  void Settle();
  // Runs the event loop until the condition holds; exits the benchmark after 60 s.
  void WaitFor(const std::function<bool()>& condition, const char* what);

  int dialogs_asked() const { return dialogs_.asked; }

 private:
  RefusingDialogs dialogs_;
  std::unique_ptr<platform::qt::SystemServices> system_;
  std::unique_ptr<app::Application> app_;
  QWidget* window_ = nullptr;
};

}  // namespace vantrel::bench
