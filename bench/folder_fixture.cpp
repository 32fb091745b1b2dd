#include "folder_fixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>

namespace vantrel::bench {
namespace {

constexpr std::size_t kHiddenFiles = 10;

bool IsExecutable(std::size_t i) {
  return i % 100 == 7;
}
bool IsExeName(std::size_t i) {
  return i % 250 == 3;
}

std::uint64_t Mix(std::uint64_t x) {
  x ^= x >> 33;
  x *= 0xff51afd7ed558ccdULL;
  x ^= x >> 29;
  return x;
}

// File i's name: a prefix of mixed case, a number that scatters the sort order, the index that
// makes it unique, and an extension. One in 5,000 carries a Latin-1 byte (not UTF-8).
std::string FileName(std::size_t i) {
  static constexpr std::array<const char*, 9> kPrefixes = {
      "IMG_", "img_", "Report-", "notes_", "DSC", "Mail.", "Invoice ", "track", "Backup_"};
  static constexpr std::array<const char*, 7> kExtensions = {".jpg", ".JPG", ".txt", ".pdf",
                                                             ".eml", ".mp3", ""};
  const std::uint64_t h = Mix(i + 1);
  char number[32];
  std::snprintf(number, sizeof number, "%07llu_%zu",
                static_cast<unsigned long long>(h % 10000000ULL), i);
  std::string name = kPrefixes[h % kPrefixes.size()];
  if (i % 5000 == 11) name += "caf\xE9 ";
  name += number;
  name += IsExeName(i) ? ".exe" : kExtensions[(h >> 8) % kExtensions.size()];
  return name;
}

bool MakeFile(int folder, const std::string& name, mode_t mode) {
  const int fd = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) return false;
  // The mode is set outright: the umask must not take the execute bits away.
  const bool ok = ::fchmod(fd, mode) == 0;
  return ::close(fd) == 0 && ok;
}

// Files [first, end) of the folder's numbering.
bool MakeFiles(int folder, std::size_t first, std::size_t end) {
  bool ok = true;
  for (std::size_t i = first; ok && i < end; ++i) {
    ok = MakeFile(folder, FileName(i), IsExecutable(i) ? 0755 : 0644);
  }
  return ok;
}

}  // namespace

ExpectedLists Expected(const FolderShape& shape) {
  ExpectedLists expected{.files = shape.files, .programs = 0, .folders = shape.folders};
  for (std::size_t i = 0; i < shape.files; ++i) {
    if (IsExecutable(i) || IsExeName(i)) ++expected.programs;
  }
  return expected;
}

bool MakeFolder(const std::string& path, const FolderShape& shape) {
  if (::mkdir(path.c_str(), 0755) != 0) return false;
  const int folder = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return false;
  bool ok = MakeFiles(folder, 0, shape.files);
  for (std::size_t i = 0; ok && i < kHiddenFiles; ++i) {
    ok = MakeFile(folder, ".hidden-" + std::to_string(i), 0755);
  }
  for (std::size_t i = 0; ok && i < shape.folders; ++i) {
    ok = ::mkdirat(folder, ("Folder " + std::to_string(i)).c_str(), 0755) == 0;
  }
  return ::close(folder) == 0 && ok;
}

bool GrowFolder(const std::string& path, const FolderShape& shape, std::size_t made) {
  const int folder = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return false;
  const bool ok = MakeFiles(folder, made, shape.files);
  return ::close(folder) == 0 && ok;
}

}  // namespace vantrel::bench
