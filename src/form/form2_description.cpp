// The main window's design: every control with its place, size, tab order and looks, and the
// menu bar. Both front ends build the window from this table.
#include <array>
#include <utility>

#include "form/form2.h"

namespace vantrel::form {
namespace {

using platform::Colour;
using platform::ControlDescription;
using platform::ControlKind;
using platform::Font;
using platform::MenuDescription;
using platform::MenuItemDescription;
using platform::WindowDescription;

constexpr Colour kRed{255, 0, 0};
constexpr Colour kDarkBlue{0, 0, 192};
constexpr Font kFileNameFont{"News Gothic MT", 9, true};
constexpr Font kRunLabelFont{"MS Sans Serif", 8.25, true};

ControlDescription Frame(std::string_view name, std::string_view caption, platform::Rect r,
                         int tab) {
  return {
      .name = name, .kind = ControlKind::Frame, .bounds = r, .tab_index = tab, .caption = caption};
}

ControlDescription List(std::string_view name, ControlKind kind, std::string_view container,
                        platform::Rect r, int tab, std::string_view pattern = {}) {
  return {.name = name,
          .kind = kind,
          .container = container,
          .bounds = r,
          .tab_index = tab,
          .pattern = pattern};
}

ControlDescription Label(std::string_view name, std::string_view container, platform::Rect r,
                         int tab, std::string_view caption) {
  return {.name = name,
          .kind = ControlKind::Label,
          .container = container,
          .bounds = r,
          .tab_index = tab,
          .caption = caption,
          .takes_focus = false};
}

ControlDescription Button(std::string_view name, std::string_view caption, platform::Rect r,
                          int tab, std::string_view tooltip) {
  return {.name = name,
          .kind = ControlKind::Button,
          .bounds = r,
          .tab_index = tab,
          .caption = caption,
          .tooltip = tooltip};
}

// Names that tell a screen reader what a list or label is; buttons and frames use their captions.
constexpr std::string_view AccessibleName(std::string_view control) {
  constexpr std::pair<std::string_view, std::string_view> kNames[] = {
      {"Drive1", "Source drive"},      {"Dir1", "Source folders"},
      {"File1", "Source files"},       {"Label4", "Source folder name"},
      {"Label1", "File name"},         {"Label2", "File size"},
      {"Drive2", "Destination drive"}, {"Dir2", "Destination folders"},
      {"File2", "Destination files"},  {"Label6", "Destination folder name"},
      {"File3", "Programs"},           {"Label5", "Program to run"},
  };
  for (const auto& [name, text] : kNames) {
    if (name == control) return text;
  }
  return {};
}

const std::array kControls = [] {
  std::array controls{
      Frame("Frame1", "Source", {0, 120, 3255, 6495}, 0),
      Frame("Frame2", "Destination", {4560, 120, 3255, 4455}, 4),
      Frame("Frame3", "Run File", {3480, 4560, 4215, 2175}, 14),
      List("Drive1", ControlKind::DriveList, "Frame1", {120, 240, 2055, 315}, 1),
      List("Dir1", ControlKind::FolderList, "Frame1", {120, 600, 2895, 2115}, 3),
      Label("Label4", "Frame1", {120, 2760, 2895, 375}, 11, " "),
      List("File1", ControlKind::FileList, "Frame1", {120, 3120, 2895, 2235}, 2, "*"),
      Label("Label1", "Frame1", {120, 5520, 2895, 495}, 8, " "),
      Label("Label2", "Frame1", {120, 6000, 2895, 375}, 9, " "),
      List("Drive2", ControlKind::DriveList, "Frame2", {120, 240, 2175, 315}, 6),
      List("Dir2", ControlKind::FolderList, "Frame2", {120, 600, 3015, 2115}, 5),
      Label("Label6", "Frame2", {120, 2760, 2895, 375}, 22, ""),
      List("File2", ControlKind::FileList, "Frame2", {120, 3120, 3015, 1260}, 7, "*"),
      List("File3", ControlKind::FileList, "", {3600, 4800, 2415, 1260}, 17, "*.exe*"),
      Label("Label5", "Frame3", {120, 1680, 2415, 375}, 18, " "),
      Button("Command1", "&New Folder..", {3360, 240, 1215, 375}, 10,
             "Make new folder in the selected folder"),
      Button("Command3", "Delete..", {3360, 765, 1215, 375}, 12, "Delete the file"),
      Button("Command4", "Clear Clipboard", {3360, 1320, 1215, 375}, 13,
             "Clear the contens of Clipboard "),
      Button("Command7", "&Move File..", {3360, 1875, 1215, 375}, 19,
             "Move file from source folder to destination folder"),
      Button("Command8", "&Copy +Paste", {3360, 2445, 1215, 375}, 20,
             "Copy file from source folder to destination folder"),
      Button("Command2", "&Exit", {3360, 3000, 1215, 375}, 21, "End"),
      Button("Command6", "Run Winprogram...", {6360, 4800, 1215, 495}, 16,
             "Run special windows program"),
      Button("Command5", "Run", {6360, 6120, 1215, 495}, 15, "Run the selected program"),
  };
  for (auto& c : controls) {
    c.accessible_name = AccessibleName(c.name);
    if (c.name == "Label1") {
      c.text_colour = kRed;
      c.font = kFileNameFont;
    } else if (c.name == "File3") {
      c.lists_programs = true;
    } else if (c.name == "Label5") {
      c.text_colour = kDarkBlue;
      c.font = kRunLabelFont;
    }
  }
  return controls;
}();

constexpr std::array<MenuItemDescription, 1> kFileItems{{{"ext", "&Exit"}}};
constexpr std::array<MenuItemDescription, 4> kRunItems{{
    {"cal", "&Calculator"},
    {"pain", "&Paintbrush"},
    {"cd", "&CD Player"},
    {"note", "&Notepad"},
}};

const std::array<MenuDescription, 3> kMenus{{
    {"fl", "File", kFileItems},
    {"rn", "Run", kRunItems},
    {"ab", "About", {}},
}};

const WindowDescription kForm2{
    .name = "Form2",
    .caption = "Vantrel 1.0",
    .client = {165, 735, 7830, 6795},
    .placement = platform::Placement::SystemDefault,
    .border = platform::Border::Sizable,
    .minimize_button = true,
    .maximize_button = false,
    .controls = kControls,
    .menus = kMenus,
};

}  // namespace

const platform::WindowDescription& Form2Description() {
  return kForm2;
}

}  // namespace vantrel::form
