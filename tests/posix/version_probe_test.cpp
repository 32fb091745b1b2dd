// ProgramInfo on POSIX built with the version 2.10.7 (see CMakeLists.txt): each number reaches the
// field of its own name.
#include <gtest/gtest.h>

#include "platform/os_services.h"

namespace vantrel::platform {
namespace {

TEST(ProgramInfoVersionProbe, ReportsMajorMinorAndPatchInTheirOwnFields) {
  const Version version = MakeNativeProgramInfo()->ProgramVersion();
  EXPECT_EQ(version.major, 2);
  EXPECT_EQ(version.minor, 10);
  EXPECT_EQ(version.revision, 7);
}

}  // namespace
}  // namespace vantrel::platform
