// The delete that ends a move: it removes the source only while its name still leads to the
// version that was copied, and refuses what DeleteFile refuses.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <thread>

#include "platform/os_services.h"
#include "platform/win32/unique_handle.h"
#include "win32_paths.h"

namespace vantrel::testing {
namespace {

class GuardedDelete : public ::testing::Test {
 protected:
  void SetUp() override {
    source = temp.Write("report.txt", "first version");
    ASSERT_FALSE(files->CopyFile(source, Join(temp.Folder("copies"), "report.txt"), &copied));
  }
  // Writes over the start of the file, which keeps its size.
  static void Overwrite(const std::string& path, const std::string& content) {
    platform::win32::UniqueHandle file(
        ::CreateFileW(W(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    DWORD written = 0;
    ::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  }

  TempFolder temp;
  std::unique_ptr<platform::FileSystem> files = platform::MakeNativeFileSystem();
  std::string source;
  platform::FileVersion copied;
};

TEST_F(GuardedDelete, RemovesTheUnchangedSourceUnderAnySpellingOfItsName) {
  std::string upper = source;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_FALSE(files->DeleteCopiedFile(upper, copied));
  EXPECT_FALSE(Exists(source));
  EXPECT_EQ(RawNames(temp.str()), std::vector<std::string>{"copies"});
  EXPECT_TRUE(files->DeleteCopiedFile(source, copied));  // gone already
}

TEST_F(GuardedDelete, KeepsASourceSavedOverOrChangedSinceTheCopy) {
  // Another program saved a new file under the name: same size, same write time, another file.
  const std::string aside = Join(temp.str(), "aside.txt");
  temp.Write("new.txt", "other version");
  ASSERT_TRUE(::MoveFileW(W(source).c_str(), W(aside).c_str()));
  ASSERT_TRUE(::MoveFileW(W(Join(temp.str(), "new.txt")).c_str(), W(source).c_str()));
  const HANDLE file = ::CreateFileW(W(source).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  FILETIME time{static_cast<DWORD>(copied.modified), static_cast<DWORD>(copied.modified >> 32)};
  ::SetFileTime(file, nullptr, nullptr, &time);
  ::CloseHandle(file);
  EXPECT_TRUE(files->DeleteCopiedFile(source, copied));
  EXPECT_EQ(ReadAll(source), "other version");

  // The copied file itself, written to since: as long as it was, but later.
  ASSERT_TRUE(::MoveFileExW(W(aside).c_str(), W(source).c_str(), MOVEFILE_REPLACE_EXISTING));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // past the clock's last tick
  Overwrite(source, "FIRST");
  EXPECT_TRUE(files->DeleteCopiedFile(source, copied));
  EXPECT_EQ(ReadAll(source), "FIRST version");
  // Or longer.
  temp.Write("report.txt", "first version, and more");
  EXPECT_TRUE(files->DeleteCopiedFile(source, copied));
  EXPECT_EQ(ReadAll(source), "first version, and more");
}

TEST_F(GuardedDelete, RefusesWhatDeleteRefusesAndAFileInUse) {
  SetReadOnly(source, true);
  EXPECT_TRUE(files->DeleteCopiedFile(source, copied));
  EXPECT_TRUE(Exists(source));
  SetReadOnly(source, false);
  {
    // Being written by another program: it could change between the check and the delete.
    platform::win32::UniqueHandle writer(::CreateFileW(W(source).c_str(), GENERIC_WRITE,
                                                       FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                                       OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer.valid());
    EXPECT_TRUE(files->DeleteCopiedFile(source, copied));
    EXPECT_TRUE(Exists(source));
  }
  const std::string folder = temp.Folder("folder");
  EXPECT_TRUE(files->DeleteCopiedFile(folder, copied));
  EXPECT_TRUE(files->DeleteCopiedFile(temp.str() + "\\", copied));  // nothing selected
  EXPECT_TRUE(IsFolder(folder));
  EXPECT_FALSE(files->DeleteCopiedFile(source, copied));  // and once nothing stands in the way
  EXPECT_FALSE(Exists(source));
}

}  // namespace
}  // namespace vantrel::testing
