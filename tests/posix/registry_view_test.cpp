// The registry view on POSIX: the system-information tool's path with the Windows status codes.
#include <cstring>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "platform/os_services.h"
#include "platform/posix/registry_view.h"
#include "sandbox.h"

namespace vantrel::testing {

namespace posix = platform::posix;
using platform::kErrorAccessDenied;
using platform::kErrorFileNotFound;
using platform::kErrorMoreData;
using platform::kErrorSuccess;
using platform::kHkeyLocalMachine;
using platform::kKeyQueryValue;
using platform::kKeyRead;
using platform::kRegSz;
using platform::MakeNativeRegistry;
using platform::Registry;
using platform::RegistryKey;

namespace {

using posix::kMsinfoKey;

posix::EnvironmentLookup FixedEnvironment(std::map<std::string, std::string> values) {
  return [values](const std::string& name) -> std::optional<std::string> {
    const auto found = values.find(name);
    if (found == values.end()) return std::nullopt;
    return found->second;
  };
}

class RegistryViewTest : public ::testing::Test {
 protected:
  Sandbox box;
  std::string tools = box.Folder("tools");
  std::unique_ptr<Registry> registry =
      posix::MakeRegistryView(tools, FixedEnvironment({{"HOME", "/home/ann"}, {"E", ""}}));

  RegistryKey OpenMsinfo() {
    RegistryKey key = 0;
    EXPECT_EQ(registry->OpenKey(kHkeyLocalMachine, kMsinfoKey, kKeyRead, &key), kErrorSuccess);
    EXPECT_NE(key, 0u);
    return key;
  }
};

TEST_F(RegistryViewTest, AnswersTheToolPathWithSizesAsWindowsDoes) {
  const std::string tool = box.Write("tools/hardinfo", "", 0755);
  const RegistryKey key = OpenMsinfo();
  const auto needed = static_cast<std::uint32_t>(tool.size() + 1);

  std::uint32_t type = 0;
  std::uint32_t size = 0;
  EXPECT_EQ(registry->QueryValue(key, "PATH", &type, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(size, needed);

  unsigned char small[4] = {'x', 'x', 'x', 'x'};
  size = sizeof small;
  EXPECT_EQ(registry->QueryValue(key, "PATH", &type, small, &size), kErrorMoreData);
  EXPECT_EQ(size, needed);
  EXPECT_EQ(std::memcmp(small, "xxxx", 4), 0);

  unsigned char buffer[1024] = {};
  size = sizeof buffer;
  type = 0;
  EXPECT_EQ(registry->QueryValue(key, "path", &type, buffer, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, needed);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), size), tool + '\0');

  size = sizeof buffer;
  EXPECT_EQ(registry->QueryValue(key, "MSINFO", &type, buffer, &size), kErrorFileNotFound);
  EXPECT_EQ(registry->CloseKey(key), kErrorSuccess);
  EXPECT_EQ(registry->QueryValue(key, "PATH", &type, buffer, &size), posix::kErrorInvalidHandle);
  EXPECT_EQ(registry->CloseKey(key), posix::kErrorInvalidHandle);
}

TEST_F(RegistryViewTest, TheKeyIsFoundWhateverItsLetterCase) {
  box.Write("tools/gnome-system-monitor", "", 0755);
  RegistryKey key = 0;
  EXPECT_EQ(registry->OpenKey(kHkeyLocalMachine, "software\\microsoft\\shared tools\\msinfo",
                              kKeyRead, &key),
            kErrorSuccess);
  registry->CloseKey(key);
}

TEST_F(RegistryViewTest, PrefersTheToolsInTheirListOrder) {
  box.Write("tools/hardinfo", "", 0755);
  box.Write("tools/kinfocenter", "", 0755);
  const RegistryKey key = OpenMsinfo();
  unsigned char buffer[1024] = {};
  std::uint32_t size = sizeof buffer;
  ASSERT_EQ(registry->QueryValue(key, "PATH", nullptr, buffer, &size), kErrorSuccess);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer)), tools + "/kinfocenter");
  registry->CloseKey(key);
}

TEST_F(RegistryViewTest, WithoutAToolTheKeyIsAbsent) {
  box.Write("tools/hardinfo", "", 0644);  // not executable
  RegistryKey key = 7;
  EXPECT_EQ(registry->OpenKey(kHkeyLocalMachine, kMsinfoKey, kKeyRead, &key), kErrorFileNotFound);
  EXPECT_EQ(key, 0u);
}

TEST_F(RegistryViewTest, EveryOtherKeyIsAbsent) {
  box.Write("tools/hardinfo", "", 0755);
  RegistryKey key = 0;
  EXPECT_EQ(registry->OpenKey(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools Location",
                              kKeyRead, &key),
            kErrorFileNotFound);
  EXPECT_EQ(registry->OpenKey(kHkeyLocalMachine, "SOFTWARE", kKeyRead, &key), kErrorFileNotFound);
  EXPECT_EQ(registry->OpenKey(0x80000001u, kMsinfoKey, kKeyRead, &key), kErrorFileNotFound);
  EXPECT_EQ(registry->OpenKey(0x1234u, kMsinfoKey, kKeyRead, &key), posix::kErrorInvalidHandle);
}

// The view is read-only, so full access is denied as it is to a user without write rights.
TEST_F(RegistryViewTest, WriteAccessIsDenied) {
  box.Write("tools/hardinfo", "", 0755);
  RegistryKey key = 0;
  EXPECT_EQ(registry->OpenKey(kHkeyLocalMachine, kMsinfoKey, 0x2003F, &key), kErrorAccessDenied);
  EXPECT_EQ(registry->OpenKey(kHkeyLocalMachine, kMsinfoKey, kKeyQueryValue, &key), kErrorSuccess);
  registry->CloseKey(key);
}

TEST_F(RegistryViewTest, ExpandsSetVariablesAndLeavesTheRest) {
  EXPECT_EQ(registry->ExpandEnvironment("%HOME%\\bin"), "/home/ann\\bin");
  EXPECT_EQ(registry->ExpandEnvironment("a%E%b"), "ab");
  EXPECT_EQ(registry->ExpandEnvironment("%UNSET%\\x"), "%UNSET%\\x");
  EXPECT_EQ(registry->ExpandEnvironment("100%% sure"), "100%% sure");
  EXPECT_EQ(registry->ExpandEnvironment("50% off"), "50% off");
  EXPECT_EQ(registry->ExpandEnvironment("%UNSET%HOME%"), "%UNSET/home/ann");
  EXPECT_EQ(registry->ExpandEnvironment("no references"), "no references");
  EXPECT_EQ(registry->ExpandEnvironment(""), "");
}

TEST(NativeRegistryTest, ExpandsTheProcessEnvironment) {
  ::setenv("VANTREL_TEST_VALUE", "value", 1);
  EXPECT_EQ(MakeNativeRegistry()->ExpandEnvironment("<%VANTREL_TEST_VALUE%>"), "<value>");
}

}  // namespace
}  // namespace vantrel::testing
