// The real message box and input box, answered by a timer while they wait, and the clipboard.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/win32/clipboard.h"
#include "platform/win32/dialogs.h"
#include "platform/win32/input_box.h"
#include "window_fixture.h"

namespace vantrel::testing {
namespace {

using platform::Answer;

// The box of that title while it is open.
HWND OpenBox(const wchar_t* title) {
  const HWND box = ::FindWindowW(L"#32770", title);
  return box != nullptr && ::IsWindowVisible(box) ? box : nullptr;
}

TEST(MessageBox, YesNoQuestionHasYesAsTheDefaultButton) {
  platform::win32::Win32Dialogs dialogs;
  bool looked = false;
  Answer answer = Answer::Closed;
  WithTicks([&] { answer = dialogs.MessageBox("Are you sure?", 36, "Sure!"); },
            [&] {
              const HWND box = OpenBox(L"Sure!");
              if (box == nullptr) return false;
              looked = true;
              EXPECT_NE(::GetDlgItem(box, IDYES), nullptr);
              EXPECT_NE(::GetDlgItem(box, IDNO), nullptr);
              EXPECT_EQ(::GetDlgItem(box, IDOK), nullptr);
              const HWND yes = ::GetDlgItem(box, IDYES);
              EXPECT_TRUE(::SendMessageW(yes, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON);
              EXPECT_EQ(::GetFocus(), yes);
              ::SendMessageW(::GetDlgItem(box, IDNO), BM_CLICK, 0, 0);
              return true;
            });
  EXPECT_TRUE(looked);
  EXPECT_EQ(answer, Answer::No);
}

TEST(MessageBox, WithoutATitleShowsTheProgramsNameAndOkOnly) {
  platform::win32::Win32Dialogs dialogs;
  Answer answer = Answer::Closed;
  WithTicks([&] { answer = dialogs.MessageBox("System Information Is Unavailable", 0, ""); },
            [&] {
              const HWND box = OpenBox(L"Vantrel");
              if (box == nullptr) return false;
              EXPECT_EQ(::GetDlgItem(box, IDNO), nullptr);
              ::SendMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
              return true;
            });
  EXPECT_EQ(answer, Answer::Ok);
}

TEST(InputBox, GivesTheTypedTextOnOkAndNothingOnCancel) {
  platform::win32::Win32Dialogs dialogs;
  const std::string typed = "Nouveau dossier \xE2\x9C\x93";
  std::string result;
  std::string prompt;
  WithTicks([&] { result = dialogs.InputBox("enter the new folder name"); },
            [&] {
              const HWND box = OpenBox(L"Vantrel");
              if (box == nullptr) return false;
              prompt = WindowText(::GetDlgItem(box, platform::win32::kInputPromptId));
              EXPECT_EQ(::GetFocus(), ::GetDlgItem(box, platform::win32::kInputTextId));
              ::SetDlgItemTextW(box, platform::win32::kInputTextId, W(typed).c_str());
              ::SendMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
              return true;
            });
  EXPECT_EQ(prompt, "enter the new folder name");
  EXPECT_EQ(result, typed);

  WithTicks([&] { result = dialogs.InputBox("enter the new folder name"); },
            [&] {
              const HWND box = OpenBox(L"Vantrel");
              if (box == nullptr) return false;
              ::SetDlgItemTextW(box, platform::win32::kInputTextId, L"typed, then cancelled");
              ::SendMessageW(::GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
              return true;
            });
  EXPECT_EQ(result, "");
}

TEST(Clipboard, HoldsNothingAfterClear) {
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  const std::size_t bytes = 6 * sizeof(wchar_t);
  const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
  std::memcpy(::GlobalLock(memory), L"hello", bytes);
  ::GlobalUnlock(memory);
  ::SetClipboardData(CF_UNICODETEXT, memory);
  ::CloseClipboard();
  ASSERT_TRUE(::IsClipboardFormatAvailable(CF_UNICODETEXT));

  platform::win32::Win32Clipboard clipboard;
  EXPECT_TRUE(clipboard.Clear());
  EXPECT_FALSE(::IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_EQ(::CountClipboardFormats(), 0);
}

}  // namespace
}  // namespace vantrel::testing
