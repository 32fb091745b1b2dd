#include "sandbox.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace vantrel::testing {
namespace {

std::string TemporaryBase() {
  const char* base = std::getenv("TMPDIR");
  return base != nullptr && *base != '\0' ? base : "/tmp";
}

// Folders made unreadable by a test are opened up again before removal.
int OpenUp(const char* path, const struct stat* info, int type, struct FTW*) {
  if (type == FTW_D || type == FTW_DNR) ::chmod(path, info->st_mode | 0700);
  return 0;
}

int RemoveOne(const char* path, const struct stat*, int type, struct FTW*) {
  if (type == FTW_DP) {
    ::rmdir(path);
  } else {
    ::unlink(path);
  }
  return 0;
}

}  // namespace

Sandbox::Sandbox() : Sandbox(TemporaryBase()) {}

Sandbox::Sandbox(const std::string& base) {
  std::string pattern = base + "/vantrel-posix-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  char* real = ::realpath(pattern.c_str(), nullptr);
  path_ = real;
  std::free(real);
}

Sandbox::~Sandbox() {
  ::nftw(path_.c_str(), OpenUp, 16, FTW_PHYS);
  ::nftw(path_.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
}

std::string Sandbox::Folder(const std::string& name, mode_t mode) const {
  const std::string folder = *this / name;
  if (::mkdir(folder.c_str(), mode) != 0) throw std::runtime_error("mkdir failed: " + folder);
  ::chmod(folder.c_str(), mode);
  return folder;
}

std::string Sandbox::Write(const std::string& name, const std::string& content, mode_t mode) const {
  const std::string file = *this / name;
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) throw std::runtime_error("write failed: " + file);
  }
  ::chmod(file.c_str(), mode);
  return file;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

struct stat StatOf(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) throw std::runtime_error("lstat failed: " + path);
  return info;
}

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<int> RunInChild(const std::function<int()>& work,
                              std::chrono::milliseconds deadline) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(work());
  if (child < 0) return std::nullopt;
  int status = 0;
  const bool ended =
      WaitUntil([&] { return ::waitpid(child, &status, WNOHANG) == child; }, deadline);
  if (!ended) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return std::nullopt;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

bool LimitFileSize(std::uint64_t bytes) {
  const struct rlimit limit = {bytes, bytes};
  return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

}  // namespace vantrel::testing
