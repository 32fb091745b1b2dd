#include "contract_place.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

#include "sandbox.h"

namespace vantrel::testing {
namespace {

void Check(bool done, const char* what, const std::string& path) {
  if (!done) throw std::runtime_error(std::string(what) + " failed: " + path);
}

class PosixPlace : public testing::Place {
 public:
  const std::string& root() const override { return box_.path(); }
  char separator() const override { return '/'; }

  std::string Folder(const std::string& relative) override { return box_.Folder(relative); }
  std::string Write(const std::string& relative, const std::string& content) override {
    return box_.Write(relative, content);
  }
  std::string WriteHidden(const std::string& name) override {
    box_.Write("." + name, "");
    return "." + name;
  }
  void Overwrite(const std::string& path, const std::string& content) override {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    Check(fd >= 0, "open", path);
    const bool written =
        ::pwrite(fd, content.data(), content.size(), 0) == static_cast<ssize_t>(content.size());
    ::close(fd);
    Check(written, "pwrite", path);
  }
  void WriteHoles(const std::string& path, std::uint64_t length) override {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    Check(fd >= 0, "open", path);
    const bool done = ::ftruncate(fd, static_cast<off_t>(length)) == 0;
    ::close(fd);
    Check(done, "ftruncate", path);
  }
  std::string Read(const std::string& path) override { return ReadFile(path); }
  bool Exists(const std::string& path) override { return vantrel::testing::Exists(path); }
  bool IsFolder(const std::string& path) override {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  }
  std::vector<std::string> Names(const std::string& folder) override { return NamesIn(folder); }
  void SetReadOnly(const std::string& path, bool read_only) override {
    Check(::chmod(path.c_str(), read_only ? 0444 : 0644) == 0, "chmod", path);
  }
  std::int64_t ModifiedTime(const std::string& path) override {
    const struct timespec time = StatOf(path).st_mtim;
    return std::int64_t{time.tv_sec} * Second() + time.tv_nsec;
  }
  void SetModifiedTime(const std::string& path, std::int64_t time) override {
    const struct timespec times[2] = {{0, UTIME_OMIT}, {time / Second(), time % Second()}};
    Check(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0, "utimensat", path);
  }
  std::int64_t Second() const override { return 1'000'000'000; }
  void HardLink(const std::string& existing, const std::string& link) override {
    Check(::link(existing.c_str(), link.c_str()) == 0, "link", link);
  }
  void RenameOver(const std::string& from, const std::string& to) override {
    Check(::rename(from.c_str(), to.c_str()) == 0, "rename", to);
  }

 private:
  Sandbox box_;
};

}  // namespace

std::unique_ptr<testing::Place> MakePlace() {
  return std::make_unique<PosixPlace>();
}

}  // namespace vantrel::testing
