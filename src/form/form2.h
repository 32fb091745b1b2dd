// The main window as its handlers see it: its controls by name, the services, and the slot that
// holds the one About dialog of the run.
#pragma once

#include <memory>

#include "form/services.h"
#include "platform/controls.h"
#include "platform/window_description.h"

namespace vantrel::about {
class FrmAbout;
}

namespace vantrel::form {

struct Form2 {
  Form2(platform::Window& window, Services& services, std::unique_ptr<about::FrmAbout>& about);

  platform::Window& window;
  platform::DriveList& Drive1;
  platform::DriveList& Drive2;
  platform::FolderList& Dir1;
  platform::FolderList& Dir2;
  platform::FileList& File1;
  platform::FileList& File2;
  platform::FileList& File3;
  platform::Label& Label1;
  platform::Label& Label2;
  platform::Label& Label4;
  platform::Label& Label5;
  platform::Label& Label6;
  Services& services;
  std::unique_ptr<about::FrmAbout>& about;
};

const platform::WindowDescription& Form2Description();

}  // namespace vantrel::form
