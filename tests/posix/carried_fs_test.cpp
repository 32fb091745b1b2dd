// The copy's promises on the file systems users carry, each mounted through Debian's own FUSE
// driver on an image file (carried_fs.sh): exFAT, FAT32, NTFS, and a pass-through FUSE mount.
// None of them can make an unnamed temporary file, so every copy here goes through a named one.
//
// With VANTREL_CARRIED_FS_SUMMARY naming a file, each test adds one line to it: the file system,
// the test, the operations run, the copies killed, the leftovers the next copy removed, and the
// files lost (scripts/safety-table.py makes the README's table of them).
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/os_services.h"
#include "sandbox.h"

namespace vantrel::posix_testing {
namespace {

constexpr int kMissingDriver = 3;  // carried_fs.sh's status when a driver is not installed
constexpr char kTemporaryTag[] = ".vantrel-";

struct Kind {
  const char* name;  // carried_fs.sh's name for it
  const char* size;  // of the image
};

void PrintTo(const Kind& kind, std::ostream* out) {
  *out << kind.name;
}

// Runs carried_fs.sh; its status, with what it printed in `output`.
int CarriedFs(const std::string& arguments, std::string& output) {
  const std::string command = std::string("sh ") + VANTREL_CARRIED_FS_SCRIPT + " " + arguments;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return -1;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  const int status = ::pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool IsTemporaryName(const std::string& name) {
  return !name.empty() && name[0] == '.' && name.find(kTemporaryTag) != std::string::npos;
}

std::vector<std::string> TemporariesIn(const std::string& folder) {
  std::vector<std::string> found;
  for (const std::string& name : NamesIn(folder)) {
    if (IsTemporaryName(name)) found.push_back(name);
  }
  return found;
}

// How long the name is where exFAT, FAT and NTFS count: in UTF-16 units (a character beyond
// the Basic Multilingual Plane takes two; an invalid byte is counted as one).
std::size_t Utf16Units(const std::string& name) {
  std::size_t units = 0;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) ++units;  // a character starts here
    if (byte >= 0xF0) ++units;           // a four-byte sequence is a surrogate pair
  }
  return units;
}

// Whether a copy's temporary file in the folder has data in it yet.
bool WrittenTemporary(const std::string& folder) {
  for (const std::string& name : TemporariesIn(folder)) {
    struct stat info {};
    if (::stat((folder + "/" + name).c_str(), &info) == 0 && info.st_size > 0) return true;
  }
  return false;
}

// Whether the file system takes the name for a new file, asked directly, as `cp` would find.
bool TakesName(const std::string& folder, const std::string& name) {
  const std::string path = folder + "/" + name;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(path.c_str());
  return true;
}

// A file of `megabytes` MiB that differs from block to block, so nothing can be skipped.
std::string WriteLargeFile(const Sandbox& box, const std::string& name, int megabytes) {
  std::string block(std::size_t{1} << 20, '\0');
  const std::string path = box / name;
  std::ofstream out(path, std::ios::binary);
  for (int i = 0; i < megabytes; ++i) {
    for (std::size_t at = 0; at < block.size(); at += 4096) block[at] = static_cast<char>(i + at);
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
  }
  return out.good() ? path : "";
}

class CarriedFsTest : public ::testing::TestWithParam<Kind> {
 protected:
  void SetUp() override {
    std::string output;
    const int status = CarriedFs(
        std::string("mount ") + GetParam().name + " " + base_.path() + " " + GetParam().size,
        output);
    if (status == kMissingDriver) GTEST_SKIP() << output;
    ASSERT_EQ(status, 0) << output;
    mounted_ = true;
    stick = base_.path() + "/mount";
  }

  void TearDown() override {
    if (mounted_) {
      std::string output;
      EXPECT_EQ(CarriedFs("unmount " + base_.path(), output), 0) << output;
    }
    if (const char* summary = std::getenv("VANTREL_CARRIED_FS_SUMMARY"); summary != nullptr) {
      std::ofstream(summary, std::ios::app)
          << GetParam().name << '\t'
          << ::testing::UnitTest::GetInstance()->current_test_info()->name() << '\t' << operations
          << '\t' << killed << '\t' << cleared << '\t'
          << (HasFailure()  ? "failed"
              : IsSkipped() ? "skipped"
                            : "passed")
          << '\n';
    }
  }

  // Copies and counts it.
  std::error_code Copy(const std::string& from, const std::string& to,
                       platform::FileVersion* copied = nullptr) {
    ++operations;
    return files->CopyFile(from, to, copied);
  }

  Sandbox base_;  // the image and the mount point; outlives the mount
  Sandbox home;   // the user's own disk, where sources come from
  bool mounted_ = false;
  std::unique_ptr<platform::FileSystem> files = platform::MakeNativeFileSystem();
  std::string stick;
  int operations = 0;
  int killed = 0;
  int cleared = 0;
};

TEST_P(CarriedFsTest, CopyMoveDeleteAndNewFolderLeaveOnlyWhatWasAsked) {
  const std::string source = home.Write("a.txt", std::string(70000, 'a') + "end", 0640);
  ASSERT_FALSE(Copy(source, stick + "/new.txt"));
  EXPECT_EQ(ReadFile(stick + "/new.txt"), ReadFile(source));

  std::ofstream(stick + "/old.txt") << "the old file";
  ASSERT_FALSE(Copy(source, stick + "/old.txt"));
  EXPECT_EQ(ReadFile(stick + "/old.txt"), ReadFile(source));

  ++operations;
  ASSERT_FALSE(files->MakeFolder(stick + "/sub"));
  platform::FileVersion copied;
  ASSERT_FALSE(Copy(stick + "/new.txt", stick + "/sub/moved.txt", &copied));
  ++operations;
  ASSERT_FALSE(files->DeleteCopiedFile(stick + "/new.txt", copied));
  EXPECT_EQ(ReadFile(stick + "/sub/moved.txt"), ReadFile(source));
  EXPECT_EQ(files->FileLength(stick + "/sub/moved.txt"), 70003U);

  ++operations;
  ASSERT_FALSE(files->DeleteFile(stick + "/old.txt"));
  EXPECT_EQ(NamesIn(stick), std::vector<std::string>{"sub"});
  EXPECT_EQ(NamesIn(stick + "/sub"), std::vector<std::string>{"moved.txt"});
}

// Copied exactly when the file system takes the name, as `cp` would; refused, nothing is left.
TEST_P(CarriedFsTest, ANameIsCopiedWhenTheFileSystemTakesItAndRefusedCleanlyWhenNot) {
  const std::string source = home.Write("a.txt", "payload");
  std::string cjk;
  for (int i = 0; i < 85; ++i) cjk += "\xe4\xb8\xad";  // 85 three-byte characters: 255 bytes
  std::string emoji;
  for (int i = 0; i < 63; ++i) emoji += "\xf0\x9f\x98\x80";  // 252 bytes, 126 UTF-16 units
  const std::vector<std::string> names = {std::string(251, 'n') + ".txt",
                                          cjk,
                                          emoji + ".md",
                                          "caf\xc3\xa9.txt",
                                          "\xff\xfe.txt",  // not UTF-8
                                          "a:b",
                                          "x?",
                                          std::string(256, 'z')};
  const std::string probe = stick + "/probe";
  ASSERT_EQ(::mkdir(probe.c_str(), 0755), 0);
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const bool taken = TakesName(probe, name);
    const std::string to = stick + "/" + name;
    EXPECT_EQ(!Copy(source, to), taken);
    // ntfs-3g replaces a file whose name is longer than 237 UTF-16 units by first renaming it to
    // a name of its own, which it then cuts short and cannot remove: the old file stays under a
    // stray name, and the next rename over that name fails with EEXIST. Any program that
    // renames over such a file meets it (`mv` too); so that case is left out here.
    const bool replaceable = std::string(GetParam().name) != "ntfs" || Utf16Units(name) <= 237;
    if (taken) {
      EXPECT_EQ(ReadFile(to), "payload");
      std::vector<std::string> expected = {name, "probe"};
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(NamesIn(stick), expected);
    }
    if (taken && replaceable) {
      // Again over the file now there: the temporary file's name derives from this one.
      EXPECT_FALSE(Copy(home.Write("b.txt", "second"), to));
      EXPECT_EQ(ReadFile(to), "second");
      std::vector<std::string> expected = {name, "probe"};
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(NamesIn(stick), expected);
    }
    ::unlink(to.c_str());
    EXPECT_EQ(NamesIn(stick), std::vector<std::string>{"probe"});
  }
}

// A copy killed outright (kill -9, a crash, the power) cannot remove its temporary file; the
// next copy into that folder does, and the file it was replacing is untouched.
TEST_P(CarriedFsTest, AKilledCopyLeavesTheOldFileAndTheNextCopyRemovesItsTemporary) {
  const std::string large = WriteLargeFile(home, "large.bin", 192);
  ASSERT_FALSE(large.empty());
  std::ofstream(stick + "/file.bin") << "the old file";

  const pid_t child = ::fork();
  if (child == 0) {
    ::_exit(platform::MakeNativeFileSystem()->CopyFile(large, stick + "/file.bin") ? 1 : 0);
  }
  ASSERT_GT(child, 0);
  // Killed once its temporary file holds data.
  const bool under_way = WaitUntil([&] { return WrittenTemporary(stick); });
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(under_way) << "the copy never wrote its temporary file";
  ASSERT_TRUE(WIFSIGNALED(status)) << "the copy ended before it could be killed";
  ++operations;
  ++killed;
  EXPECT_EQ(ReadFile(stick + "/file.bin"), "the old file");
  ASSERT_EQ(TemporariesIn(stick).size(), 1U);

  ASSERT_FALSE(Copy(home.Write("b.txt", "next"), stick + "/b.txt"));
  EXPECT_EQ(NamesIn(stick), (std::vector<std::string>{"b.txt", "file.bin"}));
  if (TemporariesIn(stick).empty()) ++cleared;
  EXPECT_EQ(ReadFile(stick + "/file.bin"), "the old file");
}

// The end of the program (the close box, Exit) while a copy is writing: the copy is never
// finished, and its temporary file goes before the process ends.
TEST_P(CarriedFsTest, EndingTheProgramMidCopyLeavesTheOldFileAndNothingElse) {
  const std::string large = WriteLargeFile(home, "large.bin", 192);
  ASSERT_FALSE(large.empty());
  std::ofstream(stick + "/file.bin") << "the old file";

  const std::string target = stick;
  const pid_t child = ::fork();
  if (child == 0) {
    std::thread([&] {
      platform::MakeNativeFileSystem()->CopyFile(large, target + "/file.bin");
    }).detach();
    const bool under_way = WaitUntil([&] { return WrittenTemporary(target); });
    platform::RemoveCopiesInProgress();
    ::_exit(under_way ? 0 : 1);
  }
  ASSERT_GT(child, 0);
  int status = 0;
  ::waitpid(child, &status, 0);
  ++operations;
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the copy never got under way";
  // A slow driver may still be answering the removal as the process ends; it is not left to the
  // next copy for all that.
  EXPECT_TRUE(WaitUntil([&] { return NamesIn(stick).size() == 1; }, std::chrono::seconds(5)));
  EXPECT_EQ(NamesIn(stick), std::vector<std::string>{"file.bin"});
  EXPECT_EQ(ReadFile(stick + "/file.bin"), "the old file");
}

INSTANTIATE_TEST_SUITE_P(Drivers, CarriedFsTest,
                         ::testing::Values(Kind{"exfat", "512M"}, Kind{"fat32", "512M"},
                                           Kind{"ntfs", "512M"}, Kind{"passthrough", "0"}),
                         [](const auto& info) { return std::string(info.param.name); });

// FAT keeps a file's size in 32 bits: a file of 4 GiB or more cannot be written there at all.
class FatTest : public CarriedFsTest {};

TEST_P(FatTest, AFileOfFourGibibytesOrMoreFailsWithNothingLeft) {
  const std::string source = home / "huge.bin";
  {
    std::ofstream out(source, std::ios::binary);
    out.seekp((std::streamoff{9} << 29) - 5);  // 4.5 GiB, holes but for its last bytes
    out << "tail";
  }
  std::ofstream(stick + "/huge.bin") << "the old file";
  EXPECT_TRUE(Copy(source, stick + "/huge.bin"));
  EXPECT_EQ(NamesIn(stick), std::vector<std::string>{"huge.bin"});
  EXPECT_EQ(ReadFile(stick + "/huge.bin"), "the old file");
}

INSTANTIATE_TEST_SUITE_P(Drivers, FatTest, ::testing::Values(Kind{"fat32", "512M"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantrel::posix_testing
