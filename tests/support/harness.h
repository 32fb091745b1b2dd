// The whole program on in-memory windows and recording services, started in a temporary folder.
#pragma once

#include "app/application.h"
#include "fake_services.h"
#include "fake_window.h"
#include "platform/native.h"
#include "temp_folder.h"

namespace vantrel::testing {

class Harness {
 public:
  explicit Harness(platform::PathStyle style = platform::kNativePaths);

  // Makes and shows the main window with every list at the given folder.
  void Start(const std::string& folder);

  FakeWindow& form2() { return *windows.Find("Form2"); }
  FakeWindow* about() { return windows.Find("frmAbout"); }
  FakeFileList& File1() { return form2().Files("File1"); }
  FakeFileList& File2() { return form2().Files("File2"); }
  FakeFileList& File3() { return form2().Files("File3"); }
  FakeFolderList& Dir1() { return form2().Folder("Dir1"); }
  FakeFolderList& Dir2() { return form2().Folder("Dir2"); }
  std::string Caption(std::string_view label) { return form2().Text(label).Caption(); }

  TempFolder temp;
  FakeWindowSystem windows;
  ScriptedDialogs dialogs;
  RecordingFileSystem files{platform::MakeNativeFileSystem()};
  RecordingProgramStarter programs;
  FakeClipboard clipboard;
  InMemoryRegistry registry;
  FakeProgramInfo program;
  app::Services services;
  app::Application app{services};
};

}  // namespace vantrel::testing
