// What the front-end tests share: a recording event sink, the real window system on temporary
// folders with its drags and its end recorded, the whole program on it, and widget helpers.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QListView>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/application.h"
#include "fake_services.h"
#include "platform/events.h"
#include "platform/qt/window_system.h"
#include "temp_folder.h"

namespace vantrel::testing {

// Records every event; handles all of them unless told which.
class RecordingSink : public platform::EventSink {
 public:
  struct Raised {
    std::string control;
    platform::Event event;
    platform::EventArgs args;
    std::string source;
  };

  bool Handles(std::string_view control, platform::Event event) const override;
  void Raise(std::string_view control, platform::Event event,
             const platform::EventArgs& args) override;

  int Count(std::string_view control, platform::Event event) const;
  const Raised* Last(std::string_view control, platform::Event event) const;

  std::optional<std::set<std::pair<std::string, platform::Event>>> handled;
  std::vector<Raised> raised;
};

// A drag the front end started: what it showed and carried.
struct StartedDrag {
  QImage pixmap;
  std::optional<std::string> source;
};

// The real window system on a temporary working folder; drags and the end of the program are
// recorded instead of run.
class FrontEndTest : public ::testing::Test {
 protected:
  // The exit code of a test process that a window closed during a wait has ended.
  static constexpr int kEndedCode = 43;

  FrontEndTest();

  // Options for a window system whose lists start in the working folder, on one drive: the
  // temporary folder itself.
  platform::qt::QtWindowSystem::Options Options();

  testing::TempFolder temp;
  std::string working;  // where the lists start
  std::vector<platform::DriveInfo> drives;
  // What reading the drives again finds when a drive list opens; while null, nothing is read.
  std::function<std::vector<platform::DriveInfo>()> drives_now;
  std::vector<StartedDrag> drags;
  // What a started drag does besides being recorded (for example, drop somewhere).
  std::function<void(QDrag&)> during_drag;
  int quit_count = 0;
};

// The main window alone, made by the real window system from its description and shown, with
// its events recorded.
class MainWindowTest : public FrontEndTest {
 protected:
  void SetUp() override;

  QWidget* Widget(const char* name);

  RecordingSink sink_;
  std::unique_ptr<platform::qt::QtWindowSystem> windows_;
  std::unique_ptr<platform::Window> window_;
  QWidget* top_ = nullptr;
};

// The whole program on the real window system, with scripted dialogs and recording services.
class ProgramTest : public FrontEndTest {
 protected:
  ~ProgramTest() override;
  void Start();
  // The file system the handlers are given; by default the recording one itself.
  virtual platform::FileSystem& HandlerFiles() { return files; }
  // The dialogs the handlers are given; by default the scripted ones.
  virtual platform::Dialogs& HandlerDialogs() { return dialogs; }

  platform::Window& form2() { return app->MainWindow(); }
  // Chooses "About" on the main window's menu bar; the dialog, shown and with the keyboard.
  QWidget* OpenAbout();
  std::string Caption(std::string_view label) { return form2().FindLabel(label).Caption(); }

  testing::ScriptedDialogs dialogs;
  testing::RecordingFileSystem files{platform::MakeNativeFileSystem()};
  testing::RecordingProgramStarter programs;
  testing::FakeClipboard clipboard;
  testing::InMemoryRegistry registry;
  testing::FakeProgramInfo program;
  std::unique_ptr<platform::qt::QtWindowSystem> windows;
  std::unique_ptr<form::Services> services;
  std::unique_ptr<app::Application> app;
};

// Waits until the window has the keyboard. Qt's own wait returns at once where the window system
// activates windows by itself (Wayland), before the keyboard focus has come.
bool WaitActive(QWidget* window);

// The visible top-level widget of that window name, or null.
QWidget* TopLevel(const char* name);

template <class Widget>
Widget* Child(QWidget* top, const char* name) {
  return top == nullptr ? nullptr : top->findChild<Widget*>(QString::fromLatin1(name));
}

// The row showing this text, or -1.
int RowOf(QListView* view, const QString& text);
QPoint RowCenter(QListView* view, int row);
// A left click on a row, and a double click as a user makes it (press, release, double click,
// release), both on the viewport.
void ClickRow(QListView* view, int row);
void DoubleClickRow(QListView* view, int row);
// A mouse move over a widget with these buttons held.
void MoveWithButtons(QWidget* target, QPoint at, Qt::MouseButtons buttons);
// Names of the widgets that have the focus while Tab is pressed, starting at the focused one.
std::vector<std::string> TabRound(int presses);

}  // namespace vantrel::testing
