// FileSystem::CopyFile on POSIX: it replaces, keeps bits and times, and never damages anything.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <memory>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

#include <gtest/gtest.h>

#include "platform/native.h"
#include "platform/posix/copy_file_posix.h"
#include "sandbox.h"

namespace vantrel::platform::posix {
void PrintTo(TemporaryFile temporary, std::ostream* out) {
  *out << (temporary == TemporaryFile::kUnnamed ? "unnamed" : "named");
}
}  // namespace vantrel::platform::posix

namespace vantrel::platform {
namespace {

using posix_testing::Exists;
using posix_testing::LimitFileSize;
using posix_testing::NamesIn;
using posix_testing::ReadFile;
using posix_testing::RunInChild;
using posix_testing::Sandbox;
using posix_testing::StatOf;

// Each case runs both ways: through the FileSystem (an unnamed temporary file, which every
// file system these tests run on offers) and through the named temporary file that file systems
// without unnamed files get.
class CopyFileTest : public ::testing::TestWithParam<posix::TemporaryFile> {
 protected:
  std::error_code Copy(const std::string& from, const std::string& to) {
    if (GetParam() == posix::TemporaryFile::kUnnamed) return files->CopyFile(from, to);
    return posix::CopyFileSafely(from, to, nullptr, posix::TemporaryFile::kNamed);
  }

  Sandbox box;
  std::unique_ptr<FileSystem> files = MakeNativeFileSystem();
  std::string source_folder = box.Folder("source");
  std::string destination_folder = box.Folder("destination");
};

TEST_P(CopyFileTest, CopiesIntoAnotherFolderAndLeavesNothingElse) {
  const std::string from = box.Write("source/a.txt", "hello");
  EXPECT_FALSE(Copy(from, destination_folder + "/a.txt"));
  EXPECT_EQ(ReadFile(destination_folder + "/a.txt"), "hello");
  EXPECT_EQ(ReadFile(from), "hello");
  EXPECT_EQ(NamesIn(destination_folder), std::vector<std::string>{"a.txt"});
}

TEST_P(CopyFileTest, ReplacesAnExistingDestination) {
  const std::string from = box.Write("source/a.txt", "new content");
  const std::string to = box.Write("destination/a.txt", "old content that was longer");
  EXPECT_FALSE(Copy(from, to));
  EXPECT_EQ(ReadFile(to), "new content");
  EXPECT_EQ(NamesIn(destination_folder), std::vector<std::string>{"a.txt"});
}

TEST_P(CopyFileTest, KeepsPermissionBitsAndModificationTime) {
  const std::string from = box.Write("source/tool", "#!/bin/sh\n", 0750);
  const struct timespec times[2] = {{1000000000, 5}, {1234567890, 123456789}};
  ASSERT_EQ(::utimensat(AT_FDCWD, from.c_str(), times, 0), 0);
  const std::string to = destination_folder + "/tool";
  EXPECT_FALSE(Copy(from, to));
  const struct stat copy = StatOf(to);
  EXPECT_EQ(copy.st_mode & 07777, 0750u);
  EXPECT_EQ(copy.st_mtim.tv_sec, 1234567890);
  EXPECT_EQ(copy.st_mtim.tv_nsec, 123456789);
}

TEST_P(CopyFileTest, CopiesAnEmptyFileAndALargerOne) {
  const std::string empty = box.Write("source/empty", "");
  std::string large(3 * 1024 * 1024 + 17, '\0');
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 31 % 251);
  const std::string big = box.Write("source/big", large);
  EXPECT_FALSE(Copy(empty, destination_folder + "/empty"));
  EXPECT_FALSE(Copy(big, destination_folder + "/big"));
  EXPECT_EQ(ReadFile(destination_folder + "/empty"), "");
  EXPECT_EQ(ReadFile(destination_folder + "/big"), large);
}

TEST_P(CopyFileTest, NamesThatAreNotUtf8AreCopiedExactly) {
  const std::string name = "caf\xe9 \xff\xfe.txt";
  const std::string from = box.Write("source/" + name, "bytes");
  EXPECT_FALSE(Copy(from, destination_folder + "/" + name));
  EXPECT_EQ(NamesIn(destination_folder), std::vector<std::string>{name});
  EXPECT_EQ(ReadFile(destination_folder + "/" + name), "bytes");
}

TEST_P(CopyFileTest, ALongestPossibleNameIsCopied) {
  const std::string name(255, 'n');
  const std::string from = box.Write("source/" + name, "long");
  EXPECT_FALSE(Copy(from, destination_folder + "/" + name));
  EXPECT_EQ(NamesIn(destination_folder), std::vector<std::string>{name});
}

// The name at the destination is replaced, not the file a link there points to.
TEST_P(CopyFileTest, ALinkAtTheDestinationIsReplacedAndItsTargetKept) {
  const std::string from = box.Write("source/a.txt", "new");
  const std::string other = box.Write("other.txt", "other");
  const std::string to = destination_folder + "/a.txt";
  ASSERT_EQ(::symlink(other.c_str(), to.c_str()), 0);
  EXPECT_FALSE(Copy(from, to));
  EXPECT_TRUE(S_ISREG(StatOf(to).st_mode));
  EXPECT_EQ(ReadFile(to), "new");
  EXPECT_EQ(ReadFile(other), "other");
}

// ---- Refusals: each leaves every file as it was.

TEST_P(CopyFileTest, AReadOnlyDestinationIsNotReplaced) {
  const std::string from = box.Write("source/a.txt", "new");
  const std::string to = box.Write("destination/a.txt", "kept", 0444);
  EXPECT_TRUE(Copy(from, to));
  EXPECT_EQ(ReadFile(to), "kept");
  EXPECT_EQ(NamesIn(destination_folder), std::vector<std::string>{"a.txt"});
}

TEST_P(CopyFileTest, AFolderAtTheDestinationIsRefused) {
  const std::string from = box.Write("source/a.txt", "new");
  box.Folder("destination/a.txt");
  EXPECT_TRUE(Copy(from, destination_folder + "/a.txt"));
  EXPECT_TRUE(S_ISDIR(StatOf(destination_folder + "/a.txt").st_mode));
  EXPECT_TRUE(NamesIn(destination_folder + "/a.txt").empty());
}

TEST_P(CopyFileTest, NothingSelectedCopiesNothing) {
  box.Write("source/a.txt", "a");
  EXPECT_TRUE(Copy(source_folder + "/", destination_folder + "/"));
  EXPECT_TRUE(NamesIn(destination_folder).empty());
  EXPECT_EQ(NamesIn(source_folder), std::vector<std::string>{"a.txt"});
}

TEST_P(CopyFileTest, AMissingSourceLeavesTheDestinationUntouched) {
  const std::string to = box.Write("destination/a.txt", "kept");
  EXPECT_TRUE(Copy(source_folder + "/a.txt", to));
  EXPECT_EQ(ReadFile(to), "kept");
  EXPECT_EQ(NamesIn(destination_folder), std::vector<std::string>{"a.txt"});
}

TEST_P(CopyFileTest, AMissingDestinationFolderFails) {
  const std::string from = box.Write("source/a.txt", "a");
  EXPECT_TRUE(Copy(from, box / "nowhere/a.txt"));
  EXPECT_FALSE(Exists(box / "nowhere"));
}

// A drop box: an ordinary user may write into the folder but not list it.
TEST_P(CopyFileTest, CopiesIntoAFolderThatCannotBeListed) {
  ::chmod(box.path().c_str(), 0755);
  ::chmod(source_folder.c_str(), 0755);
  const std::string from = box.Write("source/a.txt", "dropped");
  const std::string drop_box = box.Folder("drop-box", 0333);
  const auto result = RunInChild([&] {
    if (::geteuid() == 0 &&
        (::chown(drop_box.c_str(), 65534, 65534) != 0 || ::setuid(65534) != 0)) {
      return 3;
    }
    return Copy(from, drop_box + "/a.txt") ? 1 : 0;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadFile(drop_box + "/a.txt"), "dropped");
}

TEST_P(CopyFileTest, AFolderOrADeviceIsNotCopied) {
  box.Folder("source/inner");
  EXPECT_TRUE(Copy(source_folder + "/inner", destination_folder + "/inner"));
  EXPECT_TRUE(Copy("/dev/null", destination_folder + "/null"));
  EXPECT_TRUE(NamesIn(destination_folder).empty());
}

// A FIFO with no writer would block a plain open or read for ever.
TEST_P(CopyFileTest, AFifoIsRefusedAtOnce) {
  const std::string fifo = source_folder + "/pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  const std::string to = destination_folder + "/pipe";
  const auto result = RunInChild([&] { return Copy(fifo, to) ? 1 : 0; });
  ASSERT_TRUE(result.has_value()) << "the copy of a FIFO hung";
  EXPECT_EQ(*result, 1);
  EXPECT_TRUE(NamesIn(destination_folder).empty());
}

// A write past the file-size limit: the program prepared as main() prepares it lives on, the copy
// fails with EFBIG, and the old destination stays byte for byte with nothing beside it.
TEST_P(CopyFileTest, AWritePastTheFileSizeLimitFailsTheCopyAndLeavesNothingBehind) {
  const std::string from = box.Write("source/big", std::string(4 * 1024 * 1024, 'x'));
  const std::string to = box.Write("destination/big", "previous content");
  const auto result = RunInChild([&] {
    std::signal(SIGXFSZ, SIG_DFL);
    PrepareProcess();
    if (!LimitFileSize(1024 * 1024)) return 3;
    return Copy(from, to) == std::errc::file_too_large ? 0 : 1;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadFile(to), "previous content");
  EXPECT_EQ(NamesIn(destination_folder), std::vector<std::string>{"big"});
}

INSTANTIATE_TEST_SUITE_P(TemporaryFiles, CopyFileTest,
                         ::testing::Values(posix::TemporaryFile::kUnnamed,
                                           posix::TemporaryFile::kNamed),
                         [](const auto& info) {
                           return info.param == posix::TemporaryFile::kUnnamed ? "Unnamed"
                                                                               : "Named";
                         });

// ---- Copying a file onto itself, whatever the spelling, fails and changes nothing.

struct Spelling {
  const char* label;
  // Makes the two paths in the sandbox, given the path of the one real file "folder/a.txt".
  std::string (*from)(const Sandbox&, const std::string& file);
  std::string (*to)(const Sandbox&, const std::string& file);
};

void PrintTo(const Spelling& spelling, std::ostream* out) {
  *out << spelling.label;
}

std::string Same(const Sandbox&, const std::string& file) {
  return file;
}

const Spelling kSpellings[] = {
    {"SamePath", Same, Same},
    {"DotSegment", Same,
     [](const Sandbox& box, const std::string&) { return box / "folder/./a.txt"; }},
    {"DotDotSegment", Same,
     [](const Sandbox& box, const std::string&) { return box / "folder/../folder/a.txt"; }},
    {"DoubledSeparator", Same,
     [](const Sandbox& box, const std::string&) { return box / "folder//a.txt"; }},
    {"HardLink", Same,
     [](const Sandbox& box, const std::string& file) {
       const std::string link = box / "folder/hard.txt";
       ::link(file.c_str(), link.c_str());
       return link;
     }},
    {"SymbolicLinkAtTheDestination", Same,
     [](const Sandbox& box, const std::string& file) {
       const std::string link = box / "elsewhere/a.txt";
       ::symlink(file.c_str(), link.c_str());
       return link;
     }},
    {"SymbolicLinkAsTheSource",
     [](const Sandbox& box, const std::string& file) {
       const std::string link = box / "elsewhere/a.txt";
       ::symlink(file.c_str(), link.c_str());
       return link;
     },
     Same},
    {"LinkedFolder", Same,
     [](const Sandbox& box, const std::string&) {
       ::symlink((box / "folder").c_str(), (box / "elsewhere/linked").c_str());
       return box / "elsewhere/linked/a.txt";
     }},
};

class CopyOntoItselfTest : public ::testing::TestWithParam<Spelling> {};

TEST_P(CopyOntoItselfTest, FailsAndLeavesTheFileByteForByte) {
  Sandbox box;
  box.Folder("folder");
  box.Folder("elsewhere");
  const std::string content = "the one and only file\n";
  const std::string file = box.Write("folder/a.txt", content, 0640);
  const struct stat before = StatOf(file);
  const std::string from = GetParam().from(box, file);
  const std::string to = GetParam().to(box, file);
  const std::vector<std::string> names = NamesIn(box / "folder");
  EXPECT_TRUE(MakeNativeFileSystem()->CopyFile(from, to));
  const struct stat after = StatOf(file);
  EXPECT_EQ(ReadFile(file), content);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_EQ(NamesIn(box / "folder"), names);
}

INSTANTIATE_TEST_SUITE_P(Spellings, CopyOntoItselfTest, ::testing::ValuesIn(kSpellings),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace vantrel::platform
