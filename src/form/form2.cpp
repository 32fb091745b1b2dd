#include "form/form2.h"

namespace vantrel::form {

Form2::Form2(platform::Window& window, Services& services, std::unique_ptr<about::FrmAbout>& about)
    : window(window),
      Drive1(window.FindDriveList("Drive1")),
      Drive2(window.FindDriveList("Drive2")),
      Dir1(window.FindFolderList("Dir1")),
      Dir2(window.FindFolderList("Dir2")),
      File1(window.FindFileList("File1")),
      File2(window.FindFileList("File2")),
      File3(window.FindFileList("File3")),
      Label1(window.FindLabel("Label1")),
      Label2(window.FindLabel("Label2")),
      Label4(window.FindLabel("Label4")),
      Label5(window.FindLabel("Label5")),
      Label6(window.FindLabel("Label6")),
      services(services),
      about(about) {}

}  // namespace vantrel::form
