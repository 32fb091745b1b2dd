// FileSystem on Windows: the contract every FileSystem keeps (tests/contract), and what is
// Windows's own: names that differ only in case, names Windows would shorten, paths past
// MAX_PATH, hidden files and wildcards, a file another program holds open.
#include <gtest/gtest.h>

#include <cctype>

#include "contract_place.h"
#include "file_system_contract.h"
#include "lists/listing.h"
#include "platform/folder_reader.h"
#include "platform/os_services.h"
#include "platform/win32/path.h"
#include "platform/win32/unique_handle.h"
#include "win32_paths.h"

namespace vantrel::testing {

using platform::FileSystem;

namespace {

class FileSystem : public ::testing::Test {
 protected:
  TempFolder temp;
  std::unique_ptr<platform::FileSystem> files = platform::MakeNativeFileSystem();
};

TEST_F(FileSystem, MakeFolderTakesTheTypedNameAndRefusesOneDifferingOnlyInCase) {
  EXPECT_FALSE(files->MakeFolder(Join(temp.str(), "New")));
  EXPECT_TRUE(files->MakeFolder(Join(temp.str(), "new")));  // names differ only in case
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

TEST_F(FileSystem, LengthReadsAPathWithADoubledSeparator) {
  temp.Write("small.bin", std::string(1536, 'x'));
  EXPECT_EQ(files->FileLength(temp.str() + "\\\\small.bin"), 1536u);
}

TEST_F(FileSystem, ExistsFindsExactlyOneNormalFile) {
  const std::string file = temp.Write("MSINFO32.EXE", "");
  const std::string hidden = temp.Write("hidden.exe", "");
  ::SetFileAttributesW(W(hidden).c_str(), FILE_ATTRIBUTE_HIDDEN);

  EXPECT_EQ(files->FileExists(file), "MSINFO32.EXE");
  EXPECT_EQ(files->FileExists(Join(temp.str(), "msinfo32.exe")), "MSINFO32.EXE");
  EXPECT_EQ(files->FileExists(Join(temp.str(), "*.EXE")), "");
  EXPECT_EQ(files->FileExists(Join(temp.str(), "MSINFO3?.EXE")), "");
  EXPECT_EQ(files->FileExists(hidden), "");
}

// ---- The delete that ends a move, beyond the contract.

class GuardedDelete : public FileSystem {
 protected:
  void SetUp() override {
    source = temp.Write("report.txt", "first version");
    ASSERT_FALSE(files->CopyFile(source, Join(temp.Folder("copies"), "report.txt"), &copied));
  }

  std::string source;
  platform::FileVersion copied;
};

TEST_F(GuardedDelete, RemovesTheUnchangedSourceUnderAnySpellingOfItsName) {
  EXPECT_NE(copied.volume, 0u);
  std::string upper = source;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_FALSE(files->DeleteCopiedFile(upper, copied));
  EXPECT_FALSE(Exists(source));
  EXPECT_EQ(RawNames(temp.str()), std::vector<std::string>{"copies"});
}

// Being written by another program: it could change between the check and the delete.
TEST_F(GuardedDelete, RefusesAFileInUse) {
  {
    platform::win32::UniqueHandle writer(::CreateFileW(W(source).c_str(), GENERIC_WRITE,
                                                       FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                                       OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer.valid());
    EXPECT_TRUE(files->DeleteCopiedFile(source, copied));
    EXPECT_TRUE(Exists(source));
  }
  EXPECT_FALSE(files->DeleteCopiedFile(source, copied));  // and once nothing stands in the way
  EXPECT_FALSE(Exists(source));
}

}  // namespace
}  // namespace vantrel::testing

namespace vantrel::testing {
VANTREL_FILE_SYSTEM_CONTRACT(Win32,
                             ::testing::Values(FileSystemMaker{"native", testing::MakePlace,
                                                               platform::MakeNativeFileSystem}));
}  // namespace vantrel::testing
