// FileSystem on POSIX besides the copy: delete, make a folder, file length, file existence.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/native.h"
#include "sandbox.h"

namespace vantrel::platform {
namespace {

using posix_testing::Exists;
using posix_testing::NamesIn;
using posix_testing::ReadFile;
using posix_testing::Sandbox;
using posix_testing::StatOf;

class FileSystemTest : public ::testing::Test {
 protected:
  Sandbox box;
  std::unique_ptr<FileSystem> files = MakeNativeFileSystem();
};

// ---- DeleteFile: one file, never a folder.

TEST_F(FileSystemTest, DeleteRemovesTheFile) {
  const std::string file = box.Write("a.txt", "a");
  box.Write("b.txt", "b");
  EXPECT_FALSE(files->DeleteFile(file));
  EXPECT_EQ(NamesIn(box.path()), std::vector<std::string>{"b.txt"});
}

TEST_F(FileSystemTest, DeleteRemovesALinkItselfNeverItsTarget) {
  const std::string target = box.Write("target.txt", "kept");
  const std::string folder = box.Folder("folder");
  box.Write("folder/inside.txt", "kept");
  ASSERT_EQ(::symlink(target.c_str(), (box / "file-link").c_str()), 0);
  ASSERT_EQ(::symlink(folder.c_str(), (box / "folder-link").c_str()), 0);
  EXPECT_FALSE(files->DeleteFile(box / "file-link"));
  EXPECT_FALSE(files->DeleteFile(box / "folder-link"));
  EXPECT_EQ(NamesIn(box.path()), (std::vector<std::string>{"folder", "target.txt"}));
  EXPECT_EQ(ReadFile(target), "kept");
  EXPECT_EQ(NamesIn(folder), std::vector<std::string>{"inside.txt"});
}

TEST_F(FileSystemTest, DeleteNeverRemovesAFolderNotEvenAnEmptyOne) {
  const std::string folder = box.Folder("empty");
  EXPECT_TRUE(files->DeleteFile(folder));
  EXPECT_TRUE(files->DeleteFile(folder + "/"));
  EXPECT_TRUE(files->DeleteFile(folder + "/."));
  EXPECT_TRUE(S_ISDIR(StatOf(folder).st_mode));
}

// With nothing selected the path is the folder and a separator: the folder and its files stay.
TEST_F(FileSystemTest, DeleteWithNothingSelectedRemovesNothing) {
  const std::string folder = box.Folder("source");
  box.Write("source/a.txt", "a");
  EXPECT_TRUE(files->DeleteFile(folder + "/"));
  EXPECT_EQ(NamesIn(folder), std::vector<std::string>{"a.txt"});
}

TEST_F(FileSystemTest, DeleteOfAMissingFileFails) {
  EXPECT_TRUE(files->DeleteFile(box / "missing.txt"));
}

// As on Windows, a read-only file is not deleted (so a move of one leaves it in both folders).
TEST_F(FileSystemTest, DeleteRefusesAReadOnlyFile) {
  const std::string file = box.Write("locked.txt", "kept", 0444);
  EXPECT_TRUE(files->DeleteFile(file));
  EXPECT_EQ(ReadFile(file), "kept");
}

// A name that is not UTF-8 is deleted exactly: its look-alike with U+FFFD stays.
TEST_F(FileSystemTest, DeleteActsOnTheExactBytesOfTheName) {
  const std::string raw = box.Write("a\xff.txt", "raw");
  box.Write("a\xef\xbf\xbd.txt", "look-alike");
  EXPECT_FALSE(files->DeleteFile(raw));
  EXPECT_EQ(NamesIn(box.path()), std::vector<std::string>{"a\xef\xbf\xbd.txt"});
}

// ---- MakeFolder: the last level only.

TEST_F(FileSystemTest, MakeFolderMakesOneLevel) {
  EXPECT_FALSE(files->MakeFolder(box / "New"));
  EXPECT_TRUE(S_ISDIR(StatOf(box / "New").st_mode));
}

TEST_F(FileSystemTest, MakeFolderFailsWhereTheNameExists) {
  box.Folder("Old");
  box.Write("file", "f");
  EXPECT_TRUE(files->MakeFolder(box / "Old"));
  EXPECT_TRUE(files->MakeFolder(box / "file"));
  EXPECT_EQ(ReadFile(box / "file"), "f");
}

TEST_F(FileSystemTest, MakeFolderDoesNotMakeAMissingParent) {
  EXPECT_TRUE(files->MakeFolder(box / "missing/New"));
  EXPECT_FALSE(Exists(box / "missing"));
}

// ---- FileLength: exact sizes, 64-bit.

TEST_F(FileSystemTest, FileLengthGivesTheExactSize) {
  EXPECT_EQ(files->FileLength(box.Write("empty", "")), 0u);
  EXPECT_EQ(files->FileLength(box.Write("k", std::string(1536, 'k'))), 1536u);
}

TEST_F(FileSystemTest, FileLengthOfAFileOver4GiB) {
  const std::string file = box / "sparse";
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0);
  const off_t size = (off_t{5} << 30) + 123;  // holds no data: sparse
  ASSERT_EQ(::ftruncate(fd, size), 0);
  ::close(fd);
  EXPECT_EQ(files->FileLength(file), static_cast<std::uint64_t>(size));
}

TEST_F(FileSystemTest, FileLengthFollowsALinkAndFailsForNonFiles) {
  const std::string file = box.Write("a", "abc");
  ASSERT_EQ(::symlink(file.c_str(), (box / "link").c_str()), 0);
  EXPECT_EQ(files->FileLength(box / "link"), 3u);
  EXPECT_EQ(files->FileLength(box / "missing"), std::nullopt);
  EXPECT_EQ(files->FileLength(box.Folder("folder")), std::nullopt);
}

// ---- FileExists: the found name of a regular file.

TEST_F(FileSystemTest, FileExistsGivesTheNameOfARegularFile) {
  const std::string file = box.Write("hardinfo", "x");
  EXPECT_EQ(files->FileExists(file), "hardinfo");
  EXPECT_EQ(files->FileExists(box / "missing"), "");
  EXPECT_EQ(files->FileExists(box.Folder("folder")), "");
  EXPECT_EQ(files->FileExists(box.path() + "/"), "");
}

}  // namespace
}  // namespace vantrel::platform
