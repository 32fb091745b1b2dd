// The registry reader against Wine's real registry, with values written by "wine reg add"
// (registry_values.sh) before these tests run.
#include <gtest/gtest.h>

#include "about/frm_about.h"
#include "fake_services.h"
#include "fake_window.h"
#include "platform/os_services.h"
#include "win32_paths.h"

namespace vantrel::testing {
namespace {

using platform::kHkeyLocalMachine;

constexpr const char* kTestKey = "SOFTWARE\\Vantrel Tests";

class RealRegistry : public ::testing::Test {
 protected:
  bool Read(const std::string& name, std::string& value, const char* key = kTestKey) {
    return about::GetKeyValue(*registry, kHkeyLocalMachine, key, name, value);
  }
  std::unique_ptr<platform::Registry> registry = platform::MakeNativeRegistry();
};

TEST_F(RealRegistry, ReadsStringsNumbersAndExpandableStrings) {
  std::string value;
  ASSERT_TRUE(Read("Text", value)) << "run registry_values.sh first";
  EXPECT_EQ(value, "C:\\Tools\\tool.exe");
  EXPECT_TRUE(Read("Number", value));
  EXPECT_EQ(value, "&hA01");
  EXPECT_TRUE(Read("Expandable", value));
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  EXPECT_EQ(W(value).size(), std::wstring(system).size());
  EXPECT_EQ(::CompareStringOrdinal(W(value).c_str(), -1, system, -1, TRUE), CSTR_EQUAL) << value;
  value = "stale";
  EXPECT_TRUE(Read("Empty", value));
  EXPECT_EQ(value, "");
}

TEST_F(RealRegistry, ReadsUpTo1024BytesAndFailsBeyond) {
  std::string value;
  EXPECT_TRUE(Read("Exactly1024", value));
  EXPECT_EQ(value, std::string(1023, 'a'));
  value = "stale";
  EXPECT_FALSE(Read("Over1024", value));
  EXPECT_EQ(value, "");

  platform::RegistryKey key = 0;
  ASSERT_EQ(registry->OpenKey(kHkeyLocalMachine, kTestKey, platform::kKeyRead, &key), 0);
  unsigned char buffer[1024];
  std::uint32_t type = 0, size = sizeof buffer;
  EXPECT_EQ(registry->QueryValue(key, "Over1024", &type, buffer, &size), platform::kErrorMoreData);
  EXPECT_EQ(size, 1025u);
  size = sizeof buffer;
  EXPECT_EQ(registry->QueryValue(key, "Empty", &type, buffer, &size), platform::kErrorSuccess);
  EXPECT_EQ(type, platform::kRegSz);
  EXPECT_EQ(size, 1u);
  size = sizeof buffer;
  EXPECT_EQ(registry->QueryValue(key, "Absent", &type, buffer, &size),
            platform::kErrorFileNotFound);
  EXPECT_EQ(registry->CloseKey(key), 0);
}

TEST_F(RealRegistry, MissingKeysAndValuesReadAsFailures) {
  std::string value = "stale";
  EXPECT_FALSE(Read("Text", value, "SOFTWARE\\Vantrel Tests\\No Such Key"));
  EXPECT_EQ(value, "");
  value = "stale";
  EXPECT_FALSE(Read("Absent", value));
  EXPECT_EQ(value, "");
}

// Wine keeps the MSInfo key without a PATH value and has no "Shared Tools Location" key: the
// button says the tool is unavailable.
TEST(SystemInformation, IsUnavailableUnderThisRegistry) {
  FakeWindowSystem windows(platform::kWindowsPaths);
  ScriptedDialogs dialogs;
  RecordingFileSystem files(platform::MakeNativeFileSystem());
  RecordingProgramStarter programs;
  FakeClipboard clipboard;
  const auto registry = platform::MakeNativeRegistry();
  FakeProgramInfo program;
  form::Services services{windows,   files,     dialogs, programs,
                          clipboard, *registry, program, platform::kWindowsPaths};
  about::FrmAbout dialog(services);
  dialogs.answers = {platform::Answer::Ok};
  about::StartSysInfo(dialog);
  EXPECT_TRUE(programs.started.empty());
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].prompt, "System Information Is Unavailable At This Time");
}

}  // namespace
}  // namespace vantrel::testing
