// The real Vantrel.exe, ended by its Exit button or by the Exit item of its File menu: the process
// ends at once with exit code 0, the About dialog open or not, with no question asked. The
// clicks and the menu choice are posted to the program's windows as the system would post them.
// On the way, its About dialog shows the version of the build.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "win32_paths.h"

namespace vantrel::testing {
namespace {

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  ::SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
  return text;
}

struct Search {
  DWORD process;
  std::wstring title;
  HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM search_address) {
  auto& search = *reinterpret_cast<Search*>(search_address);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (process != search.process || !::IsWindowVisible(window)) return TRUE;
  if (TextOf(window) != search.title) return TRUE;
  search.found = window;
  return FALSE;
}

struct ChildSearch {
  std::wstring text;
  HWND found;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM search_address) {
  auto& search = *reinterpret_cast<ChildSearch*>(search_address);
  if (TextOf(window) != search.text) return TRUE;
  search.found = window;
  return FALSE;
}

class RealProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    std::wstring command = L"\"" + W(Join(TestProgramFolder(), "Vantrel.exe")) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 W(temp.str()).c_str(), &startup, &process_));
    ::CloseHandle(process_.hThread);
    ::WaitForInputIdle(process_.hProcess, 20000);
    main_ = WaitForWindow(L"Vantrel 1.0");
    ASSERT_NE(main_, nullptr) << "the main window did not appear";
  }
  void TearDown() override {
    if (process_.hProcess == nullptr) return;
    if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
      ::TerminateProcess(process_.hProcess, 99);
      ::WaitForSingleObject(process_.hProcess, 5000);
    }
    ::CloseHandle(process_.hProcess);
  }

  // The program's visible top-level window of that caption, once it is there.
  HWND WaitForWindow(const std::wstring& title) {
    for (int i = 0; i < 200; ++i) {
      Search search{process_.dwProcessId, title, nullptr};
      ::EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
      if (search.found != nullptr) return search.found;
      if (::WaitForSingleObject(process_.hProcess, 50) != WAIT_TIMEOUT) return nullptr;
    }
    return nullptr;
  }
  static HWND ChildWithText(HWND window, const std::wstring& text) {
    ChildSearch search{text, nullptr};
    ::EnumChildWindows(window, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  // The keyboard's way through the menu bar, as the window's thread receives it: Alt (and its
  // release) selects the first entry, File; the arrows and Enter move and choose from there.
  void ThroughTheMenuBar(std::initializer_list<WPARAM> keys) {
    ::PostMessageW(main_, WM_SYSCOMMAND, SC_KEYMENU, 0);
    for (const WPARAM key : keys) {
      ::PostMessageW(main_, WM_KEYDOWN, key, 1);
      ::PostMessageW(main_, WM_KEYUP, key, 0xC0000001);
    }
  }

  bool Running(DWORD for_ms) {
    return ::WaitForSingleObject(process_.hProcess, for_ms) == WAIT_TIMEOUT;
  }
  void ExpectEndedAtOnce() {
    ASSERT_EQ(::WaitForSingleObject(process_.hProcess, 3000), WAIT_OBJECT_0)
        << "still running after the Exit";
    DWORD code = 99;
    ::GetExitCodeProcess(process_.hProcess, &code);
    EXPECT_EQ(code, 0u);
  }

  TempFolder temp;
  PROCESS_INFORMATION process_{};
  HWND main_ = nullptr;
};

TEST_F(RealProgram, TheExitButtonEndsItAtOnceWithTheAboutDialogOpen) {
  ThroughTheMenuBar({VK_RIGHT, VK_RIGHT, VK_RETURN});  // About, the third entry, is a command
  const HWND about = WaitForWindow(L"About Vantrel ");
  ASSERT_NE(about, nullptr) << "the About dialog did not open";
  // The version line holds the numbers given to project() in the top-level CMakeLists.txt,
  // which the program reads from its own version record.
  const std::wstring version = L"Version " + std::to_wstring(VANTREL_PROJECT_VERSION_MAJOR) + L"." +
                               std::to_wstring(VANTREL_PROJECT_VERSION_MINOR) + L"." +
                               std::to_wstring(VANTREL_PROJECT_VERSION_PATCH);
  EXPECT_NE(ChildWithText(about, version), nullptr);
  EXPECT_TRUE(Running(300));
  const HWND exit = ChildWithText(main_, L"&Exit");
  ASSERT_NE(exit, nullptr);
  ::PostMessageW(exit, BM_CLICK, 0, 0);
  ExpectEndedAtOnce();
}

TEST_F(RealProgram, ExitOnTheFileMenuEndsItAtOnce) {
  // Another button of the window leaves it running: what ends it is the Exit.
  const HWND clear = ChildWithText(main_, L"Clear Clipboard");
  ASSERT_NE(clear, nullptr);
  ::PostMessageW(clear, BM_CLICK, 0, 0);
  EXPECT_TRUE(Running(300));
  ThroughTheMenuBar({VK_DOWN, VK_RETURN});  // File drops down with Exit, its only item, chosen
  ExpectEndedAtOnce();
}

}  // namespace
}  // namespace vantrel::testing
