// ProgramInfo on POSIX: the executable's folder and the build's version.
#include <string>

#include <gtest/gtest.h>

#include "platform/native.h"
#include "sandbox.h"
#include "version.h"

namespace vantrel::platform {
namespace {

TEST(ProgramInfoTest, FolderHoldsThisTestProgram) {
  const std::string folder = MakeNativeProgramInfo()->Folder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.front(), '/');
  EXPECT_NE(folder.back(), '/');
  EXPECT_TRUE(posix_testing::Exists(folder + "/posix_tests"));
}

TEST(ProgramInfoTest, VersionIsTheBuildsOne) {
  const Version version = MakeNativeProgramInfo()->ProgramVersion();
  EXPECT_EQ(version.major, kVersionMajor);
  EXPECT_EQ(version.minor, kVersionMinor);
  EXPECT_EQ(version.revision, kVersionRevision);
  EXPECT_EQ(version.major * 10000 + version.minor * 100 + version.revision, 10000);
}

}  // namespace
}  // namespace vantrel::platform
