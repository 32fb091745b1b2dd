#include "fileops/file_operations.h"

#include <string>

#include "lists/visible_text.h"

namespace vantrel::fileops {
namespace {

using platform::Answer;
using platform::kYesNoQuestion;

constexpr const char* kSureTitle = "Sure!";
constexpr const char* kDeleteTitle = "File Delete!";

// The question shows the names in it with their control characters as visible marks, so a
// newline in a name cannot break the question into lines that read as something else.
bool AskYes(form::Form2& f, const std::string& prompt, const std::string& title) {
  return f.services.dialogs.MessageBox(lists::VisibleText(prompt), kYesNoQuestion, title) ==
         Answer::Yes;
}

}  // namespace

std::string SourceFilePath(const form::Form2& f) {
  return TrimmingJoin(f.File1.Path(), f.File1.FileName(), f.services.paths);
}

std::string DestinationFilePath(const form::Form2& f) {
  return TrimmingJoin(f.Dir2.Path(), f.File1.FileName(), f.services.paths);
}

void Command8_Click(form::Form2& f) {
  const std::string source = SourceFilePath(f);
  const std::string destination = DestinationFilePath(f);
  if (AskYes(f, "Are you sure copying from " + source + " to " + destination, kSureTitle)) {
    f.services.files.CopyFile(source, destination);
  }
  f.File2.Refresh();
}

void Command7_Click(form::Form2& f) {
  const std::string source = SourceFilePath(f);
  const std::string destination = DestinationFilePath(f);
  platform::FileVersion version;
  bool copied = false;
  if (AskYes(f, "Are you sure moving from " + source + " to " + destination, kSureTitle)) {
    copied = !f.services.files.CopyFile(source, destination, &version);
  }
  f.File2.Refresh();
  // A move is a copy and then a delete: the source goes only once its copy is complete, and only
  // if it is still the file that was copied (another program may have saved over it meanwhile).
  if (copied) f.services.files.DeleteCopiedFile(source, version);
  f.File1.Refresh();
}

void Command3_Click(form::Form2& f) {
  const std::string name = f.File1.FileName();
  const std::string path = SourceFilePath(f);
  if (!AskYes(f, "Are you sure to delete " + name, kDeleteTitle)) return;
  f.services.files.DeleteFile(path);
  f.File1.Refresh();
  f.File2.Refresh();
}

void Command1_Click(form::Form2& f) {
  const std::string typed = f.services.dialogs.InputBox("enter the new folder name");
  // A name that would make the folder elsewhere makes nothing, like a name the system refuses.
  if (!typed.empty()) {
    if (const auto path = NewFolderPath(f.Dir1.Path(), typed, f.services.paths)) {
      f.services.files.MakeFolder(*path);
    }
  }
  f.Dir1.Refresh();
  f.Dir2.Refresh();
}

void File1_MouseMove(form::Form2& f, const platform::EventArgs& args) {
  if (args.button != platform::kLeftButton) return;
  const std::string icon_path =
      platform::PlainJoin(f.services.program.Folder(), "grab.ico", f.services.paths);
  // An icon that cannot be loaded leaves the list's current drag icon in place.
  if (auto icon = f.services.windows.LoadPicture(icon_path)) f.File1.SetDragIcon(std::move(icon));
  f.File1.Drag(platform::DragAction::Begin);
}

void Dir2_DragDrop(form::Form2& f, const platform::EventArgs&) {
  const std::string name = f.File1.FileName();
  const std::string source = SourceFilePath(f);
  const std::string destination = DestinationFilePath(f);
  if (AskYes(f, "Are you sure copying " + name + "from " + source + " to " + destination,
             kSureTitle)) {
    f.services.files.CopyFile(source, destination);
    f.File1.Drag(platform::DragAction::End);
  }
  f.File2.Refresh();
}

}  // namespace vantrel::fileops
