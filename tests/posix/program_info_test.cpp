// ProgramInfo on POSIX: the executable's folder and the build's version.
#include <string>

#include <gtest/gtest.h>

#include "platform/os_services.h"
#include "sandbox.h"

namespace vantrel::platform {
namespace {

TEST(ProgramInfoTest, FolderHoldsThisTestProgram) {
  const std::string folder = MakeNativeProgramInfo()->Folder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.front(), '/');
  EXPECT_NE(folder.back(), '/');
  EXPECT_TRUE(posix_testing::Exists(folder + "/posix_tests"));
}

// The numbers come from project() in the top-level CMakeLists.txt, handed to this test by CMake
// itself rather than through the header the program is built with.
TEST(ProgramInfoTest, VersionIsTheOneTheProjectDeclares) {
  const Version version = MakeNativeProgramInfo()->ProgramVersion();
  EXPECT_EQ(version.major, VANTREL_PROJECT_VERSION_MAJOR);
  EXPECT_EQ(version.minor, VANTREL_PROJECT_VERSION_MINOR);
  EXPECT_EQ(version.revision, VANTREL_PROJECT_VERSION_PATCH);
}

}  // namespace
}  // namespace vantrel::platform
