// Every control of the main window and of the About dialog at its designed place on the real
// Win32 windows, from the table of designed places in pixels (tests/support/designed_places.cpp).
// Each control is a child of its window itself: one inside a frame sits at the frame's place plus
// its own.
#include <map>
#include <set>
#include <string>

#include "designed_places.h"
#include "window_fixture.h"

namespace vantrel::testing {
namespace {

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
  const std::map<std::string, SIZE> clients{{"Form2", {kForm2ClientWidth, kForm2ClientHeight}},
                                            {"frmAbout", {kAboutClientWidth, kAboutClientHeight}}};
  std::map<std::string, POINT> frames;  // where each frame sits in its window
  std::set<std::pair<std::string, std::string>> placed;
  for (const DesignedPlace& place : DesignedPlaces()) {
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
    EXPECT_EQ(got.left, origin.x + place.left) << what;
    EXPECT_EQ(got.top, origin.y + place.top) << what;
    EXPECT_EQ(got.right - got.left, place.width) << what << " width";
    EXPECT_EQ(got.bottom - got.top, place.height) << what << " height";
    if (std::string(place.control).starts_with("Frame")) {
      frames[place.control] = {place.left, place.top};
    }
    placed.emplace(place.window, place.control);
  }
  EXPECT_EQ(placed, DescribedControls());
}

}  // namespace
}  // namespace vantrel::testing
