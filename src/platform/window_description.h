// A window described as data: its attributes, every control, and its menus. Both front ends build
// their windows from these tables. Positions and sizes are in twips (1/1440 inch).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace vantrel::platform {

using Twips = int;

enum class ControlKind { Frame, DriveList, FolderList, FileList, Label, Button, PictureBox, Line };

struct Font {
  std::string_view face{};
  double points = 8.25;
  bool bold = false;
};

struct Colour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Colour&, const Colour&) = default;
};

struct LineEnds {
  Twips x1 = 0;
  Twips y1 = 0;
  Twips x2 = 0;
  Twips y2 = 0;
};

struct Rect {
  Twips left = 0;
  Twips top = 0;
  Twips width = 0;
  Twips height = 0;
};

inline constexpr int kNoTab = -1;

struct ControlDescription {
  std::string_view name{};
  ControlKind kind = ControlKind::Label;
  std::string_view container{};  // a frame's name, or empty for the window itself
  Rect bounds{};                 // every kind but lines
  LineEnds line{};               // lines only
  int tab_index = kNoTab;
  std::string_view caption{};
  std::string_view tooltip{};
  std::string_view accessible_name{};  // what screen readers call it; the caption when empty
  std::optional<Font> font{};
  std::optional<Colour> text_colour{};  // lines: the line's colour
  std::string_view pattern{};           // file lists: ";"-separated wildcards
  bool lists_programs = false;  // file lists: where programs carry no extension (POSIX), also
                                // list the files with an execute permission bit
  int index = 0;                // place in a control array (lines)
  int line_width = 1;           // lines: pixels
  bool takes_focus = true;      // labels and lines never do
  bool sunken = false;          // picture boxes: a sunken border
};

struct MenuItemDescription {
  std::string_view name{};
  std::string_view caption{};
};

struct MenuDescription {
  std::string_view name{};
  std::string_view caption{};
  std::span<const MenuItemDescription> items{};  // empty: the title itself is the command
};

enum class Placement { SystemDefault, Manual };
enum class Border { Sizable, FixedDialog };

struct WindowDescription {
  std::string_view name{};
  std::string_view caption{};
  Rect client{};
  Font font{"MS Sans Serif", 8.25, false};  // for every control that sets none
  Placement placement = Placement::SystemDefault;
  Border border = Border::Sizable;
  bool minimize_button = true;
  bool maximize_button = false;
  bool icon = true;
  bool in_taskbar = true;
  std::string_view default_button{};  // pressed by Enter; empty for none
  std::string_view cancel_button{};   // pressed by Escape; empty for none
  std::span<const ControlDescription> controls{};
  std::span<const MenuDescription> menus{};
};

inline constexpr int kTwipsPerInch = 1440;

// Twips to device pixels at the given dots per inch, rounded to the nearest pixel.
constexpr int TwipsToPixels(Twips twips, double dpi) {
  const double pixels = twips * dpi / kTwipsPerInch;
  return static_cast<int>(pixels < 0 ? pixels - 0.5 : pixels + 0.5);
}

}  // namespace vantrel::platform
