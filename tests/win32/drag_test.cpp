// Dragging a source file onto the destination folder list, with the real mouse capture and
// cursor; and, through the same mouse, the Run menu as a pop-up with its real menu loop.
#include "window_fixture.h"

namespace vantrel::testing {
namespace {

using platform::Answer;

class DragAndMenu : public Win32Program {
 protected:
  void SetUp() override {
    source = temp.Folder("source");
    destination = temp.Folder("destination");
    temp.Write("source\\a.txt", "dragged");
    program.folder = temp.Folder("program");
    Start(source);
    Form2().FindFolderList("Dir2").SetPath(destination);
    ::SetForegroundWindow(Form2().hwnd());
    Pump();
  }
  // Presses the left button on a.txt and moves: the handler starts the drag.
  void StartDrag() {
    const HWND file1 = Control("File1");
    const POINT at = ItemCentre(file1, NameIndex("File1", "a.txt"));
    ::SendMessageW(file1, WM_LBUTTONDOWN, MK_LBUTTON, At(at));
    ::SendMessageW(file1, WM_MOUSEMOVE, MK_LBUTTON, At({at.x + 3, at.y + 1}));
  }
  // Releases the button over the middle of a control of the window.
  void ReleaseOver(std::string_view control) {
    RECT target{};
    ::GetWindowRect(Control(control), &target);
    POINT at{(target.left + target.right) / 2, (target.top + target.bottom) / 2};
    ::ScreenToClient(Control("File1"), &at);
    ::SendMessageW(Control("File1"), WM_LBUTTONUP, 0, At(at));
    Pump();
  }
  std::string source, destination;
};

TEST_F(DragAndMenu, DropOnTheDestinationFolderListCopiesAfterYes) {
  StartDrag();
  EXPECT_EQ(::GetCapture(), Control("File1"));
  dialogs.answers = {Answer::Yes};
  ReleaseOver("Dir2");
  EXPECT_EQ(::GetCapture(), nullptr);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].prompt, "Are you sure copying a.txtfrom " + Join(source, "a.txt") +
                                            " to " + Join(destination, "a.txt"));
  EXPECT_EQ(ReadAll(Join(destination, "a.txt")), "dragged");
  EXPECT_EQ(Names("File2"), std::vector<std::string>{"a.txt"});
}

TEST_F(DragAndMenu, DropAnywhereElseDoesNothing) {
  for (const char* elsewhere : {"File2", "File1", "Dir1", "Command8"}) {
    StartDrag();
    ReleaseOver(elsewhere);
    EXPECT_EQ(::GetCapture(), nullptr) << elsewhere;
  }
  EXPECT_TRUE(dialogs.messages.empty());  // an unexpected question would fail here too
  EXPECT_FALSE(Exists(Join(destination, "a.txt")));
  EXPECT_EQ(Form2().FindFileList("File1").FileName(), "a.txt");
}

TEST_F(DragAndMenu, OnlyTheLeftButtonAloneStartsADrag) {
  const HWND file1 = Control("File1");
  for (WPARAM buttons :
       {WPARAM{0}, WPARAM{MK_RBUTTON}, WPARAM{MK_LBUTTON | MK_RBUTTON}, WPARAM{MK_MBUTTON}}) {
    ::SendMessageW(file1, WM_MOUSEMOVE, buttons, At({5, 5}));
    EXPECT_NE(::GetCapture(), file1) << buttons;
    ::ReleaseCapture();
  }
}

// The pointer shows grab.ico from the program's folder, read at every drag; without it (or with
// a file that is no icon) the list's own drag picture stays.
TEST_F(DragAndMenu, ThePointerShowsGrabIcoWhenItCanBeRead) {
  const HCURSOR built_in = windows().front_end().built_in_drag;
  StartDrag();
  EXPECT_EQ(::GetCursor(), built_in);
  ReleaseOver("File2");

  wchar_t own[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, own, MAX_PATH);
  std::wstring icon = own;
  icon = icon.substr(0, icon.find_last_of(L'\\')) + L"\\grab.ico";
  ASSERT_TRUE(::CopyFileW(icon.c_str(), W(Join(program.folder, "grab.ico")).c_str(), FALSE));
  StartDrag();
  const HCURSOR loaded = ::GetCursor();
  EXPECT_NE(loaded, built_in);
  EXPECT_NE(loaded, ::LoadCursorW(nullptr, IDC_ARROW));
  ReleaseOver("File2");

  temp.Write("program\\grab.ico", "not an icon");
  StartDrag();
  EXPECT_EQ(::GetCapture(), Control("File1"));
  EXPECT_EQ(::GetCursor(), loaded);
  ReleaseOver("File2");
}

// The pop-up's menu window is found while the menu loop runs; typing N there chooses Notepad.
TEST_F(DragAndMenu, LeftOrRightPressOnRunWinprogramPopsUpTheRunMenu) {
  const HWND button = Control("Command6");
  for (UINT press : {WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
    programs.started.clear();
    bool shown = false;
    WithTicks(
        [&] {
          ::SendMessageW(button, press, 0, At({4, 4}));
        },
        [&] {
          const HWND menu = ::FindWindowW(L"#32768", nullptr);
          if (menu == nullptr || !::IsWindowVisible(menu)) return false;
          shown = true;
          ::PostMessageW(Form2().hwnd(), WM_CHAR, 'n', 0);
          return true;
        });
    ::SendMessageW(button, press + 1, 0, At({4, 4}));  // the matching release
    Pump();
    EXPECT_TRUE(shown) << press;
    ASSERT_EQ(programs.started.size(), 1u) << press;
    EXPECT_EQ(programs.started[0].second, platform::WindowStyle::Normal);
  }
  bool shown = false;
  WithTicks(
      [&] {
        ::SendMessageW(button, WM_MBUTTONDOWN, 0, At({4, 4}));
      },
      [&] {
        return shown = ::FindWindowW(L"#32768", nullptr) != nullptr &&
                       ::IsWindowVisible(::FindWindowW(L"#32768", nullptr));
      });
  EXPECT_FALSE(shown);
}

}  // namespace
}  // namespace vantrel::testing
