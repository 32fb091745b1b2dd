// ProgramInfo on Windows: the running program's folder, and the version from its own record.
#include <gtest/gtest.h>

#include "platform/os_services.h"
#include "version.h"
#include "win32_paths.h"

namespace vantrel::testing {
namespace {

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
