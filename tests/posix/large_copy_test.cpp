// Copies of large files on POSIX: a copy killed in the middle leaves the destination folder as it
// was, and a sparse file stays sparse.
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "platform/os_services.h"
#include "sandbox.h"

namespace vantrel::platform {
namespace {

using posix_testing::LimitFileSize;
using posix_testing::NamesIn;
using posix_testing::ReadFile;
using posix_testing::RunInChild;
using posix_testing::Sandbox;
using posix_testing::StatOf;

bool WriteAll(int fd, const char* data, std::size_t size, off_t offset) {
  for (std::size_t done = 0; done < size;) {
    const ssize_t put = ::pwrite(fd, data + done, size - done, offset + static_cast<off_t>(done));
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

// A file with data in every block, written 1 MiB at a time.
bool WriteDenseFile(const std::string& path, off_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  std::vector<char> chunk(1 << 20);
  for (std::size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>(i * 131 % 253);
  bool ok = fd >= 0;
  for (off_t at = 0; ok && at < size; at += static_cast<off_t>(chunk.size())) {
    ok = WriteAll(fd, chunk.data(), chunk.size(), at);
  }
  return fd >= 0 && ::close(fd) == 0 && ok;
}

// A file of `size` bytes that holds data only in the 4 KiB blocks at `blocks`, each block
// different; the rest is holes.
bool WriteSparseFile(const std::string& path, off_t size, const std::vector<off_t>& blocks) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  bool ok = fd >= 0 && ::ftruncate(fd, size) == 0;
  for (const off_t offset : blocks) {
    const std::string block(4096, static_cast<char>('a' + offset % 23));
    ok = ok && WriteAll(fd, block.data(), block.size(), offset);
  }
  return fd >= 0 && ::close(fd) == 0 && ok;
}

bool SameBytes(const std::string& a, const std::string& b) {
  const int fd_a = ::open(a.c_str(), O_RDONLY | O_CLOEXEC);
  const int fd_b = ::open(b.c_str(), O_RDONLY | O_CLOEXEC);
  std::vector<char> buffer_a(4 << 20), buffer_b(4 << 20);
  bool same = fd_a >= 0 && fd_b >= 0;
  for (off_t at = 0; same;) {
    const ssize_t got_a = ::pread(fd_a, buffer_a.data(), buffer_a.size(), at);
    const ssize_t got_b = ::pread(fd_b, buffer_b.data(), buffer_b.size(), at);
    same = got_a == got_b && got_a >= 0 &&
           std::memcmp(buffer_a.data(), buffer_b.data(), static_cast<std::size_t>(got_a)) == 0;
    if (got_a <= 0) break;
    at += got_a;
  }
  if (fd_a >= 0) ::close(fd_a);
  if (fd_b >= 0) ::close(fd_b);
  return same;
}

// The file a process holds open with no name in `folder`: /proc shows it as
// "<folder>/#<inode> (deleted)". Empty when there is none.
std::string UnnamedFileOf(pid_t process, const std::string& folder) {
  const std::string fds = "/proc/" + std::to_string(process) + "/fd";
  for (const std::string& fd : NamesIn(fds)) {
    char target[4096];
    const ssize_t length = ::readlink((fds + "/" + fd).c_str(), target, sizeof target);
    const std::string_view shown(target, length > 0 ? static_cast<std::size_t>(length) : 0);
    if (shown.starts_with(folder + "/#") && shown.ends_with(" (deleted)")) return fds + "/" + fd;
  }
  return {};
}

// ---- A copy killed at any moment leaves the destination folder with its previous entries.

class KilledCopyTest : public ::testing::Test {
 protected:
  Sandbox box;
  std::unique_ptr<FileSystem> files = MakeNativeFileSystem();
  std::string destination_folder = box.Folder("destination");
  std::string to = box.Write("destination/big", "previous content");
  std::string other = box.Write("destination/other", "other");
  const std::vector<std::string> entries_before{"big", "other"};

  void ExpectThePreviousEntries() {
    EXPECT_EQ(NamesIn(destination_folder), entries_before);
    EXPECT_EQ(ReadFile(to), "previous content");
  }
};

// Unprepared, the signal of the file-size limit ends the program inside a write.
TEST_F(KilledCopyTest, ASignalInTheMiddleOfAWrite) {
  const std::string from = box.Write("big", std::string(4 * 1024 * 1024, 'x'));
  const auto result = RunInChild([&] {
    std::signal(SIGXFSZ, SIG_DFL);
    ::prctl(PR_SET_DUMPABLE, 0);  // no core file
    if (!LimitFileSize(1024 * 1024)) return 3;
    return files->CopyFile(from, to) ? 1 : 0;
  });
  EXPECT_EQ(result, 128 + SIGXFSZ);
  ExpectThePreviousEntries();
}

// The copy is stopped as soon as data reaches its temporary file, which must then have no name
// (/proc shows "#inode (deleted)" for it), and killed there.
TEST_F(KilledCopyTest, SigkillWhileTheDataIsCopied) {
  constexpr off_t kSize = off_t{256} << 20;  // far longer to copy than the parent takes to look
  const std::string from = box / "big";
  ASSERT_TRUE(WriteDenseFile(from, kSize));
  const pid_t child = ::fork();
  if (child == 0) ::_exit(files->CopyFile(from, to) ? 1 : 0);
  ASSERT_GT(child, 0);
  std::string temporary;
  struct stat seen {};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    temporary = UnnamedFileOf(child, destination_folder);
    if (!temporary.empty() && ::stat(temporary.c_str(), &seen) == 0 && seen.st_size > 0) break;
  }
  int status = 0;
  ::kill(child, SIGSTOP);
  ::waitpid(child, &status, WUNTRACED);
  const bool stopped_mid_copy = WIFSTOPPED(status) && ::stat(temporary.c_str(), &seen) == 0 &&
                                UnnamedFileOf(child, destination_folder) == temporary;
  EXPECT_EQ(NamesIn(destination_folder), entries_before);
  ::kill(child, SIGKILL);
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(stopped_mid_copy) << "the copy was not caught while it filled an unnamed file";
  EXPECT_GT(seen.st_size, 0);
  EXPECT_LT(seen.st_size, kSize);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  ExpectThePreviousEntries();
}

// ---- Sparse files: only the data is copied, so the copy takes as little room as the source.

struct SparseLayout {
  const char* label;
  off_t size;
  std::vector<off_t> blocks;  // offsets of the 4 KiB blocks of data
};

void PrintTo(const SparseLayout& layout, std::ostream* out) {
  *out << layout.label;
}

constexpr off_t kGiB = off_t{1} << 30;
constexpr off_t kMiB = off_t{1} << 20;

const SparseLayout kSparseLayouts[] = {
    {"DataAtBothEnds", kGiB, {0, 300 * kMiB + 12288, kGiB - 4096}},
    {"HolesAtBothEnds", kGiB, {5 * kMiB, 700 * kMiB, 700 * kMiB + 8192}},
    {"OnlyAHole", kGiB, {}},
};

class SparseCopyTest : public ::testing::TestWithParam<SparseLayout> {
 protected:
  // Copies a sparse source made in `source_folder` and checks the copy.
  void CopyAndCompare(const std::string& source_folder) {
    const std::string from = source_folder + "/sparse";
    ASSERT_TRUE(WriteSparseFile(from, GetParam().size, GetParam().blocks));
    const std::string to = box / "sparse-copy";
    ASSERT_FALSE(MakeNativeFileSystem()->CopyFile(from, to));
    const struct stat source = StatOf(from);
    const struct stat copy = StatOf(to);
    EXPECT_EQ(copy.st_size, source.st_size);
    EXPECT_LE(copy.st_blocks, source.st_blocks + 32);  // a few 4 KiB blocks of slack
    EXPECT_TRUE(SameBytes(from, to));
  }

  Sandbox box;
};

TEST_P(SparseCopyTest, TheCopyHasTheSameBytesAndNoMoreRoom) {
  CopyAndCompare(box.Folder("source"));
}

// From memory (tmpfs) to the disk the kernel copy refuses (EXDEV): the data goes through a
// buffer, range by range.
TEST_P(SparseCopyTest, AcrossFileSystemsTheCopyHasTheSameBytesAndNoMoreRoom) {
  struct stat memory {};
  if (::stat("/dev/shm", &memory) != 0 || memory.st_dev == StatOf(box.path()).st_dev ||
      ::access("/dev/shm", W_OK) != 0) {
    GTEST_SKIP() << "no writable /dev/shm on another file system";
  }
  struct MemoryFolder {
    ~MemoryFolder() {
      ::unlink((path + "/sparse").c_str());
      ::rmdir(path.c_str());
    }
    std::string path = "/dev/shm/vantrel-sparse-XXXXXX";
  } folder;
  ASSERT_NE(::mkdtemp(folder.path.data()), nullptr);
  CopyAndCompare(folder.path);
}

INSTANTIATE_TEST_SUITE_P(Layouts, SparseCopyTest, ::testing::ValuesIn(kSparseLayouts),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace vantrel::platform
