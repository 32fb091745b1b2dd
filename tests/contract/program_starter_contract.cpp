// The program starter's contract: what is no program is not started, and the refusal says so.
#include "program_starter_contract.h"

namespace vantrel::testing {
namespace {

using platform::WindowStyle;

TEST_P(ProgramStarterContract, WhatIsNoProgramIsNotStarted) {
  const std::string folder = box.Folder("folder");
  const std::string text = box.Write("notes.txt", "not a program\n");
  for (const WindowStyle style : {WindowStyle::Normal, WindowStyle::Minimized}) {
    EXPECT_FALSE(starter->Start(box.Path("missing"), style));
    EXPECT_FALSE(starter->Start(text, style));
    EXPECT_FALSE(starter->Start(folder, style));
    EXPECT_FALSE(starter->Start(box.root() + box.separator(), style));  // nothing selected
    EXPECT_FALSE(starter->Start("", style));
  }
}

}  // namespace
}  // namespace vantrel::testing
