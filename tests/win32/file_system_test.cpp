// Delete, new folder, file length and existence on Windows.
#include <gtest/gtest.h>

#include "lists/listing.h"
#include "platform/folder_reader.h"
#include "platform/os_services.h"
#include "platform/win32/path.h"
#include "win32_paths.h"

namespace vantrel::testing {
namespace {

class FileSystem : public ::testing::Test {
 protected:
  TempFolder temp;
  std::unique_ptr<platform::FileSystem> files = platform::MakeNativeFileSystem();
};

TEST_F(FileSystem, DeleteRemovesOneFileAndNeverAFolder) {
  const std::string file = temp.Write("a.txt", "a");
  const std::string empty = temp.Folder("empty");
  const std::string locked = temp.Write("locked.txt", "keep");
  SetReadOnly(locked, true);

  EXPECT_FALSE(files->DeleteFile(file));
  EXPECT_FALSE(Exists(file));
  EXPECT_TRUE(files->DeleteFile(empty));
  EXPECT_TRUE(files->DeleteFile(empty + "\\"));
  EXPECT_TRUE(files->DeleteFile(temp.str() + "\\"));  // nothing selected names the folder
  EXPECT_TRUE(IsFolder(empty));
  EXPECT_TRUE(files->DeleteFile(locked));  // read-only, as Windows itself refuses
  EXPECT_EQ(ReadAll(locked), "keep");
  EXPECT_TRUE(files->DeleteFile(file));  // already gone
  SetReadOnly(locked, false);
}

TEST_F(FileSystem, MakeFolderMakesOneLevelUnderTheTypedName) {
  EXPECT_FALSE(files->MakeFolder(Join(temp.str(), "New")));
  EXPECT_TRUE(IsFolder(Join(temp.str(), "New")));
  EXPECT_TRUE(files->MakeFolder(Join(temp.str(), "new")));  // names differ only in case
  EXPECT_TRUE(files->MakeFolder(Join(temp.str(), "missing\\child")));
  EXPECT_FALSE(IsFolder(Join(temp.str(), "missing")));
  EXPECT_TRUE(files->MakeFolder(Join(temp.str(), "what?")));
  EXPECT_FALSE(files->MakeFolder(Join(temp.str(), "Caf\xC3\xA9 \xE2\x9C\x93")));
  EXPECT_EQ(RawNames(temp.str()), (std::vector<std::string>{"Caf\xC3\xA9 \xE2\x9C\x93", "New"}));
}

// Windows would make "Old" for "Old." or "Old ": the typed words are kept by making nothing.
TEST_F(FileSystem, NamesThatWindowsWouldShortenAreRefused) {
  for (const char* typed : {"Old.", "Old ", "Old. .", "a.\\b"}) {
    EXPECT_TRUE(files->MakeFolder(Join(temp.str(), typed))) << typed;
  }
  EXPECT_TRUE(RawNames(temp.str()).empty());
}

// Past MAX_PATH every operation still reaches its file.
TEST_F(FileSystem, PathsLongerThanMaxPathWork) {
  std::vector<std::string> levels{temp.str()};
  for (int level = 0; level < 6; ++level) {
    levels.push_back(levels.back() + "\\" + std::string(50, static_cast<char>('a' + level)));
    ASSERT_FALSE(files->MakeFolder(levels.back())) << levels.back().size();
  }
  const std::string folder = levels.back();
  ASSERT_GT(folder.size(), 300u);
  const std::string source = temp.Write("short.txt", "deep");
  const std::string deep = Join(folder, "copy.txt");
  EXPECT_FALSE(files->CopyFile(source, deep));
  EXPECT_EQ(files->FileLength(deep), 4u);
  EXPECT_EQ(files->FileExists(deep), "copy.txt");
  const auto entries = platform::ReadFolder(folder, false);
  ASSERT_TRUE(entries);
  EXPECT_EQ(entries->size(), 1u);
  EXPECT_FALSE(files->DeleteFile(deep));
  EXPECT_EQ(files->FileLength(deep), std::nullopt);
  // The temporary folder's own clean-up stops at MAX_PATH.
  for (std::size_t i = levels.size() - 1; i > 0; --i) {
    EXPECT_TRUE(::RemoveDirectoryW(platform::win32::SystemPath(levels[i]).c_str()));
  }
}

TEST_F(FileSystem, LengthIsSixtyFourBitAndOnlyForFiles) {
  const std::string small = temp.Write("small.bin", std::string(1536, 'x'));
  const std::string big = Join(temp.str(), "big.bin");
  const HANDLE file =
      ::CreateFileW(W(big).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LARGE_INTEGER size{};
  size.QuadPart = 5'000'000'000LL;
  ::SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
  ASSERT_TRUE(::SetEndOfFile(file));
  ::CloseHandle(file);

  EXPECT_EQ(files->FileLength(small), 1536u);
  EXPECT_EQ(files->FileLength(temp.str() + "\\\\small.bin"), 1536u);
  EXPECT_EQ(files->FileLength(big), 5'000'000'000u);
  EXPECT_EQ(files->FileLength(temp.str()), std::nullopt);
  EXPECT_EQ(files->FileLength(Join(temp.str(), "missing")), std::nullopt);
}

TEST_F(FileSystem, ExistsFindsExactlyOneNormalFile) {
  const std::string file = temp.Write("MSINFO32.EXE", "");
  const std::string hidden = temp.Write("hidden.exe", "");
  ::SetFileAttributesW(W(hidden).c_str(), FILE_ATTRIBUTE_HIDDEN);
  temp.Folder("folder.exe");

  EXPECT_EQ(files->FileExists(file), "MSINFO32.EXE");
  EXPECT_EQ(files->FileExists(Join(temp.str(), "msinfo32.exe")), "MSINFO32.EXE");
  EXPECT_EQ(files->FileExists(Join(temp.str(), "*.EXE")), "");
  EXPECT_EQ(files->FileExists(Join(temp.str(), "MSINFO3?.EXE")), "");
  EXPECT_EQ(files->FileExists(hidden), "");
  EXPECT_EQ(files->FileExists(Join(temp.str(), "folder.exe")), "");
  EXPECT_EQ(files->FileExists(temp.str() + "\\"), "");
}

}  // namespace
}  // namespace vantrel::testing
