// The About dialog and the end of the program on the real Win32 front end.
#include "window_fixture.h"

namespace vantrel::testing {
namespace {

class AboutWindow : public Win32Program {
 protected:
  void SetUp() override {
    Start(temp.str());
    program.version = {2, 10, 7};
  }
  void ChooseAbout() {
    ::SendMessageW(Form2().hwnd(), WM_COMMAND, MenuCommand(Form2().hwnd(), 2), 0);
    Pump();
  }
  HWND Dialog() { return About() != nullptr ? About()->hwnd() : nullptr; }
  HWND In(std::string_view control) { return About()->ControlHandle(control); }
};

TEST_F(AboutWindow, OpensWithItsTextsAtItsPlaceOutOfTheTaskbar) {
  ChooseAbout();
  const HWND dialog = Dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(WindowText(dialog), "About Vantrel ");
  EXPECT_EQ(WindowText(In("lblTitle")), "Vantrel");
  EXPECT_EQ(WindowText(In("lblVersion")), "Version 2.10.7");
  POINT corner{0, 0};
  ::ClientToScreen(dialog, &corner);
  EXPECT_EQ(corner.x, 156);  // 2340 twips
  EXPECT_EQ(corner.y, 129);  // 1935 twips
  RECT client{};
  ::GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, 382);
  EXPECT_EQ(client.bottom, 237);

  const LONG style = ::GetWindowLongW(dialog, GWL_STYLE);
  const LONG ex_style = ::GetWindowLongW(dialog, GWL_EXSTYLE);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(ex_style & WS_EX_DLGMODALFRAME);
  EXPECT_FALSE(ex_style & (WS_EX_APPWINDOW | WS_EX_TOOLWINDOW));
  const HWND owner = ::GetWindow(dialog, GW_OWNER);
  ASSERT_NE(owner, nullptr);  // an owned window has no taskbar button
  EXPECT_FALSE(::IsWindowVisible(owner));
  EXPECT_NE(owner, Form2().hwnd());
  EXPECT_EQ(::GetFocus(), In("cmdOK"));
}

// The rule's two lines, painted by the dialog: grey from (90, 2445) to (5654, 2445) twips, that
// is row 163 from pixel 6, and 2 pixels of white from (105, 2460) to (5654, 2460), rows 164 and
// 165 from pixel 7; both end at about pixel 377.
TEST_F(AboutWindow, PaintsTheEtchedRuleAsAGreyLineOverAWhiteOne) {
  ChooseAbout();
  ASSERT_NE(Dialog(), nullptr);
  ::RedrawWindow(Dialog(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  const HDC dc = ::GetDC(Dialog());
  const COLORREF grey = RGB(128, 128, 128), white = RGB(255, 255, 255);
  for (int x = 6; x <= 376; ++x) {
    EXPECT_EQ(::GetPixel(dc, x, 163), grey) << x;
    EXPECT_NE(::GetPixel(dc, x, 162), grey) << x;
  }
  for (int x = 7; x <= 376; ++x) {
    EXPECT_EQ(::GetPixel(dc, x, 164), white) << x;
    EXPECT_EQ(::GetPixel(dc, x, 165), white) << x;
    EXPECT_NE(::GetPixel(dc, x, 166), white) << x;
  }
  // Nothing of either line before its start or past its end.
  EXPECT_NE(::GetPixel(dc, 5, 163), grey);
  for (const int y : {164, 165}) EXPECT_NE(::GetPixel(dc, 6, y), white) << y;
  for (const int y : {163, 164, 165}) {
    EXPECT_NE(::GetPixel(dc, 379, y), grey) << y;
    EXPECT_NE(::GetPixel(dc, 379, y), white) << y;
  }
  ::ReleaseDC(Dialog(), dc);
}

TEST_F(AboutWindow, TabGoesFromOkToThePictureToSystemInfo) {
  ChooseAbout();
  EXPECT_EQ(::GetFocus(), In("cmdOK"));
  const char* order[] = {"picIcon", "cmdSysInfo", "cmdOK"};
  for (const char* next : order) {
    PressKey(windows(), ::GetFocus(), VK_TAB);
    EXPECT_EQ(::GetFocus(), In(next)) << next;
  }
}

TEST_F(AboutWindow, OkEnterEscapeAndTheCloseBoxCloseItAndAboutLoadsItAfresh) {
  const std::function<void()> closers[] = {
      [&] { ::SendMessageW(In("cmdOK"), BM_CLICK, 0, 0); },
      [&] { PressKey(windows(), In("cmdOK"), VK_RETURN); },
      [&] { PressKey(windows(), In("picIcon"), VK_ESCAPE); },
      [&] { ::SendMessageW(Dialog(), WM_CLOSE, 0, 0); },
  };
  for (const auto& close : closers) {
    ChooseAbout();
    ASSERT_NE(Dialog(), nullptr);
    About()->FindLabel("lblTitle").SetCaption("changed");
    close();
    Pump();
    EXPECT_EQ(Dialog(), nullptr);
  }
  ChooseAbout();
  EXPECT_EQ(WindowText(In("lblTitle")), "Vantrel");
  EXPECT_EQ(quits, 0);
}

TEST_F(AboutWindow, AboutWhileOpenBringsTheSameWindowForward) {
  ChooseAbout();
  const HWND first = Dialog();
  About()->FindLabel("lblTitle").SetCaption("kept");
  ChooseAbout();
  EXPECT_EQ(Dialog(), first);
  EXPECT_EQ(WindowText(In("lblTitle")), "kept");
}

TEST_F(AboutWindow, ExitClosesEveryWindowAtOnce) {
  ChooseAbout();
  ::SendMessageW(Control("Command2"), BM_CLICK, 0, 0);
  Pump();
  EXPECT_FALSE(Form2().IsLoaded());
  EXPECT_FALSE(About()->IsLoaded());
  EXPECT_EQ(quits, 1);
}

TEST_F(AboutWindow, TheProgramEndsWhenItsLastWindowCloses) {
  ChooseAbout();
  ::SendMessageW(Form2().hwnd(), WM_CLOSE, 0, 0);
  Pump();
  EXPECT_FALSE(Form2().IsLoaded());
  EXPECT_TRUE(About()->IsLoaded());
  EXPECT_EQ(quits, 0);
  ::SendMessageW(Dialog(), WM_CLOSE, 0, 0);
  Pump();
  EXPECT_EQ(quits, 1);
}

}  // namespace
}  // namespace vantrel::testing
