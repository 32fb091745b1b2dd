// The whole program on the real Win32 front end, with the recording services and scripted
// dialogs of the core tests, started in a temporary folder. Helpers drive controls with the
// messages that the user's mouse and keys would send.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "app/application.h"
#include "fake_services.h"
#include "platform/os_services.h"
#include "platform/win32/form_window.h"
#include "platform/win32/window_system.h"
#include "win32_paths.h"

namespace vantrel::testing {

class Win32Program : public ::testing::Test {
 protected:
  // Starts the program with its lists open in the folder.
  void Start(const std::string& folder);
  // Handles every message waiting, through the keyboard interface as the real loop does.
  void Pump();
  // The services the handlers get; asked for once the window system exists.
  virtual platform::FileSystem& HandlerFiles() { return files; }
  virtual platform::Dialogs& HandlerDialogs() { return dialogs; }

  platform::win32::Win32WindowSystem& windows() { return *windows_; }
  platform::win32::Win32Window& Form2() { return *windows_->Find("Form2"); }
  platform::win32::Win32Window* About() { return windows_->Find("frmAbout"); }
  HWND Control(std::string_view name) { return Form2().ControlHandle(name); }
  std::string Caption(std::string_view label) { return Form2().FindLabel(label).Caption(); }
  // The names a file list shows, and where one of them is (-1 when it is not listed).
  const std::vector<std::string>& Names(std::string_view file_list);
  int NameIndex(std::string_view file_list, const std::string& name);

  TempFolder temp;
  // How the drive lists read the drives, at start and each time one drops down.
  platform::win32::Win32WindowSystem::DriveReader drive_reader =
      [](platform::OffThread& off_thread) { return platform::ListDrives(off_thread); };
  int quits = 0;  // how often the program asked its loop to end
  ScriptedDialogs dialogs;
  RecordingFileSystem files{platform::MakeNativeFileSystem()};
  RecordingProgramStarter programs;
  FakeClipboard clipboard;
  InMemoryRegistry registry;
  FakeProgramInfo program;

 private:
  std::unique_ptr<platform::win32::Win32WindowSystem> windows_;
  std::unique_ptr<form::Services> services_;
  std::unique_ptr<app::Application> application_;
};

std::string WindowText(HWND window);
// A control's rectangle in its parent's client area.
RECT RectInParent(HWND control);
int ListIndex(HWND list, const std::string& text);
std::string ListText(HWND list, int index);
int ListCount(HWND list);
// The point at the middle of a list entry, in the list's client area.
POINT ItemCentre(HWND list, int index);
LPARAM At(POINT point);
void Click(HWND window, POINT at);
void ClickItem(HWND list, int index);
void DoubleClickItem(HWND list, int index);
// A key press as the message loop would see it while the control has the focus.
void PressKey(platform::win32::Win32WindowSystem& windows, HWND focus, WPARAM key);
// The command identifier of a menu bar entry (by position) or of an entry of its drop-down.
WORD MenuCommand(HWND window, int menu, int item = -1);
// Runs the call, during which on_tick runs every 50 ms (a modal loop is running then) until it
// returns true; a watchdog ends any menu left open after a few seconds.
void WithTicks(const std::function<void()>& call, const std::function<bool()>& on_tick);

}  // namespace vantrel::testing
