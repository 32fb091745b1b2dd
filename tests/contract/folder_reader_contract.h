// What ReadFolder and ReadFolderSnapshot give on every platform. Each platform's test program
// instantiates the suite with its own Place:
//
//   VANTREL_FOLDER_READER_CONTRACT(Native, ::testing::Values(FolderReaderMaker{"native", ...}));
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "place.h"

namespace vantrel::testing {

struct FolderReaderMaker {
  const char* label;
  PlaceMaker place;

  static std::string Name(const ::testing::TestParamInfo<FolderReaderMaker>& info) {
    return info.param.label;
  }
  friend void PrintTo(const FolderReaderMaker& maker, std::ostream* out) { *out << maker.label; }
};

class FolderReaderContract : public ::testing::TestWithParam<FolderReaderMaker> {
 protected:
  std::unique_ptr<Place> place = GetParam().place();
  Place& box = *place;
};

#define VANTREL_FOLDER_READER_CONTRACT(prefix, makers) \
  INSTANTIATE_TEST_SUITE_P(prefix, FolderReaderContract, makers, FolderReaderMaker::Name)

}  // namespace vantrel::testing
