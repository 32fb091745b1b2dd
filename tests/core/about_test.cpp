// The About dialog's life, the registry reader and the system-information launcher.
#include <gtest/gtest.h>

#include "about/frm_about.h"
#include "harness.h"

namespace vantrel::testing {
namespace {

using platform::Answer;
using platform::kHkeyLocalMachine;
using platform::WindowStyle;

constexpr const char* kMsinfo = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kLocation = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr const char* kUnavailable = "System Information Is Unavailable At This Time";

class AboutDialog : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(h.temp.str()); }
  FakeWindow& About() { return *h.about(); }
  Harness h;
};

TEST_F(AboutDialog, FirstAboutLoadsTheDialogWithItsTexts) {
  EXPECT_EQ(h.about(), nullptr);
  h.form2().Click("ab");
  ASSERT_NE(h.about(), nullptr);
  EXPECT_TRUE(About().IsLoaded());
  EXPECT_EQ(About().Caption(), "About Vantrel ");
  EXPECT_EQ(About().Text("lblTitle").Caption(), "Vantrel");
  EXPECT_EQ(About().Text("lblVersion").Caption(), "Version 1.0.0");
}

TEST_F(AboutDialog, VersionLineComesFromTheProgramVersion) {
  h.program.version = {2, 10, 7};
  h.form2().Click("ab");
  EXPECT_EQ(About().Text("lblVersion").Caption(), "Version 2.10.7");
}

TEST_F(AboutDialog, AboutWhileOpenBringsTheSameDialogForwardWithoutReloading) {
  h.form2().Click("ab");
  About().Text("lblTitle").SetCaption("changed");
  h.form2().Click("ab");
  EXPECT_EQ(h.windows.CreatedCount("frmAbout"), 1);
  EXPECT_EQ(About().load_count, 1);
  EXPECT_EQ(About().front_count, 1);
  EXPECT_EQ(About().Text("lblTitle").Caption(), "changed");
}

TEST_F(AboutDialog, OkOrTheCloseBoxUnloadsAndTheNextAboutLoadsAfresh) {
  h.form2().Click("ab");
  About().Click("cmdOK");
  EXPECT_FALSE(About().IsLoaded());
  h.form2().Click("ab");
  EXPECT_TRUE(About().IsLoaded());
  EXPECT_EQ(About().load_count, 2);
  About().Unload();  // the close box: no handler runs
  h.form2().Click("ab");
  EXPECT_EQ(About().load_count, 3);
  EXPECT_EQ(h.windows.CreatedCount("frmAbout"), 1);
}

TEST_F(AboutDialog, SystemInfoStartsTheToolNamedByThePathValue) {
  const std::string tool = h.temp.Write("msinfo", "");
  h.registry.SetString(kMsinfo, "PATH", tool);
  h.registry.SetString(kLocation, "MSINFO", h.temp.str());
  h.form2().Click("ab");
  About().Click("cmdSysInfo");
  EXPECT_EQ(h.programs.started,
            (std::vector<std::pair<std::string, WindowStyle>>{{tool, WindowStyle::Normal}}));
  EXPECT_EQ(h.registry.keys_opened, std::vector<std::string>{kMsinfo});
  EXPECT_TRUE(h.dialogs.messages.empty());
}

TEST_F(AboutDialog, SystemInfoFallsBackToTheToolsFolder) {
  const std::string folder = h.temp.Folder("tools");
  h.registry.SetString(kLocation, "MSINFO", folder);
  h.form2().Click("ab");
  h.dialogs.answers = {Answer::Ok};
  About().Click("cmdSysInfo");  // the folder holds no tool yet
  ASSERT_EQ(h.dialogs.messages.size(), 1u);
  EXPECT_EQ(h.dialogs.messages[0].prompt, kUnavailable);
  EXPECT_EQ(h.dialogs.messages[0].style, platform::kOkOnly);
  EXPECT_EQ(h.dialogs.messages[0].title, "");
  EXPECT_TRUE(h.programs.started.empty());

  const std::string tool = h.temp.Write("tools/MSINFO32.EXE", "");
  About().Click("cmdSysInfo");
  ASSERT_EQ(h.programs.started.size(), 1u);
  EXPECT_EQ(h.programs.started[0].first, tool);
}

TEST_F(AboutDialog, SystemInfoSaysUnavailableWhenTheLookupOrStartFails) {
  h.form2().Click("ab");
  auto expect_message = [&](const char* why) {
    h.dialogs.messages.clear();
    h.dialogs.answers = {Answer::Ok};
    About().Click("cmdSysInfo");
    ASSERT_EQ(h.dialogs.messages.size(), 1u) << why;
    EXPECT_EQ(h.dialogs.messages[0].prompt, kUnavailable) << why;
  };
  expect_message("no key at all");
  h.registry.SetString(kMsinfo, "PATH", h.temp.str() + "/missing.exe");
  h.registry.SetString(kLocation, "MSINFO", h.temp.str());
  h.temp.Write("MSINFO32.EXE", "");
  h.registry.keys_opened.clear();
  expect_message("path names a missing file");
  EXPECT_EQ(h.registry.keys_opened, std::vector<std::string>{kMsinfo});
  h.registry.SetRaw(kMsinfo, "PATH", {platform::kRegBinary, {1, 2, 3}});
  expect_message("path of another type");
  h.registry.open_status = platform::kErrorAccessDenied;
  expect_message("keys cannot be opened");
  EXPECT_TRUE(h.registry.open_handles.empty());
}

// GetKeyValue against the in-memory registry: every outcome, and the key always closed.
class KeyValue : public ::testing::Test {
 protected:
  bool Read(const std::string& name, std::string& value, const std::string& key = "K") {
    const bool ok = about::GetKeyValue(registry, kHkeyLocalMachine, key, name, value);
    EXPECT_TRUE(registry.open_handles.empty()) << name;
    return ok;
  }
  InMemoryRegistry registry;
};

TEST_F(KeyValue, ReadsStringsNumbersAndExpandableStrings) {
  registry.SetString("K", "text", "C:\\Tools\\tool.exe");
  registry.SetDword("K", "one", 1);
  registry.SetDword("K", "big", 2561);
  registry.SetDword("K", "high", 0xFF000001u);
  registry.SetString("K", "expand", "%ROOT%\\tool.exe;%UNSET%", platform::kRegExpandSz);
  registry.environment["ROOT"] = "C:\\Windows";
  std::string value;
  EXPECT_TRUE(Read("text", value));
  EXPECT_EQ(value, "C:\\Tools\\tool.exe");
  EXPECT_TRUE(Read("one", value));
  EXPECT_EQ(value, "&h1");
  EXPECT_TRUE(Read("big", value));
  EXPECT_EQ(value, "&hA01");
  EXPECT_TRUE(Read("high", value));
  EXPECT_EQ(value, "&hFF000001");
  EXPECT_TRUE(Read("expand", value));
  EXPECT_EQ(value, "C:\\Windows\\tool.exe;%UNSET%");
  // A string ends at its first NUL, as Windows reads it, with or without a NUL at the end.
  const std::vector<unsigned char> cut = {'r', 'u', 'n', '.', 'b', 'a', 't', 0, '.', 'e', 'x', 'e'};
  registry.SetRaw("K", "cut", {platform::kRegSz, cut});
  registry.SetRaw("K", "cut expand", {platform::kRegExpandSz, cut});
  EXPECT_TRUE(Read("cut", value));
  EXPECT_EQ(value, "run.bat");
  EXPECT_TRUE(Read("cut expand", value));
  EXPECT_EQ(value, "run.bat");
  EXPECT_EQ(registry.access_asked, std::vector<std::uint32_t>(7, platform::kKeyRead));
}

TEST_F(KeyValue, OtherTypesLeaveTheTextAndEmptyValuesReadEmpty) {
  registry.SetRaw("K", "binary", {platform::kRegBinary, {0x41, 0x42}});
  std::string value = "as before";
  EXPECT_TRUE(Read("binary", value));
  EXPECT_EQ(value, "as before");
  // No data at all reads as no text, whatever the type.
  for (const std::uint32_t type :
       {platform::kRegSz, platform::kRegExpandSz, platform::kRegDword, platform::kRegBinary}) {
    registry.SetRaw("K", "empty", {type, {}});
    value = "stale";
    EXPECT_TRUE(Read("empty", value)) << type;
    EXPECT_EQ(value, "") << type;
  }
}

TEST_F(KeyValue, ReadsUpTo1024BytesAndFailsBeyond) {
  registry.SetString("K", "fits", std::string(1023, 'a'));  // 1024 bytes with its NUL
  registry.SetString("K", "too long", std::string(1024, 'b'));
  std::string value;
  EXPECT_TRUE(Read("fits", value));
  EXPECT_EQ(value, std::string(1023, 'a'));
  value = "stale";
  EXPECT_FALSE(Read("too long", value));
  EXPECT_EQ(value, "");
}

TEST_F(KeyValue, MissingKeyOrValueFailsWithAnEmptyText) {
  registry.SetString("K", "there", "x");
  std::string value = "stale";
  EXPECT_FALSE(Read("absent", value));
  EXPECT_EQ(value, "");
  value = "stale";
  EXPECT_FALSE(Read("there", value, "No\\Such\\Key"));
  EXPECT_EQ(value, "");
}

}  // namespace
}  // namespace vantrel::testing
