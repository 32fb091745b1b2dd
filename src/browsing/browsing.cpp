#include "browsing/browsing.h"

#include <memory>
#include <string>

#include "about/frm_about.h"
#include "lists/visible_text.h"

namespace vantrel::browsing {

void Drive1_Change(form::Form2& f) {
  f.Dir1.SetPath(f.Drive1.Drive());
}

void Drive2_Change(form::Form2& f) {
  f.Dir2.SetPath(f.Drive2.Drive());
}

void Dir1_Change(form::Form2& f) {
  f.File1.SetPath(f.Dir1.Path());
  f.File3.SetPath(f.Dir1.Path());
  f.Label4.SetCaption("Folder Name: " + lists::VisibleText(f.Dir1.Path()));
}

void Dir2_Change(form::Form2& f) {
  f.File2.SetPath(f.Dir2.Path());
  f.Label6.SetCaption("Folder Name: " + lists::VisibleText(f.Dir2.Path()));
}

void File1_Click(form::Form2& f) {
  f.Label1.SetCaption("Filename:" + lists::VisibleText(f.File1.FileName()));
  // The size is looked up on the untrimmed join, so at a root the separator is doubled. An
  // unreadable size leaves the number out; sizes are 64-bit, so large files show their real size.
  const std::string path =
      platform::PlainJoin(f.File1.Path(), f.File1.FileName(), f.services.paths);
  const auto size = f.services.files.FileLength(path);
  f.Label2.SetCaption("Filesize: " + (size ? std::to_string(*size) : std::string()) + " Bytes");
}

void ab_Click(form::Form2& f) {
  // One dialog object for the whole run: made by the first "About", reused afterwards.
  if (!f.about) f.about = std::make_unique<about::FrmAbout>(f.services);
  f.about->Show();
}

void Command2_Click(form::Form2& f) {
  f.services.windows.EndProgram();
}

void ext_Click(form::Form2& f) {
  f.services.windows.EndProgram();
}

}  // namespace vantrel::browsing
