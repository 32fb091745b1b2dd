// The version record that Vantrel.exe carries, as Explorer and the About dialog read it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win32_paths.h"

namespace vantrel::testing {
namespace {

class VersionRecord : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t path[MAX_PATH * 4] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring exe = path;
    exe = exe.substr(0, exe.find_last_of(L'\\')) + L"\\Vantrel.exe";
    DWORD ignored = 0;
    block.resize(::GetFileVersionInfoSizeW(exe.c_str(), &ignored));
    ASSERT_FALSE(block.empty()) << "Vantrel.exe has no version record";
    ASSERT_TRUE(
        ::GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
  }
  std::string Text(const wchar_t* name) {
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!::VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) {
      return "<none>";
    }
    return platform::win32::Narrow(std::wstring(value, length > 0 ? length - 1 : 0));
  }
  std::vector<unsigned char> block;
};

// The numbers are those given to project() in the top-level CMakeLists.txt, handed to this test
// by CMake itself; the texts show the major number and the minor one in two digits ("1.00").
TEST_F(VersionRecord, CarriesTheProjectsVersionAndTheProductTexts) {
  constexpr int kMajor = VANTREL_PROJECT_VERSION_MAJOR;
  constexpr int kMinor = VANTREL_PROJECT_VERSION_MINOR;
  constexpr int kPatch = VANTREL_PROJECT_VERSION_PATCH;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(kMinor, kMajor)));
  EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, kPatch)));
  EXPECT_EQ(fixed->dwProductVersionMS, static_cast<DWORD>(MAKELONG(kMinor, kMajor)));
  EXPECT_EQ(fixed->dwProductVersionLS, static_cast<DWORD>(MAKELONG(0, kPatch)));
  const std::string text =
      std::to_string(kMajor) + (kMinor < 10 ? ".0" : ".") + std::to_string(kMinor);
  EXPECT_EQ(Text(L"FileVersion"), text);
  EXPECT_EQ(Text(L"ProductVersion"), text);
  EXPECT_EQ(Text(L"ProductName"), "Vantrel");
  EXPECT_EQ(Text(L"InternalName"), "Vantrel");
  EXPECT_EQ(Text(L"OriginalFilename"), "Vantrel.exe");
  EXPECT_NE(Text(L"CompanyName").find("Vantrel developers"), std::string::npos);
  EXPECT_NE(Text(L"Comments").find("December 2026"), std::string::npos);
}

}  // namespace
}  // namespace vantrel::testing
