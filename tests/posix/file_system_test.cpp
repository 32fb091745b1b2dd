// FileSystem on POSIX: the contract every FileSystem keeps (tests/contract), run through the
// native service and again with the copy's named temporary file, and what is POSIX's own: links,
// names that are raw bytes, the file's identity as stat gives it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "contract_place.h"
#include "file_system_contract.h"
#include "platform/os_services.h"
#include "platform/posix/copy_file.h"
#include "sandbox.h"

namespace vantrel::testing {

namespace posix = platform::posix;
using platform::FileSystem;
using platform::FileVersion;
using platform::MakeNativeFileSystem;

namespace {

// The native service whose copies go through a named temporary file, as on the file systems
// that offer no unnamed one; everything else is the native service's own.
class NamedTemporaryFileSystem : public FileSystem {
 public:
  std::error_code CopyFile(const std::string& from, const std::string& to,
                           FileVersion* copied) override {
    return posix::CopyFileSafely(from, to, copied, posix::TemporaryFile::Named);
  }
  std::error_code DeleteFile(const std::string& path) override { return native_->DeleteFile(path); }
  std::error_code DeleteCopiedFile(const std::string& path, const FileVersion& copied) override {
    return native_->DeleteCopiedFile(path, copied);
  }
  std::error_code MakeFolder(const std::string& path) override { return native_->MakeFolder(path); }
  std::optional<std::uint64_t> FileLength(const std::string& path) override {
    return native_->FileLength(path);
  }
  std::string FileExists(const std::string& path) override { return native_->FileExists(path); }

 private:
  std::unique_ptr<FileSystem> native_ = MakeNativeFileSystem();
};

class FileSystemTest : public ::testing::Test {
 protected:
  Sandbox box;
  std::unique_ptr<FileSystem> files = MakeNativeFileSystem();
};

// ---- DeleteFile: a link is the link.

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

// Size, time and the failed copy's part are the contract's; the identity is stat's.
TEST_F(MoveGuardTest, TheCopyRecordsTheIdentityOfTheSourceItRead) {
  const struct stat info = StatOf(source);
  EXPECT_EQ(copied.volume, info.st_dev);
  EXPECT_EQ(copied.id[0], info.st_ino);
  EXPECT_EQ(copied.id[1], 0u);
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

TEST_F(FileSystemTest, FileLengthFollowsALink) {
  const std::string file = box.Write("a", "abc");
  ASSERT_EQ(::symlink(file.c_str(), (box / "link").c_str()), 0);
  EXPECT_EQ(files->FileLength(box / "link"), 3u);
  ASSERT_EQ(::symlink(box.Folder("folder").c_str(), (box / "folder-link").c_str()), 0);
  EXPECT_EQ(files->FileLength(box / "folder-link"), std::nullopt);
}

}  // namespace

std::unique_ptr<FileSystem> MakeNamedTemporaryFileSystem() {
  return std::make_unique<NamedTemporaryFileSystem>();
}

}  // namespace vantrel::testing

namespace vantrel::testing {
VANTREL_FILE_SYSTEM_CONTRACT(
    Posix,
    ::testing::Values(FileSystemMaker{"native", MakePlace, platform::MakeNativeFileSystem},
                      FileSystemMaker{"named_temporary", MakePlace, MakeNamedTemporaryFileSystem}));
}  // namespace vantrel::testing
