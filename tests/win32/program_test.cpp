// Starting programs, the accessories, and the program's own folder and version on Windows.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/os_services.h"
#include "version.h"
#include "win32_paths.h"

namespace vantrel::testing {
namespace {

using platform::WindowStyle;

// Waits for the marker the stand-in program writes; its first line is the show command it got.
std::string WaitForMarker(const std::string& program) {
  const std::string marker = program + ".ran";
  for (int i = 0; i < 200 && !Exists(marker); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const std::string text = ReadAll(marker);
  return text.substr(0, text.find_first_of("\r\n"));
}

class Starting : public ::testing::Test {
 protected:
  std::string Install(const std::string& name) {
    const std::string path = Join(temp.str(), name);
    EXPECT_TRUE(::CopyFileW(W(Join(TestProgramFolder(), "win32_marker_program.exe")).c_str(),
                            W(path).c_str(), TRUE));
    return path;
  }
  TempFolder temp;
  std::unique_ptr<platform::ProgramStarter> programs = platform::MakeNativeProgramStarter();
};

TEST_F(Starting, StartsThatExactFileWithItsWindowStyle) {
  const std::string odd = Install("my tool; & $(x) \xC3\xA9.exe");
  ASSERT_TRUE(programs->Start(odd, WindowStyle::Minimized));
  EXPECT_EQ(WaitForMarker(odd), std::to_string(SW_SHOWMINIMIZED));
  const std::string plain = Install("plain.exe");
  ASSERT_TRUE(programs->Start(plain, WindowStyle::Normal));
  EXPECT_EQ(WaitForMarker(plain), std::to_string(SW_SHOWNORMAL));
}

TEST_F(Starting, NothingThatIsNoProgramStarts) {
  // A batch file would run through the command interpreter: refused, so its marker never comes.
  const std::string marker = Join(temp.str(), "batch ran");
  for (const char* name : {"run.bat", "run.CMD", "run.bat. "}) {
    std::ofstream(std::filesystem::path(W(Join(temp.str(), name))))
        << "echo x > \"" << marker << "\"\r\n";
    EXPECT_FALSE(programs->Start(Join(temp.str(), name), WindowStyle::Normal)) << name;
  }
  // A NUL would end the path at the system's call, at the batch file the name's end hides.
  EXPECT_FALSE(programs->Start(Join(temp.str(), "run.bat") + std::string(1, '\0') + "\\plain.exe",
                               WindowStyle::Normal));
  temp.Write("notes.txt", "not a program");
  EXPECT_FALSE(programs->Start(Join(temp.str(), "notes.txt"), WindowStyle::Normal));
  EXPECT_FALSE(programs->Start(Join(temp.str(), "missing.exe"), WindowStyle::Normal));
  EXPECT_FALSE(programs->Start(temp.str() + "\\", WindowStyle::Normal));
  EXPECT_FALSE(programs->Start("", WindowStyle::Normal));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(Exists(marker));
}

TEST(Accessories, AreTheSystemFoldersOwnProgramsWhereThereAreAny) {
  const auto programs = platform::MakeNativeProgramStarter();
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  const std::string notepad = programs->FindAccessory(platform::Accessory::Notepad);
  EXPECT_EQ(notepad, platform::win32::Narrow(system) + "\\notepad.exe");
  EXPECT_TRUE(Exists(notepad));
  EXPECT_EQ(programs->FindAccessory(platform::Accessory::CdPlayer), "");
  const std::string calculator = programs->FindAccessory(platform::Accessory::Calculator);
  EXPECT_EQ(calculator.empty(), !Exists(platform::win32::Narrow(system) + "\\calc.exe"));
}

// This test program carries a version record of its own (2.10.7), unlike the numbers set in
// the build (1.0.0): the version comes from the record.
TEST(ProgramInfo, FolderAndVersionAreThoseOfTheRunningProgram) {
  const auto program = platform::MakeNativeProgramInfo();
  EXPECT_EQ(program->Folder(), TestProgramFolder());
  const platform::Version version = program->ProgramVersion();
  EXPECT_EQ(version.major, 2);
  EXPECT_EQ(version.minor, 10);
  EXPECT_EQ(version.revision, 7);
  EXPECT_NE(kVersionMinor, 10);
}

}  // namespace
}  // namespace vantrel::testing
