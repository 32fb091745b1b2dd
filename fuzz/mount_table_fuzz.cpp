// The mount table: the kernel's escapes undone exactly, any text read without harm, and the
// drives and file systems chosen from it well formed.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "platform/posix/file_system_of.h"
#include "platform/posix/mount_table.h"

namespace {

using namespace vantrel::platform::posix;

// How the kernel writes a path into the table: space, tab, newline and backslash as a backslash
// and three octal digits, every other byte as it is.
std::string KernelEscape(std::string_view path) {
  std::string out;
  for (const char c : path) {
    if (c != ' ' && c != '\t' && c != '\n' && c != '\\') {
      out += c;
      continue;
    }
    const auto byte = static_cast<unsigned char>(c);
    out += '\\';
    out += static_cast<char>('0' + (byte >> 6));
    out += static_cast<char>('0' + ((byte >> 3) & 7));
    out += static_cast<char>('0' + (byte & 7));
  }
  return out;
}

// A path the kernel can have mounted something on.
bool CanBeMountPoint(std::string_view path) {
  return path.starts_with('/') && path.find('\0') == std::string_view::npos;
}

bool Holds(std::string_view point, std::string_view path) {
  return path.starts_with(point) &&
         (path.size() == point.size() || point.back() == '/' || path[point.size()] == '/');
}

void CheckEscapes(std::string_view path) {
  FUZZ_CHECK(UnescapeMountField(KernelEscape(path)) == path);
  // The path as the mount point of a line the kernel could have written.
  const std::string line =
      "36 25 8:1 / " + KernelEscape(path) + " rw,relatime shared:1 - ext4 /dev/sda1 rw";
  const std::vector<MountEntry> mounts = ParseMountInfo(line);
  if (!CanBeMountPoint(path)) {
    FUZZ_CHECK(mounts.empty());
    return;
  }
  FUZZ_CHECK(mounts.size() == 1);
  FUZZ_CHECK(mounts[0].mount_point == path);
  FUZZ_CHECK(mounts[0].device == "8:1" && mounts[0].root == "/" && mounts[0].fs_type == "ext4");
}

void CheckTable(std::string_view text) {
  const std::vector<MountEntry> mounts = ParseMountInfo(text);
  std::vector<std::string> points;
  for (const MountEntry& mount : mounts) {
    // A mount point names exactly the folder the table names: absolute, and cut by no NUL.
    FUZZ_CHECK(CanBeMountPoint(mount.mount_point));
    FUZZ_CHECK(!mount.device.empty() && !mount.fs_type.empty());
    points.push_back(mount.mount_point);
  }
  const std::vector<std::string> browsable = BrowsableMountPoints(mounts);
  FUZZ_CHECK(!browsable.empty() && browsable[0] == "/");
  for (std::size_t i = 1; i < browsable.size(); ++i) {
    FUZZ_CHECK(browsable[i] != "/");
    FUZZ_CHECK(i == 1 || browsable[i - 1] < browsable[i]);  // sorted, each drive once
    FUZZ_CHECK(std::find(points.begin(), points.end(), browsable[i]) != points.end());
  }
  // The file system of every mount point, and of the text itself taken as a path: the longest
  // mount point holding it.
  std::vector<std::string> paths = points;
  paths.emplace_back(text);
  for (const std::string& path : paths) {
    const std::string found = FileSystemIn(path, points);
    FUZZ_CHECK(found.empty() || Holds(found, path));
    for (const std::string& point : points) {
      FUZZ_CHECK(!Holds(point, path) || point.size() <= found.size());
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = vantrel::fuzz::AsText(data, size);
  CheckEscapes(text);
  CheckTable(text);
  return 0;
}
