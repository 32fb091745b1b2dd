// The behaviour every FileSystem has, whatever the platform: the copy, the delete and the guarded
// delete of a move, make folder, file length, file existence, and the refusals they share. Each
// platform's test program instantiates the suites with its own services and Place:
//
//   VANTREL_FILE_SYSTEM_CONTRACT(Native, ::testing::Values(FileSystemMaker{"native", ...}));
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "place.h"
#include "platform/file_system.h"

namespace vantrel::testing {

struct FileSystemMaker {
  const char* label;
  PlaceMaker place;
  std::unique_ptr<platform::FileSystem> (*files)();

  static std::string Name(const ::testing::TestParamInfo<FileSystemMaker>& info) {
    return info.param.label;
  }
  friend void PrintTo(const FileSystemMaker& maker, std::ostream* out) { *out << maker.label; }
};

class FileSystemContract : public ::testing::TestWithParam<FileSystemMaker> {
 protected:
  std::unique_ptr<Place> place = GetParam().place();
  std::unique_ptr<platform::FileSystem> files = GetParam().files();
  Place& box = *place;
};

// The copy, between two folders of the place.
class CopyContract : public FileSystemContract {
 protected:
  std::string source_folder = box.Folder("source");
  std::string destination_folder = box.Folder("destination");
};

// The guarded delete of a move, after the copy of a.txt into the folder "destination".
class GuardedDeleteContract : public FileSystemContract {
 protected:
  void SetUp() override { ASSERT_FALSE(files->CopyFile(source, destination, &copied)); }

  std::string source = box.Write("a.txt", "copied content");
  std::string destination = box.Join(box.Folder("destination"), "a.txt");
  platform::FileVersion copied;
};

#define VANTREL_FILE_SYSTEM_CONTRACT(prefix, makers)                                   \
  INSTANTIATE_TEST_SUITE_P(prefix, FileSystemContract, makers, FileSystemMaker::Name); \
  INSTANTIATE_TEST_SUITE_P(prefix, CopyContract, makers, FileSystemMaker::Name);       \
  INSTANTIATE_TEST_SUITE_P(prefix, GuardedDeleteContract, makers, FileSystemMaker::Name)

}  // namespace vantrel::testing
