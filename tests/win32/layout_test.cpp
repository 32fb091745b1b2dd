// Every control of the main window and of the About dialog at its designed place on the real
// Win32 windows, from the table of designed places in pixels (tests/support/designed_places.cpp).
// Each control is a child of its window itself: one inside a frame sits at the frame's place plus
// its own. The texts are measured as the controls draw them: this is where the table of designed
// text lines comes from.
#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "designed_places.h"
#include "platform/win32/text.h"
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

struct TextLayout {
  int lines = 0;
  bool fits = false;
};

// Lays the text out with DrawText as the control draws it, in the control's own font: a push
// button inside its two-pixel edge (wrapping only when it is multi-line), a frame's title on one
// line beside the frame's corner, a label word-wrapped across its whole width.
TextLayout Measure(HWND control, const std::wstring& text, TEXTMETRICW* metrics) {
  RECT room{};
  ::GetClientRect(control, &room);
  wchar_t kind[32] = {};
  ::GetClassNameW(control, kind, 32);
  const LONG style = ::GetWindowLongW(control, GWL_STYLE);
  UINT flags = DT_CALCRECT | DT_EXPANDTABS;
  if (std::wstring(kind) == L"Button" && (style & BS_TYPEMASK) == BS_GROUPBOX) {
    ::InflateRect(&room, -8, 0);
    flags |= DT_SINGLELINE;
  } else if (std::wstring(kind) == L"Button") {
    ::InflateRect(&room, -2, -2);
    flags |= (style & BS_MULTILINE) != 0 ? DT_WORDBREAK : DT_SINGLELINE;
  } else {
    flags |= DT_WORDBREAK | ((style & SS_NOPREFIX) != 0 ? DT_NOPREFIX : 0);
  }
  const HDC dc = ::GetDC(control);
  const HGDIOBJ old =
      ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
  ::GetTextMetricsW(dc, metrics);
  RECT used = room;
  ::DrawTextW(dc, text.c_str(), -1, &used, flags);
  ::SelectObject(dc, old);
  ::ReleaseDC(control, dc);
  const int height = used.bottom - used.top;
  return {height / metrics->tmHeight,
          used.right - used.left <= room.right - room.left && height <= room.bottom - room.top};
}

TEST_F(Layout, EveryCaptionStandsOnItsDesignedLinesAndFits) {
  std::set<std::pair<std::string, std::string>> checked;
  for (const DesignedText& designed : DesignedTexts()) {
    const std::string what = std::string(designed.window) + "." + designed.control;
    const HWND control = Window(designed.window).ControlHandle(designed.control);
    ASSERT_NE(control, nullptr) << what;
    if (designed.text != nullptr)
      ::SetWindowTextW(control, platform::win32::Widen(designed.text).c_str());
    TEXTMETRICW metrics{};
    const TextLayout got = Measure(control, platform::win32::Widen(WindowText(control)), &metrics);
    EXPECT_EQ(got.lines, designed.lines) << what;
    EXPECT_TRUE(got.fits) << what << " is cut off";
    // The font the system gave for the designed one, for comparing it with the designed face.
    const HDC dc = ::GetDC(control);
    const HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    wchar_t face[LF_FACESIZE] = {};
    ::GetTextFaceW(dc, LF_FACESIZE, face);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    std::printf("%s: %d line(s) in %s, height %ld, average width %ld\n", what.c_str(), got.lines,
                platform::win32::Narrow(face).c_str(), metrics.tmHeight, metrics.tmAveCharWidth);
    checked.emplace(designed.window, designed.control);
  }
  EXPECT_EQ(checked, DescribedTextControls());
}

}  // namespace
}  // namespace vantrel::testing
