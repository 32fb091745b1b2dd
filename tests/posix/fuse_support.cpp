#include "fuse_support.h"

#include <poll.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace vantrel::testing {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

std::string ReadLineWithin(int fd, milliseconds deadline) {
  std::string line;
  const auto end = Clock::now() + deadline;
  while (line.empty() || line.back() != '\n') {
    const auto left = std::chrono::duration_cast<milliseconds>(end - Clock::now());
    pollfd ready{fd, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0) return {};
    char c = 0;
    if (::read(fd, &c, 1) != 1) return {};
    line.push_back(c);
  }
  line.pop_back();
  return line;
}

bool IsMountListed(const std::string& mount_point, std::string_view type) {
  std::ifstream in("/proc/self/mountinfo");
  const std::string after_separator = " - " + std::string(type) + " ";
  for (std::string line; std::getline(in, line);) {
    // id parent major:minor root mount-point options [optional...] - type source super-options
    std::istringstream fields(line);
    std::string field[5];
    for (std::string& one : field) fields >> one;
    if (field[4] == mount_point && line.find(after_separator) != std::string::npos) return true;
  }
  return false;
}

void DetachMount(const std::string& mount_point) {
  if (::umount2(mount_point.c_str(), MNT_DETACH) == 0) return;
  const pid_t child = ::fork();
  if (child == 0) {
    ::execlp("fusermount3", "fusermount3", "-u", "-z", mount_point.c_str(),
             static_cast<char*>(nullptr));
    ::_exit(127);
  }
  if (child > 0) ::waitpid(child, nullptr, 0);
}

}  // namespace vantrel::testing
