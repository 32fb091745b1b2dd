// The run pane, the Run menu and its pop-up, and the clipboard.
#include <gtest/gtest.h>

#include <filesystem>

#include "harness.h"

namespace vantrel::testing {
namespace {

using platform::Accessory;
using platform::Event;
using platform::WindowStyle;
using Started = std::vector<std::pair<std::string, WindowStyle>>;

class Launcher : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(h.temp.str()); }
  Harness h;
};

TEST_F(Launcher, ClickShowsTheProgramAndRunOrDoubleClickStartsIt) {
  const std::string folder = h.temp.Folder("my programs");
  h.File3().Force(folder);
  h.File3().ClickItem("tool; rm -rf $HOME.exe");
  EXPECT_EQ(h.Caption("Label5"), "Run: tool; rm -rf $HOME.exe");
  h.form2().Click("Command5");
  h.form2().Raise("File3", Event::DblClick);
  const std::string path =
      platform::PlainJoin(folder, "tool; rm -rf $HOME.exe", platform::kNativePaths);
  EXPECT_EQ(h.programs.started,
            (Started{{path, WindowStyle::Normal}, {path, WindowStyle::Normal}}));
  EXPECT_TRUE(h.dialogs.messages.empty());
}

TEST_F(Launcher, RunWithNothingSelectedStartsNothingAndSaysNothing) {
  h.form2().Click("Command5");
  ASSERT_EQ(h.programs.started.size(), 1u);
  EXPECT_EQ(h.programs.started[0].first,
            platform::PlainJoin(h.temp.str(), "", platform::kNativePaths));
  EXPECT_TRUE(h.dialogs.messages.empty());
  EXPECT_EQ(h.Caption("Label5"), " ");
}

TEST(LauncherAtRoot, JoinsWithADoubledSeparator) {
  Harness h(platform::kWindowsPaths);
  h.Start(h.temp.str());
  h.File3().Force("C:\\");
  h.File3().Select("PROG.EXE");
  h.form2().Click("Command5");
  ASSERT_EQ(h.programs.started.size(), 1u);
  EXPECT_EQ(h.programs.started[0].first, "C:\\\\PROG.EXE");
}

TEST_F(Launcher, LeftOrRightPressPopsUpTheRunMenuMiddleDoesNot) {
  h.form2().Raise("Command6", Event::MouseDown, {.button = platform::kMiddleButton});
  EXPECT_TRUE(h.form2().popups.empty());
  h.form2().Raise("Command6", Event::MouseDown, {.button = platform::kLeftButton});
  h.form2().Raise("Command6", Event::MouseDown, {.button = platform::kRightButton});
  EXPECT_EQ(h.form2().popups, (std::vector<std::string>{"rn", "rn"}));
}

TEST(LauncherWindowsPaths, AccessoriesStartTheirFixedPathFirstWithTheirStyles) {
  Harness h(platform::kWindowsPaths);
  h.Start(h.temp.str());
  h.files.existing = {"c:\\windows\\calc.exe", "C:\\Program Files\\Accessories\\MSPAINT.EXE",
                      "C:\\WINDOWS\\cdplayer.exe", "C:\\WINDOWS\\NOTEPAD.EXE"};
  h.programs.succeeds = [](const std::string&) { return true; };
  for (const char* item : {"cal", "pain", "cd", "note"}) h.form2().Click(item);
  EXPECT_EQ(h.programs.started,
            (Started{{"c:\\windows\\calc.exe", WindowStyle::Minimized},
                     {"C:\\Program Files\\Accessories\\MSPAINT.EXE", WindowStyle::Normal},
                     {"C:\\WINDOWS\\cdplayer.exe", WindowStyle::Normal},
                     {"C:\\WINDOWS\\NOTEPAD.EXE", WindowStyle::Normal}}));
  EXPECT_TRUE(h.programs.accessories_asked.empty());
}

TEST_F(Launcher, AccessoriesFallBackToTheSystemsOwnProgramOrDoNothing) {
  // The fixed paths may hold real programs (Windows keeps notepad.exe in its own folder).
  h.files.absent = {"c:\\windows\\calc.exe", "C:\\Program Files\\Accessories\\MSPAINT.EXE",
                    "C:\\WINDOWS\\cdplayer.exe", "C:\\WINDOWS\\NOTEPAD.EXE"};
  h.programs.accessories = {{Accessory::Calculator, "/usr/bin/calc"},
                            {Accessory::Notepad, "/usr/bin/editor"}};
  h.programs.succeeds = [](const std::string&) { return true; };
  for (const char* item : {"cal", "pain", "cd", "note"}) h.form2().Click(item);
  EXPECT_EQ(h.programs.accessories_asked, (std::vector{Accessory::Calculator, Accessory::Paint,
                                                       Accessory::CdPlayer, Accessory::Notepad}));
  EXPECT_EQ(h.programs.started, (Started{{"/usr/bin/calc", WindowStyle::Minimized},
                                         {"/usr/bin/editor", WindowStyle::Normal}}));
  EXPECT_TRUE(h.dialogs.messages.empty());
}

#ifndef _WIN32
// Where '/' separates, the fixed paths name nothing: a file in the working folder whose name
// is one of them is never started in the accessory's place.
TEST(LauncherPosixPaths, AccessoriesIgnoreFilesNamedLikeTheFixedPaths) {
  Harness h(platform::kPosixPaths);
  const std::string working = h.temp.Folder("started here");
  for (const char* name : {"c:\\windows\\calc.exe", "C:\\Program Files\\Accessories\\MSPAINT.EXE",
                           "C:\\WINDOWS\\cdplayer.exe", "C:\\WINDOWS\\NOTEPAD.EXE"}) {
    std::filesystem::permissions(h.temp.Write("started here/" + std::string(name), "#!/bin/sh\n"),
                                 std::filesystem::perms::owner_all);
  }
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(working);
  h.Start(working);
  h.programs.accessories = {{Accessory::Calculator, "/usr/bin/calc"},
                            {Accessory::Paint, "/usr/bin/paint"},
                            {Accessory::CdPlayer, "/usr/bin/player"},
                            {Accessory::Notepad, "/usr/bin/editor"}};
  h.programs.succeeds = [](const std::string&) { return true; };
  for (const char* item : {"cal", "pain", "cd", "note"}) h.form2().Click(item);
  std::filesystem::current_path(before);
  EXPECT_EQ(h.programs.started, (Started{{"/usr/bin/calc", WindowStyle::Minimized},
                                         {"/usr/bin/paint", WindowStyle::Normal},
                                         {"/usr/bin/player", WindowStyle::Normal},
                                         {"/usr/bin/editor", WindowStyle::Normal}}));
}
#endif

TEST_F(Launcher, ClearClipboardEmptiesItWithoutAsking) {
  h.form2().Click("Command4");
  EXPECT_EQ(h.clipboard.clear_count, 1);
  EXPECT_TRUE(h.dialogs.messages.empty());
}

}  // namespace
}  // namespace vantrel::testing
