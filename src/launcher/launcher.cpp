#include "launcher/launcher.h"

#include <string>
#include <string_view>

#include "lists/visible_text.h"

namespace vantrel::launcher {
namespace {

using platform::Accessory;
using platform::WindowStyle;

void RunSelected(form::Form2& f) {
  // Plain join: at a root the separator is doubled, which the file system accepts.
  f.services.programs.Start(
      platform::PlainJoin(f.File3.Path(), f.File3.FileName(), f.services.paths),
      WindowStyle::Normal);
}

// A path with a drive letter or a backslash names nothing where '/' separates: asked about as it
// is, it would be a file name relative to the working folder.
bool NamesNothingHere(std::string_view path, platform::PathStyle style) {
  if (style.separator == '\\') return false;
  const bool drive = path.size() >= 2 && path[1] == ':' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return drive || path.find('\\') != std::string_view::npos;
}

// The accessories' classic paths no longer hold them on current systems, so when nothing is
// there the system's own program of that kind is started instead. Nothing found: nothing
// happens, as with any program that cannot be started.
void StartAccessory(form::Form2& f, const std::string& fixed_path, Accessory kind,
                    WindowStyle style) {
  auto& programs = f.services.programs;
  if (!NamesNothingHere(fixed_path, f.services.paths) &&
      !f.services.files.FileExists(fixed_path).empty()) {
    programs.Start(fixed_path, style);
    return;
  }
  const std::string fallback = programs.FindAccessory(kind);
  if (!fallback.empty()) programs.Start(fallback, style);
}

}  // namespace

void File3_Click(form::Form2& f) {
  f.Label5.SetCaption("Run: " + lists::VisibleText(f.File3.FileName()));
}

void Command5_Click(form::Form2& f) {
  RunSelected(f);
}

void File3_DblClick(form::Form2& f) {
  RunSelected(f);
}

void Command6_MouseDown(form::Form2& f, const platform::EventArgs& args) {
  if (args.button == platform::kLeftButton || args.button == platform::kRightButton) {
    f.window.PopupMenu("rn");
  }
}

void cal_Click(form::Form2& f) {
  StartAccessory(f, "c:\\windows\\calc.exe", Accessory::Calculator, WindowStyle::Minimized);
}

void pain_Click(form::Form2& f) {
  StartAccessory(f, "C:\\Program Files\\Accessories\\MSPAINT.EXE", Accessory::Paint,
                 WindowStyle::Normal);
}

void cd_Click(form::Form2& f) {
  StartAccessory(f, "C:\\WINDOWS\\cdplayer.exe", Accessory::CdPlayer, WindowStyle::Normal);
}

void note_Click(form::Form2& f) {
  StartAccessory(f, "C:\\WINDOWS\\NOTEPAD.EXE", Accessory::Notepad, WindowStyle::Normal);
}

void Command4_Click(form::Form2& f) {
  f.services.clipboard.Clear();
}

}  // namespace vantrel::launcher
