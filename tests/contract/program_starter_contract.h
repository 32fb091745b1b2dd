// What every ProgramStarter refuses to start. Each platform's test program instantiates the suite
// with its own service and Place:
//
//   VANTREL_PROGRAM_STARTER_CONTRACT(Native, ::testing::Values(ProgramStarterMaker{...}));
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "place.h"
#include "platform/program_starter.h"

namespace vantrel::testing {

struct ProgramStarterMaker {
  const char* label;
  PlaceMaker place;
  std::unique_ptr<platform::ProgramStarter> (*starter)();

  static std::string Name(const ::testing::TestParamInfo<ProgramStarterMaker>& info) {
    return info.param.label;
  }
  friend void PrintTo(const ProgramStarterMaker& maker, std::ostream* out) { *out << maker.label; }
};

class ProgramStarterContract : public ::testing::TestWithParam<ProgramStarterMaker> {
 protected:
  std::unique_ptr<Place> place = GetParam().place();
  std::unique_ptr<platform::ProgramStarter> starter = GetParam().starter();
  Place& box = *place;
};

#define VANTREL_PROGRAM_STARTER_CONTRACT(prefix, makers) \
  INSTANTIATE_TEST_SUITE_P(prefix, ProgramStarterContract, makers, ProgramStarterMaker::Name)

}  // namespace vantrel::testing
