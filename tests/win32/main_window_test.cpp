// The main window on the real Win32 front end: its design, its keyboard interface, and the
// browsing panes driven by the messages of the mouse and keys.
#include "window_fixture.h"

#include <commctrl.h>

#include <filesystem>
#include <tuple>

#include "platform/win32/text.h"

namespace vantrel::testing {
namespace {

using platform::Answer;

class MainWindow : public Win32Program {
 protected:
  void SetUp() override {
    source = temp.Folder("source");
    destination = temp.Folder("destination");
    temp.Folder("source\\sub");
    temp.Write("source\\b.txt", std::string(1536, 'x'));
    temp.Write("source\\A.txt", "");
    temp.Write("source\\Setup.EXE.bak", "x");
    temp.Write("source\\sub\\inner.txt", "i");
    Start(source);
  }
  std::string source, destination;
};

// Where each control sits is in layout_test.
TEST_F(MainWindow, OpensWithItsCaptionBorderIconAndTexts) {
  const HWND form = Form2().hwnd();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(WindowText(form), "Vantrel 1.0");
  const LONG style = ::GetWindowLongW(form, GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_NE(::SendMessageW(form, WM_GETICON, ICON_BIG, 0), 0);

  for (const char* label : {"Label1", "Label2", "Label4", "Label5"}) {
    EXPECT_EQ(WindowText(Control(label)), " ") << label;
  }
  EXPECT_EQ(WindowText(Control("Label6")), "");
  EXPECT_EQ(WindowText(Control("Command8")), "&Copy +Paste");
}

TEST_F(MainWindow, EveryButtonHasItsTooltip) {
  HWND tips = nullptr;
  while ((tips = ::FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr)) != nullptr) {
    if (::GetWindow(tips, GW_OWNER) == Form2().hwnd()) break;
  }
  ASSERT_NE(tips, nullptr);
  EXPECT_EQ(::SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 8);
  wchar_t text[128] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = Form2().hwnd();
  tool.uId = reinterpret_cast<UINT_PTR>(Control("Command4"));
  tool.lpszText = text;
  ::SendMessageW(tips, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&tool));
  EXPECT_EQ(platform::win32::Narrow(text), "Clear the contens of Clipboard ");
}

TEST_F(MainWindow, EnlargingMovesNothing) {
  const RECT before = RectInParent(Control("Command5"));
  ::SetWindowPos(Form2().hwnd(), nullptr, 0, 0, 900, 800, SWP_NOMOVE | SWP_NOZORDER);
  Pump();
  const RECT after = RectInParent(Control("Command5"));
  EXPECT_TRUE(::EqualRect(&before, &after));
}

// Moved to a screen of twice the dpi, every control and the client area double.
TEST_F(MainWindow, FollowsTheDpiOfItsScreen) {
  RECT suggested{};
  ::GetWindowRect(Form2().hwnd(), &suggested);
  ::SendMessageW(Form2().hwnd(), WM_DPICHANGED, MAKEWPARAM(192, 192),
                 reinterpret_cast<LPARAM>(&suggested));
  RECT client{};
  ::GetClientRect(Form2().hwnd(), &client);
  EXPECT_EQ(client.right, 1044);
  EXPECT_EQ(client.bottom, 906);
  const RECT label5 = RectInParent(Control("Label5"));
  EXPECT_EQ(label5.left, 480);
  EXPECT_EQ(label5.top, 832);
  EXPECT_EQ(label5.right - label5.left, 322);
}

TEST_F(MainWindow, MenuBarHasFileAndRunDropDownsAndAboutAsACommand) {
  const HMENU bar = ::GetMenu(Form2().hwnd());
  ASSERT_EQ(::GetMenuItemCount(bar), 3);
  wchar_t text[64];
  const char* titles[] = {"File", "Run", "About"};
  for (int i = 0; i < 3; ++i) {
    ::GetMenuStringW(bar, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    EXPECT_EQ(platform::win32::Narrow(text), titles[i]);
  }
  EXPECT_EQ(::GetMenuItemCount(::GetSubMenu(bar, 0)), 1);
  ::GetMenuStringW(::GetSubMenu(bar, 1), 3, text, 64, MF_BYPOSITION);
  EXPECT_EQ(platform::win32::Narrow(text), "&Notepad");
  EXPECT_EQ(::GetSubMenu(bar, 2), nullptr);
  EXPECT_NE(MenuCommand(Form2().hwnd(), 2), static_cast<WORD>(-1));
}

TEST_F(MainWindow, TabVisitsTheControlsInTheirTabOrder) {
  const char* order[] = {"Drive1",   "File1",    "Dir1",     "Dir2",     "Drive2",
                         "File2",    "Command1", "Command3", "Command4", "Command5",
                         "Command6", "File3",    "Command7", "Command8", "Command2"};
  EXPECT_EQ(::GetFocus(), Control("Drive1"));
  HWND focus = Control("Drive1");
  for (std::size_t i = 1; i <= std::size(order); ++i) {
    PressKey(windows(), focus, VK_TAB);
    focus = ::GetFocus();
    EXPECT_EQ(focus, Control(order[i % std::size(order)])) << "after " << order[i - 1];
  }
  // The dialog manager's own request for the next or previous control goes the same way.
  ::SendMessageW(Form2().hwnd(), WM_NEXTDLGCTL, 0, 0);
  EXPECT_EQ(::GetFocus(), Control("File1"));
  ::SendMessageW(Form2().hwnd(), WM_NEXTDLGCTL, 1, 0);
  EXPECT_EQ(::GetFocus(), Control("Drive1"));
}

TEST_F(MainWindow, EnterAndEscapePressNoButton) {
  for (const char* control : {"Command2", "Command8", "File1", "Drive1"}) {
    PressKey(windows(), Control(control), VK_RETURN);
    PressKey(windows(), Control(control), VK_ESCAPE);
  }
  Pump();
  EXPECT_EQ(quits, 0);
  EXPECT_TRUE(Form2().IsLoaded());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainWindow, PickingADriveMovesOnlyThatPane) {
  const HWND drive1 = Control("Drive1");
  const auto drives = windows().front_end().drives.Drives();
  int z = -1;
  for (std::size_t i = 0; i < drives.size(); ++i) {
    if (drives[i].root == "Z:\\") z = static_cast<int>(i);
  }
  ASSERT_GE(z, 0) << "Wine maps Z: to the Unix root";
  ::SendMessageW(drive1, CB_SETCURSEL, static_cast<WPARAM>(z), 0);
  ::SendMessageW(Form2().hwnd(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(drive1), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(drive1));
  EXPECT_EQ(Form2().FindFolderList("Dir1").Path(), "Z:\\");
  EXPECT_EQ(Caption("Label4"), "Folder Name: Z:\\");
  EXPECT_EQ(Form2().FindFileList("File3").Path(), "Z:\\");
  EXPECT_EQ(Form2().FindFolderList("Dir2").Path(), source);
  EXPECT_EQ(Caption("Label6"), "");
  // Back on C: the list returns to the folder last open there.
  ::SendMessageW(drive1, CB_SETCURSEL, static_cast<WPARAM>(drives.size() > 1 ? 0 : z), 0);
  ::SendMessageW(Form2().hwnd(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(drive1), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(drive1));
  EXPECT_EQ(Form2().FindFolderList("Dir1").Path(), source);
}

TEST_F(MainWindow, ADriveWhoseFolderWasRemovedOpensTheNearestFolderStillThere) {
  const HWND drive1 = Control("Drive1");
  const auto drives = windows().front_end().drives.Drives();
  int z = -1;
  int c = -1;
  for (std::size_t i = 0; i < drives.size(); ++i) {
    if (drives[i].root == "Z:\\") z = static_cast<int>(i);
    if (drives[i].root == "C:\\") c = static_cast<int>(i);
  }
  ASSERT_GE(z, 0) << "Wine maps Z: to the Unix root";
  ASSERT_GE(c, 0);
  const auto pick = [&](int index) {
    ::SendMessageW(drive1, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageW(Form2().hwnd(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(drive1), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(drive1));
  };
  const std::string gone = temp.Folder("source\\gone");
  const std::string inner = temp.Folder("source\\gone\\inner");
  Form2().FindFolderList("Dir1").SetPath(inner);  // C:'s folder is now the inner one
  pick(z);
  EXPECT_EQ(Form2().FindFolderList("Dir1").Path(), "Z:\\");
  std::filesystem::remove_all(gone);
  pick(c);
  EXPECT_EQ(Form2().FindFolderList("Dir1").Path(), source);
  EXPECT_EQ(Caption("Label4"), "Folder Name: " + source);
}

TEST_F(MainWindow, RunPaneStartsNothingOnARightOrMiddleDoubleClick) {
  const HWND file3 = Control("File3");
  ASSERT_EQ(ListCount(file3), 1);
  const LPARAM at = At(ItemCentre(file3, 0));
  for (const auto& [down, dbl, up, key] :
       {std::tuple{WM_RBUTTONDOWN, WM_RBUTTONDBLCLK, WM_RBUTTONUP, MK_RBUTTON},
        std::tuple{WM_MBUTTONDOWN, WM_MBUTTONDBLCLK, WM_MBUTTONUP, MK_MBUTTON}}) {
    ::SendMessageW(file3, down, key, at);
    ::SendMessageW(file3, up, 0, at);
    ::SendMessageW(file3, dbl, key, at);
    ::SendMessageW(file3, up, 0, at);
    Pump();
  }
  EXPECT_TRUE(programs.started.empty());
  DoubleClickItem(file3, 0);
  Pump();
  EXPECT_EQ(programs.started.size(), 1u);
}

TEST_F(MainWindow, DroppingDownADriveListReadsTheDrivesAgain) {
  const std::string stick = temp.Folder("stick");
  temp.Write("stick\\photo.jpg", "jpg");
  const std::vector<platform::DriveInfo> at_start = windows().front_end().drives.Drives();
  std::vector<platform::DriveInfo> now = at_start;
  now.push_back({stick, stick});
  drive_reader = [&](platform::OffThread&) { return now; };
  const auto drop_down = [&](HWND list) {
    ::SendMessageW(Form2().hwnd(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(list), CBN_DROPDOWN),
                   reinterpret_cast<LPARAM>(list));
  };
  const auto texts = [](HWND list) {
    std::vector<std::string> found;
    const auto count = static_cast<int>(::SendMessageW(list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      std::wstring text(static_cast<std::size_t>(
                            ::SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0)),
                        L' ');
      ::SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(text.data()));
      found.push_back(platform::win32::Narrow(text));
    }
    return found;
  };
  const HWND drive1 = Control("Drive1");
  const HWND drive2 = Control("Drive2");
  const std::string drive2_shown = Form2().FindDriveList("Drive2").Drive();

  // A stick was inserted: the dropped-down list offers it, and reading raised nothing.
  drop_down(drive1);
  std::vector<std::string> with_stick = texts(drive1);
  ASSERT_EQ(with_stick.size(), at_start.size() + 1);
  EXPECT_EQ(with_stick.back(), stick);
  EXPECT_EQ(Caption("Label4"), " ");
  ::SendMessageW(drive1, CB_SETCURSEL, with_stick.size() - 1, 0);
  ::SendMessageW(Form2().hwnd(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(drive1), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(drive1));
  EXPECT_EQ(Form2().FindFolderList("Dir1").Path(), stick);
  EXPECT_EQ(Names("File1"), std::vector<std::string>{"photo.jpg"});

  // The stick was taken out while shown: its list keeps it, the other list drops it.
  now = at_start;
  drop_down(drive1);
  EXPECT_EQ(texts(drive1), with_stick);
  EXPECT_EQ(Form2().FindDriveList("Drive1").Drive(), stick);
  drop_down(drive2);
  EXPECT_EQ(texts(drive2).size(), at_start.size());
  EXPECT_EQ(Form2().FindDriveList("Drive2").Drive(), drive2_shown);
  EXPECT_EQ(Form2().FindFolderList("Dir2").Path(), source);
}

TEST_F(MainWindow, FolderListOpensOnDoubleClickOrEnterOnly) {
  const HWND dir1 = Control("Dir1");
  const int sub = ListIndex(dir1, "sub");
  ASSERT_GE(sub, 0);
  ClickItem(dir1, sub);
  EXPECT_EQ(Form2().FindFolderList("Dir1").Path(), source);
  DoubleClickItem(dir1, sub);
  EXPECT_EQ(Form2().FindFolderList("Dir1").Path(), Join(source, "sub"));
  EXPECT_EQ(Caption("Label4"), "Folder Name: " + Join(source, "sub"));
  EXPECT_EQ(Names("File1"), std::vector<std::string>{"inner.txt"});

  const int parent = ListIndex(dir1, "source");
  ::SendMessageW(dir1, LB_SETCURSEL, static_cast<WPARAM>(parent), 0);
  PressKey(windows(), dir1, VK_RETURN);
  EXPECT_EQ(Form2().FindFolderList("Dir1").Path(), source);
}

TEST_F(MainWindow, ClickingASourceFileShowsItsNameAndSize) {
  const HWND file1 = Control("File1");
  ASSERT_EQ(ListCount(file1), 3);
  EXPECT_EQ(Names("File1")[0], "A.txt");
  ClickItem(file1, NameIndex("File1", "b.txt"));
  EXPECT_EQ(WindowText(Control("Label1")), "Filename:b.txt");
  EXPECT_EQ(WindowText(Control("Label2")), "Filesize: 1536 Bytes");
  EXPECT_EQ(files.length_queries.size(), 1u);  // one Click per press
  // Typing a first letter moves to the next name that starts with it, as a click would.
  ::SendMessageW(file1, WM_CHAR, L'a', 0);
  EXPECT_EQ(WindowText(Control("Label1")), "Filename:A.txt");
  EXPECT_EQ(WindowText(Control("Label2")), "Filesize: 0 Bytes");
}

TEST_F(MainWindow, CopyButtonAsksAndCopiesIntoTheDestinationPane) {
  Form2().FindFolderList("Dir2").SetPath(destination);
  ClickItem(Control("File1"), NameIndex("File1", "b.txt"));
  dialogs.answers = {Answer::Yes};
  ::SendMessageW(Control("Command8"), BM_CLICK, 0, 0);
  Pump();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].prompt, "Are you sure copying from " + Join(source, "b.txt") +
                                            " to " + Join(destination, "b.txt"));
  EXPECT_EQ(ReadAll(Join(destination, "b.txt")), std::string(1536, 'x'));
  EXPECT_GE(NameIndex("File2", "b.txt"), 0);
}

TEST_F(MainWindow, RunPaneListsProgramsAndStartsTheOneClicked) {
  const HWND file3 = Control("File3");
  ASSERT_EQ(ListCount(file3), 1);
  ClickItem(file3, 0);
  EXPECT_EQ(WindowText(Control("Label5")), "Run: Setup.EXE.bak");
  DoubleClickItem(file3, 0);
  ::SendMessageW(Control("Command5"), BM_CLICK, 0, 0);
  Pump();
  ASSERT_EQ(programs.started.size(), 2u);
  EXPECT_EQ(programs.started[0].first, Join(source, "Setup.EXE.bak"));
  EXPECT_EQ(programs.started[1].first, Join(source, "Setup.EXE.bak"));
}

}  // namespace
}  // namespace vantrel::testing
