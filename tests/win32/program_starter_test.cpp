// ProgramStarter on Windows: the contract every starter keeps (tests/contract), and what is
// Windows's own: the window style reaches the program, batch files are refused, the accessories
// are the system folder's.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "contract_place.h"
#include "platform/os_services.h"
#include "program_starter_contract.h"
#include "win32_paths.h"

namespace vantrel::testing {

using platform::WindowStyle;

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

// A missing file, a text file, a folder are the contract's (ProgramStarterContract).
TEST_F(Starting, BatchFilesAreNotStarted) {
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

}  // namespace
}  // namespace vantrel::testing

namespace vantrel::testing {
VANTREL_PROGRAM_STARTER_CONTRACT(Win32, ::testing::Values(ProgramStarterMaker{
                                            "native", testing::MakePlace,
                                            platform::MakeNativeProgramStarter}));
}  // namespace vantrel::testing
