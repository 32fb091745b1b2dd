#include "designed_places.h"

#include "about/frm_about.h"
#include "form/form2.h"

namespace vantrel::testing {
namespace {

constexpr DesignedPlace kPlaces[] = {
    // The main window: the three frames, and the source pane inside the first.
    {"Form2", "Frame1", "", 0, 8, 217, 433},
    {"Form2", "Frame2", "", 304, 8, 217, 297},
    {"Form2", "Frame3", "", 232, 304, 281, 145},
    {"Form2", "Drive1", "Frame1", 8, 16, 137, 21},
    {"Form2", "Dir1", "Frame1", 8, 40, 193, 141},
    {"Form2", "Label4", "Frame1", 8, 184, 193, 25},
    {"Form2", "File1", "Frame1", 8, 208, 193, 149},
    {"Form2", "Label1", "Frame1", 8, 368, 193, 33},
    {"Form2", "Label2", "Frame1", 8, 400, 193, 25},
    // The destination pane.
    {"Form2", "Drive2", "Frame2", 8, 16, 145, 21},
    {"Form2", "Dir2", "Frame2", 8, 40, 201, 141},
    {"Form2", "Label6", "Frame2", 8, 184, 193, 25},
    {"Form2", "File2", "Frame2", 8, 208, 201, 84},
    // The run pane: only its label is inside the frame.
    {"Form2", "File3", "", 240, 320, 161, 84},
    {"Form2", "Label5", "Frame3", 8, 112, 161, 25},
    {"Form2", "Command6", "", 424, 320, 81, 33},
    {"Form2", "Command5", "", 424, 408, 81, 33},
    // The column of buttons between the panes, top to bottom.
    {"Form2", "Command1", "", 224, 16, 81, 25},
    {"Form2", "Command3", "", 224, 51, 81, 25},
    {"Form2", "Command4", "", 224, 88, 81, 25},
    {"Form2", "Command7", "", 224, 125, 81, 25},
    {"Form2", "Command8", "", 224, 163, 81, 25},
    {"Form2", "Command2", "", 224, 200, 81, 25},
    // The About dialog (its rule of two lines is checked by its pixels in about_window_test).
    {"frmAbout", "picIcon", "", 16, 16, 52, 52},
    {"frmAbout", "lblTitle", "", 70, 16, 259, 32},
    {"frmAbout", "lblVersion", "", 70, 52, 259, 15},
    {"frmAbout", "lblDescription", "", 72, 75, 259, 78},
    {"frmAbout", "cmdOK", "", 283, 175, 84, 23},
    {"frmAbout", "lblDisclaimer", "", 17, 176, 258, 55},
    {"frmAbout", "cmdSysInfo", "", 284, 205, 83, 23},
};

constexpr DesignedText kTexts[] = {
    {"Form2", "Frame1", nullptr, 1},
    {"Form2", "Frame2", nullptr, 1},
    {"Form2", "Frame3", nullptr, 1},
    {"Form2", "Label4", "Folder Name: /tmp/demo/Projects", 1},
    {"Form2", "Label1", "Filename:report.docx", 1},
    {"Form2", "Label2", "Filesize: 24576 Bytes", 1},
    {"Form2", "Label6", "Folder Name: /tmp/demo/Backup", 1},
    {"Form2", "Label5", "Run: Vantrel.exe", 1},
    {"Form2", "Command1", nullptr, 1},
    {"Form2", "Command3", nullptr, 1},
    {"Form2", "Command4", nullptr, 1},  // "Clear Clipboard"
    {"Form2", "Command7", nullptr, 1},
    {"Form2", "Command8", nullptr, 1},
    {"Form2", "Command2", nullptr, 1},
    {"Form2", "Command6", nullptr, 2},  // "Run Winprogram...", in its taller button
    {"Form2", "Command5", nullptr, 1},
    {"frmAbout", "lblTitle", "Vantrel", 1},
    {"frmAbout", "lblVersion", "Version 1.0.0", 1},
    {"frmAbout", "lblDescription", nullptr, 2},
    {"frmAbout", "cmdOK", nullptr, 1},
    {"frmAbout", "lblDisclaimer", nullptr, 3},  // two lines of terms, then the contact
    {"frmAbout", "cmdSysInfo", nullptr, 1},
};

}  // namespace

std::span<const DesignedPlace> DesignedPlaces() {
  return kPlaces;
}

std::span<const DesignedText> DesignedTexts() {
  return kTexts;
}

namespace {

template <typename Predicate>
std::set<std::pair<std::string, std::string>> ControlsWhere(Predicate wanted) {
  std::set<std::pair<std::string, std::string>> names;
  for (const platform::WindowDescription* description :
       {&form::Form2Description(), &about::FrmAboutDescription()}) {
    for (const auto& control : description->controls) {
      if (wanted(control.kind))
        names.emplace(std::string(description->name), std::string(control.name));
    }
  }
  return names;
}

}  // namespace

std::set<std::pair<std::string, std::string>> DescribedControls() {
  return ControlsWhere(
      [](platform::ControlKind kind) { return kind != platform::ControlKind::Line; });
}

std::set<std::pair<std::string, std::string>> DescribedTextControls() {
  using platform::ControlKind;
  return ControlsWhere([](ControlKind kind) {
    return kind == ControlKind::Button || kind == ControlKind::Label || kind == ControlKind::Frame;
  });
}

}  // namespace vantrel::testing
