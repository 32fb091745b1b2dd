// FileSystem on POSIX besides the copy: delete, the guarded delete of a move, make a folder, file
// length, file existence.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/os_services.h"
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

// ---- DeleteCopiedFile: a move deletes its source only while it is the very file copied.

class MoveGuardTest : public FileSystemTest {
 protected:
  void SetUp() override { ASSERT_FALSE(files->CopyFile(source, destination, &copied)); }

  std::string source = box.Write("a.txt", "copied content");
  std::string destination = box.Folder("destination") + "/a.txt";
  FileVersion copied;
};

TEST_F(MoveGuardTest, TheCopyRecordsTheVersionOfTheSourceItRead) {
  const struct stat info = StatOf(source);
  EXPECT_EQ(copied.volume, info.st_dev);
  EXPECT_EQ(copied.id[0], info.st_ino);
  EXPECT_EQ(copied.id[1], 0u);
  EXPECT_EQ(copied.size, 14u);
  EXPECT_EQ(copied.modified, info.st_mtim.tv_sec * 1'000'000'000 + info.st_mtim.tv_nsec);
  FileVersion untouched = copied;
  untouched.size = 77;
  const FileVersion before = untouched;
  EXPECT_TRUE(files->CopyFile(box / "missing", destination, &untouched));
  EXPECT_EQ(untouched, before);
}

TEST_F(MoveGuardTest, TheUnchangedSourceIsDeleted) {
  EXPECT_FALSE(files->DeleteCopiedFile(source, copied));
  EXPECT_FALSE(Exists(source));
  EXPECT_EQ(ReadFile(destination), "copied content");
}

// Another program saved over the name the usual way (a new file renamed over it): even with the
// same size and time it is another file, and it stays.
TEST_F(MoveGuardTest, AFileRenamedOverTheSourceIsNeverDeleted) {
  const std::string saved = box.Write("saved.tmp", "COPIED CONTENT");
  const struct timespec times[2] = {StatOf(source).st_atim, StatOf(source).st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, saved.c_str(), times, 0), 0);
  ASSERT_EQ(::rename(saved.c_str(), source.c_str()), 0);
  EXPECT_TRUE(files->DeleteCopiedFile(source, copied));
  EXPECT_EQ(ReadFile(source), "COPIED CONTENT");
}

TEST_F(MoveGuardTest, ASourceRewrittenInPlaceIsKept) {
  box.Write("a.txt", "rewritten, and longer");
  EXPECT_TRUE(files->DeleteCopiedFile(source, copied));
  EXPECT_EQ(ReadFile(source), "rewritten, and longer");
}

// Same file, same size: only the modification time tells the new content from the copied one.
TEST_F(MoveGuardTest, ASourceRewrittenToTheSameSizeIsKept) {
  const int fd = ::open(source.c_str(), O_WRONLY | O_CLOEXEC);
  ASSERT_EQ(::pwrite(fd, "COPIED", 6, 0), 6);
  const struct timespec times[2] = {{0, UTIME_OMIT}, {StatOf(source).st_mtim.tv_sec + 1, 0}};
  ASSERT_EQ(::futimens(fd, times), 0);
  ::close(fd);
  EXPECT_TRUE(files->DeleteCopiedFile(source, copied));
  EXPECT_EQ(ReadFile(source), "COPIED content");
}

TEST_F(MoveGuardTest, TheRefusalsOfDeleteStillHold) {
  ASSERT_EQ(::chmod(source.c_str(), 0444), 0);
  EXPECT_TRUE(files->DeleteCopiedFile(source, copied));
  EXPECT_EQ(ReadFile(source), "copied content");
  EXPECT_TRUE(files->DeleteCopiedFile(box.path() + "/", copied));
  EXPECT_TRUE(files->DeleteCopiedFile(box / "missing", copied));
  // A folder put in the file's place is never removed.
  ASSERT_EQ(::chmod(source.c_str(), 0644), 0);
  ASSERT_EQ(::unlink(source.c_str()), 0);
  box.Folder("a.txt");
  EXPECT_TRUE(files->DeleteCopiedFile(source, copied));
  EXPECT_TRUE(S_ISDIR(StatOf(source).st_mode));
}

// The copy of a link reads its target; the move then removes the link, as a delete would, while
// it still leads to the file copied, and never the target.
TEST_F(FileSystemTest, AMovedLinkGoesWhileItLeadsToTheFileCopiedAndItsTargetStays) {
  const std::string target = box.Write("target.txt", "target");
  const std::string other = box.Write("other.txt", "other");
  const std::string link = box / "link.txt";
  const std::string destination = box.Folder("destination") + "/link.txt";
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  FileVersion copied;
  ASSERT_FALSE(files->CopyFile(link, destination, &copied));
  EXPECT_EQ(copied.id[0], StatOf(target).st_ino);

  ASSERT_EQ(::unlink(link.c_str()), 0);
  ASSERT_EQ(::symlink(other.c_str(), link.c_str()), 0);
  EXPECT_TRUE(files->DeleteCopiedFile(link, copied));  // now leads elsewhere
  ASSERT_EQ(::unlink(link.c_str()), 0);
  ASSERT_EQ(::symlink((box / "gone.txt").c_str(), link.c_str()), 0);
  EXPECT_TRUE(files->DeleteCopiedFile(link, copied));  // leads nowhere
  EXPECT_TRUE(Exists(link));

  ASSERT_EQ(::unlink(link.c_str()), 0);
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  EXPECT_FALSE(files->DeleteCopiedFile(link, copied));
  EXPECT_FALSE(Exists(link));
  EXPECT_EQ(ReadFile(target), "target");
  EXPECT_EQ(ReadFile(other), "other");
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
