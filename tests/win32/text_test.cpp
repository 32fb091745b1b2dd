// UTF-8 in the program, UTF-16 at the system: every name survives the trip, and the paths handed
// to the file functions reach exactly the named file.
#include <gtest/gtest.h>

#include "platform/win32/path.h"
#include "platform/win32/text.h"

namespace vantrel::testing {
namespace {

using platform::win32::HasComponentEndingInDotOrSpace;
using platform::win32::Narrow;
using platform::win32::SplitLastComponent;
using platform::win32::SystemPath;
using platform::win32::Widen;

TEST(Text, EveryNameSurvivesTheRoundTrip) {
  const std::wstring names[] = {L"plain.txt",
                                L"Gr\u00FC\u00DFe \u2713.txt",
                                L"\u65E5\u672C\u8A9E",
                                L"emoji \U0001F600",
                                std::wstring(L"lone high ") + wchar_t(0xD800) + L"x",
                                std::wstring(L"lone low ") + wchar_t(0xDC01),
                                std::wstring(L"reversed ") + wchar_t(0xDC00) + wchar_t(0xD800)};
  for (const std::wstring& name : names) EXPECT_EQ(Widen(Narrow(name)), name);
  EXPECT_EQ(Narrow(L"Gr\u00FC\u00DFe"),
            "Gr\xC3\xBC\xC3\x9F"
            "e");
  EXPECT_EQ(Narrow(L"\U0001F600"), "\xF0\x9F\x98\x80");
}

TEST(Text, MalformedUtf8ReadsAsReplacementCharacters) {
  EXPECT_EQ(Widen("a\xFF"
                  "b"),
            L"a\uFFFDb");
  EXPECT_EQ(Widen("\xC3"), L"\uFFFD");            // cut short
  EXPECT_EQ(Widen("\xC0\xAF"), L"\uFFFD\uFFFD");  // overlong
}

TEST(SystemPaths, OrdinaryPathsPassUnchanged) {
  EXPECT_EQ(SystemPath("C:\\Data\\a.txt"), L"C:\\Data\\a.txt");
  EXPECT_EQ(SystemPath("C:\\\\a.txt"), L"C:\\\\a.txt");  // Windows reads the doubled separator
}

TEST(SystemPaths, NamesEndingInDotsOrSpacesAndLongPathsAreExact) {
  EXPECT_EQ(SystemPath("C:\\Data\\a.txt."), L"\\\\?\\C:\\Data\\a.txt.");
  EXPECT_EQ(SystemPath("c:/Data/./old/../x \\"), L"\\\\?\\c:\\Data\\x \\");
  EXPECT_EQ(SystemPath("\\\\server\\share\\a. "), L"\\\\?\\UNC\\server\\share\\a. ");
  const std::string long_name(300, 'n');
  EXPECT_EQ(SystemPath("C:\\Data\\\\" + long_name), L"\\\\?\\C:\\Data\\" + Widen(long_name));
  EXPECT_EQ(SystemPath("\\\\?\\C:\\kept as is."), L"\\\\?\\C:\\kept as is.");
}

TEST(SystemPaths, TrailingDotOrSpaceIsFoundInAnyComponent) {
  EXPECT_TRUE(HasComponentEndingInDotOrSpace(L"C:\\New."));
  EXPECT_TRUE(HasComponentEndingInDotOrSpace(L"C:\\a \\b"));
  EXPECT_FALSE(HasComponentEndingInDotOrSpace(L"C:\\Data\\..\\.\\b.txt"));
  EXPECT_FALSE(HasComponentEndingInDotOrSpace(L"C:\\Data\\"));
}

TEST(SplitLastComponent, KeepsTheSeparatorWithTheFolder) {
  EXPECT_EQ(SplitLastComponent("C:\\Data\\a.txt").folder, "C:\\Data\\");
  EXPECT_EQ(SplitLastComponent("C:\\\\a.txt").folder, "C:\\\\");
  EXPECT_EQ(SplitLastComponent("C:\\Data\\").name, "");
  EXPECT_EQ(SplitLastComponent("a.txt").folder, "");
}

}  // namespace
}  // namespace vantrel::testing
