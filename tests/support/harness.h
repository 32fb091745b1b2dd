// The whole program on in-memory windows and recording services, started in a temporary folder.
#pragma once

#include <memory>

#include "about/frm_about.h"
#include "app/application.h"
#include "fake_services.h"
#include "fake_window.h"
#include "form/form2.h"
#include "platform/os_services.h"
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
  form::Services services;
  app::Application app{services};
};

// The main window's handlers with the harness's services but another file system (one that
// waits through an OffThread, say).
class FormWithFiles {
 public:
  FormWithFiles(Harness& h, platform::FileSystem& files)
      : services_{h.services.windows,   files,
                  h.services.dialogs,   h.services.programs,
                  h.services.clipboard, h.services.registry,
                  h.services.program,   h.services.paths},
        form_(h.form2(), services_, about_) {}

  form::Form2& form() { return form_; }

 private:
  form::Services services_;
  std::unique_ptr<about::FrmAbout> about_;
  form::Form2 form_;
};

}  // namespace vantrel::testing
