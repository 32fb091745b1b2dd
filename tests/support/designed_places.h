// Where every control of the main window and of the About dialog sits, in pixels at 96 dpi
// (15 twips a pixel), relative to its container: the window's client area or its frame. The
// numbers are written out from the window designs, apart from the description tables the windows
// are built from, so the front ends' layout tests catch a wrong number there.
#pragma once

#include <set>
#include <span>
#include <string>
#include <utility>

namespace vantrel::testing {

struct DesignedPlace {
  const char* window;
  const char* control;
  const char* container;  // a frame, or "" for the window's client area
  int left, top, width, height;
};

// Every control of both windows but the About dialog's two rule lines (they have ends, not
// rectangles, and are checked by their pixels).
std::span<const DesignedPlace> DesignedPlaces();

// How the Windows program lays out the text of each control that shows one: on how many lines.
// Every such text fits its control, with nothing cut off. A label's text is set by the program
// as it runs; the table gives one it shows in use, and a null text means the control's caption
// from its window's description. The Win32 layout test reads these numbers back from the real
// controls, the Qt one from the widgets, so both front ends must agree with this table.
struct DesignedText {
  const char* window;
  const char* control;
  const char* text;  // nullptr: the described caption
  int lines;
};

std::span<const DesignedText> DesignedTexts();

// (window, control) of every described button, label and frame: the controls that show a text.
std::set<std::pair<std::string, std::string>> DescribedTextControls();

// The designed client areas: the main window's and the About dialog's.
constexpr int kForm2ClientWidth = 522, kForm2ClientHeight = 453;
constexpr int kAboutClientWidth = 382, kAboutClientHeight = 237;

// (window, control) of every control the descriptions hold, lines aside, so that a layout test
// can show that the table misses none.
std::set<std::pair<std::string, std::string>> DescribedControls();

}  // namespace vantrel::testing
