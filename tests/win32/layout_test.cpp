// Where every control of the main window and of the About dialog sits, in pixels at 96 dpi
// (15 twips a pixel). The numbers are written out here from the window designs, so a wrong
// number in a window's description shows as a control out of place. Each control is a child of
// its window itself: one inside a frame sits at the frame's place plus its own.
#include <map>
#include <set>
#include <string>

#include "about/frm_about.h"
#include "app/form2.h"
#include "window_fixture.h"

namespace vantrel::testing {
namespace {

struct Place {
  const char* window;
  const char* control;
  const char* container;  // a frame, or "" for the window's client area
  RECT pixels;            // left, top, width, height in the container
};

const Place kPlaces[] = {
    // The main window: the three frames, and the source pane inside the first.
    {"Form2", "Frame1", "", {0, 8, 217, 433}},
    {"Form2", "Frame2", "", {304, 8, 217, 297}},
    {"Form2", "Frame3", "", {232, 304, 281, 145}},
    {"Form2", "Drive1", "Frame1", {8, 16, 137, 21}},
    {"Form2", "Dir1", "Frame1", {8, 40, 193, 141}},
    {"Form2", "Label4", "Frame1", {8, 184, 193, 25}},
    {"Form2", "File1", "Frame1", {8, 208, 193, 149}},
    {"Form2", "Label1", "Frame1", {8, 368, 193, 33}},
    {"Form2", "Label2", "Frame1", {8, 400, 193, 25}},
    // The destination pane.
    {"Form2", "Drive2", "Frame2", {8, 16, 145, 21}},
    {"Form2", "Dir2", "Frame2", {8, 40, 201, 141}},
    {"Form2", "Label6", "Frame2", {8, 184, 193, 25}},
    {"Form2", "File2", "Frame2", {8, 208, 201, 84}},
    // The run pane: only its label is inside the frame.
    {"Form2", "File3", "", {240, 320, 161, 84}},
    {"Form2", "Label5", "Frame3", {8, 112, 161, 25}},
    {"Form2", "Command6", "", {424, 320, 81, 33}},
    {"Form2", "Command5", "", {424, 408, 81, 33}},
    // The column of buttons between the panes, top to bottom.
    {"Form2", "Command1", "", {224, 16, 81, 25}},
    {"Form2", "Command3", "", {224, 51, 81, 25}},
    {"Form2", "Command4", "", {224, 88, 81, 25}},
    {"Form2", "Command7", "", {224, 125, 81, 25}},
    {"Form2", "Command8", "", {224, 163, 81, 25}},
    {"Form2", "Command2", "", {224, 200, 81, 25}},
    // The About dialog (its rule of two lines is painted by the dialog, not a control).
    {"frmAbout", "picIcon", "", {16, 16, 52, 52}},
    {"frmAbout", "lblTitle", "", {70, 16, 259, 32}},
    {"frmAbout", "lblVersion", "", {70, 52, 259, 15}},
    {"frmAbout", "lblDescription", "", {72, 75, 259, 78}},
    {"frmAbout", "cmdOK", "", {283, 175, 84, 23}},
    {"frmAbout", "lblDisclaimer", "", {17, 176, 258, 55}},
    {"frmAbout", "cmdSysInfo", "", {284, 205, 83, 23}},
};

// The controls each description holds, lines aside, so that the table above misses none.
std::set<std::pair<std::string, std::string>> DescribedControls() {
  std::set<std::pair<std::string, std::string>> names;
  for (const platform::WindowDescription* description :
       {&app::Form2Description(), &about::FrmAboutDescription()}) {
    for (const auto& control : description->controls) {
      if (control.kind == platform::ControlKind::Line) continue;
      names.emplace(std::string(description->name), std::string(control.name));
    }
  }
  return names;
}

class Layout : public Win32Program {
 protected:
  void SetUp() override {
    Start(temp.str());
    ::SendMessageW(Form2().hwnd(), WM_COMMAND, MenuCommand(Form2().hwnd(), 2), 0);
    Pump();
    ASSERT_NE(About(), nullptr);
  }
  platform::win32::Win32Window& Window(const std::string& name) {
    return name == "Form2" ? Form2() : *About();
  }
};

TEST_F(Layout, EveryControlOfBothWindowsSitsAtItsPixelRectangle) {
  const std::map<std::string, SIZE> clients{{"Form2", {522, 453}}, {"frmAbout", {382, 237}}};
  std::map<std::string, POINT> frames;  // where each frame sits in its window
  std::set<std::pair<std::string, std::string>> placed;
  for (const Place& place : kPlaces) {
    const std::string what = std::string(place.window) + "." + place.control;
    platform::win32::Win32Window& window = Window(place.window);
    RECT client{};
    ::GetClientRect(window.hwnd(), &client);
    EXPECT_EQ(client.right, clients.at(place.window).cx) << what;
    EXPECT_EQ(client.bottom, clients.at(place.window).cy) << what;

    const HWND control = window.ControlHandle(place.control);
    ASSERT_NE(control, nullptr) << what;
    EXPECT_EQ(::GetParent(control), window.hwnd()) << what;
    POINT origin{0, 0};
    if (*place.container) origin = frames.at(place.container);
    const RECT got = RectInParent(control);
    EXPECT_EQ(got.left, origin.x + place.pixels.left) << what;
    EXPECT_EQ(got.top, origin.y + place.pixels.top) << what;
    EXPECT_EQ(got.right - got.left, place.pixels.right) << what << " width";
    EXPECT_EQ(got.bottom - got.top, place.pixels.bottom) << what << " height";
    if (std::string(place.control).starts_with("Frame")) {
      frames[place.control] = {place.pixels.left, place.pixels.top};
    }
    placed.emplace(place.window, place.control);
  }
  EXPECT_EQ(placed, DescribedControls());
}

}  // namespace
}  // namespace vantrel::testing
