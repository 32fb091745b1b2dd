#include "platform/posix/file_system_of.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <deque>
#include <fstream>
#include <sstream>
#include <string_view>

#include "platform/paths.h"
#include "platform/posix/mount_table.h"

namespace vantrel::platform::posix {
namespace {

constexpr int kMostLinks = 40;  // as many as the kernel follows, so a loop of links ends

bool StartsAt(std::string_view path, std::string_view point) {
  if (!path.starts_with(point)) return false;
  return path.size() == point.size() || point.back() == '/' || path[point.size()] == '/';
}

// The non-empty components of a path.
std::deque<std::string> Components(const std::string& path) {
  std::deque<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string ParentOf(const std::string& folder) {
  const std::size_t slash = folder.rfind('/');
  return slash == 0 || slash == std::string::npos ? "/" : folder.substr(0, slash);
}

// True, with its target, when the path is a symbolic link.
bool ReadLink(const std::string& path, std::string& target) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return false;
  target.assign(PATH_MAX, '\0');
  const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return false;
  target.resize(static_cast<std::size_t>(length));
  return true;
}

}  // namespace

std::string ReadMountInfo() {
  std::ifstream file("/proc/self/mountinfo", std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::vector<std::string> ReadMountPoints() {
  std::vector<std::string> points;
  for (MountEntry& mount : ParseMountInfo(ReadMountInfo())) {
    points.push_back(std::move(mount.mount_point));
  }
  return points;
}

std::string FileSystemIn(const std::string& path, const std::vector<std::string>& mount_points) {
  std::string best;
  for (const std::string& point : mount_points) {
    // Of equal mount points the later one covers the earlier.
    if (StartsAt(path, point) && point.size() >= best.size()) best = point;
  }
  return best;
}

std::string ResolvedFileSystemIn(const std::string& path,
                                 const std::vector<std::string>& mount_points) {
  if (path.empty() || path.front() != '/') return FileSystemIn(path, mount_points);
  std::string done = "/";  // the part followed so far: no links in it
  std::deque<std::string> rest = Components(path);
  for (int links = 0; !rest.empty();) {
    const std::string part = std::move(rest.front());
    rest.pop_front();
    if (part == ".") continue;
    if (part == "..") {
      done = ParentOf(done);
      continue;
    }
    const std::string next = PlainJoin(done == "/" ? "" : done, part, kPosixPaths);
    // Everything from a mount point on lies on its file system, or on one mounted deeper.
    if (std::find(mount_points.begin(), mount_points.end(), next) != mount_points.end()) {
      std::string whole = next;
      for (const std::string& more : rest) whole += "/" + more;
      return FileSystemIn(whole, mount_points);
    }
    std::string target;
    if (!ReadLink(next, target) || ++links > kMostLinks) {
      done = next;
      continue;
    }
    const std::deque<std::string> parts = Components(target);
    rest.insert(rest.begin(), parts.begin(), parts.end());
    if (target.front() == '/') done = "/";
  }
  return FileSystemIn(done, mount_points);
}

}  // namespace vantrel::platform::posix
