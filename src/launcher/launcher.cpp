#include "launcher/launcher.h"

#include <string>

namespace vantrel::launcher {
namespace {

using platform::Accessory;
using platform::WindowStyle;

void RunSelected(app::Form2& f) {
  // Plain join: at a root the separator is doubled, which the file system accepts.
  f.services.programs.Start(
      platform::PlainJoin(f.File3.Path(), f.File3.FileName(), f.services.paths),
      WindowStyle::Normal);
}

// The accessories' classic paths no longer hold them on current systems, so when nothing is
// there the system's own program of that kind is started instead. Nothing found: nothing
// happens, as with any program that cannot be started.
void StartAccessory(app::Form2& f, const std::string& fixed_path, Accessory kind,
                    WindowStyle style) {
  auto& programs = f.services.programs;
  if (!f.services.files.FileExists(fixed_path).empty()) {
    programs.Start(fixed_path, style);
    return;
  }
  const std::string fallback = programs.FindAccessory(kind);
  if (!fallback.empty()) programs.Start(fallback, style);
}

}  // namespace

void File3_Click(app::Form2& f) {
  f.Label5.SetCaption("Run: " + f.File3.FileName());
}

void Command5_Click(app::Form2& f) {
  RunSelected(f);
}

void File3_DblClick(app::Form2& f) {
  RunSelected(f);
}

void Command6_MouseDown(app::Form2& f, const platform::EventArgs& args) {
  if (args.button == platform::kLeftButton || args.button == platform::kRightButton) {
    f.window.PopupMenu("rn");
  }
}

void cal_Click(app::Form2& f) {
  StartAccessory(f, "c:\\windows\\calc.exe", Accessory::Calculator, WindowStyle::Minimized);
}

void pain_Click(app::Form2& f) {
  StartAccessory(f, "C:\\Program Files\\Accessories\\MSPAINT.EXE", Accessory::Paint,
                 WindowStyle::Normal);
}

void cd_Click(app::Form2& f) {
  StartAccessory(f, "C:\\WINDOWS\\cdplayer.exe", Accessory::CdPlayer, WindowStyle::Normal);
}

void note_Click(app::Form2& f) {
  StartAccessory(f, "C:\\WINDOWS\\NOTEPAD.EXE", Accessory::Notepad, WindowStyle::Normal);
}

void Command4_Click(app::Form2& f) {
  f.services.clipboard.Clear();
}

}  // namespace vantrel::launcher
