#include "app/browsing.h"

#include <string>

#include "lists/visible_text.h"

namespace vantrel::app {

void Drive1_Change(Form2& f) {
  f.Dir1.SetPath(f.Drive1.Drive());
}

void Drive2_Change(Form2& f) {
  f.Dir2.SetPath(f.Drive2.Drive());
}

void Dir1_Change(Form2& f) {
  f.File1.SetPath(f.Dir1.Path());
  f.File3.SetPath(f.Dir1.Path());
  f.Label4.SetCaption("Folder Name: " + lists::VisibleText(f.Dir1.Path()));
}

void Dir2_Change(Form2& f) {
  f.File2.SetPath(f.Dir2.Path());
  f.Label6.SetCaption("Folder Name: " + lists::VisibleText(f.Dir2.Path()));
}

void File1_Click(Form2& f) {
  f.Label1.SetCaption("Filename:" + lists::VisibleText(f.File1.FileName()));
  // The size is looked up on the untrimmed join, so at a root the separator is doubled. An
  // unreadable size leaves the number out; sizes are 64-bit, so large files show their real size.
  const std::string path =
      platform::PlainJoin(f.File1.Path(), f.File1.FileName(), f.services.paths);
  const auto size = f.services.files.FileLength(path);
  f.Label2.SetCaption("Filesize: " + (size ? std::to_string(*size) : std::string()) + " Bytes");
}

void Command2_Click(Form2& f) {
  f.services.windows.EndProgram();
}

void ext_Click(Form2& f) {
  f.services.windows.EndProgram();
}

}  // namespace vantrel::app
