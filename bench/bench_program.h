// The whole program in the benchmark's own process: the real Qt window system (offscreen), the
// real services, and dialogs that give one fixed answer to every question (browsing asks none;
// the copy benchmark answers Yes). The main window is shown and settled before any timing starts.
#pragma once

#include <QListView>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/application.h"
#include "platform/qt/system_services.h"

namespace vantrel::bench {

class BenchDialogs final : public platform::Dialogs {
 public:
  explicit BenchDialogs(platform::Answer answer) : answer_(answer) {}
  platform::Answer MessageBox(const std::string&, int, const std::string& title) override;
  std::string InputBox(const std::string&) override;
  int asked = 0;
  std::string last_title;

 private:
  platform::Answer answer_;
};

// Presses and releases the left button on a row of a list's viewport, as the user would.
void ClickRow(QListView* list, int row);

class BenchProgram {
 public:
  // Starts the program with its lists in start_folder; every message box gets `answer`.
  explicit BenchProgram(const std::string& start_folder,
                        platform::Answer answer = platform::Answer::No);
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
  const std::string& last_dialog_title() const { return dialogs_.last_title; }

 private:
  BenchDialogs dialogs_;
  std::unique_ptr<platform::qt::SystemServices> system_;
  std::unique_ptr<app::Application> app_;
  QWidget* window_ = nullptr;
};

}  // namespace vantrel::bench
