#include "platform/posix/mount_table.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <utility>

namespace vantrel::platform::posix {
namespace {

constexpr std::array<std::string_view, 28> kPseudoTypes = {
    "proc",     "sysfs",       "cgroup",          "cgroup2",     "devpts",    "mqueue",
    "debugfs",  "tracefs",     "securityfs",      "pstore",      "bpf",       "configfs",
    "fusectl",  "hugetlbfs",   "autofs",          "binfmt_misc", "devtmpfs",  "efivarfs",
    "nsfs",     "rpc_pipefs",  "tmpfs",           "ramfs",       "selinuxfs", "nfsd",
    "squashfs", "fuse.portal", "fuse.gvfsd-fuse", "fuse.lxcfs"};

constexpr std::array<std::string_view, 4> kSystemFolders = {"/proc", "/sys", "/dev", "/run"};
constexpr std::string_view kRunMedia = "/run/media";

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (start < line.size()) {
    const std::size_t end = std::min(line.find(' ', start), line.size());
    if (end > start) fields.push_back(line.substr(start, end - start));
    start = end + 1;
  }
  return fields;
}

bool IsOctal(char c) {
  return c >= '0' && c <= '7';
}

// The byte written as a backslash and three octal digits at the start of the text, or 0 when
// there is none there. The kernel escapes only bytes 1 to 255 this way; "\000" would make a NUL
// and "\400" to "\777" a byte of the wrong value, so they are read as the characters they are.
int EscapedByte(std::string_view text) {
  if (text.size() < 4 || text[0] != '\\' || !IsOctal(text[1]) || !IsOctal(text[2]) ||
      !IsOctal(text[3])) {
    return 0;
  }
  const int byte = (text[1] - '0') * 64 + (text[2] - '0') * 8 + (text[3] - '0');
  return byte <= 0xFF ? byte : 0;
}

// The kernel writes only absolute mount points, and a path cannot hold a NUL: anything else is
// a damaged line, and the text would name another folder than the table does.
bool IsMountPoint(std::string_view text) {
  return text.starts_with('/') && text.find('\0') == std::string_view::npos;
}

bool IsUnder(std::string_view path, std::string_view folder) {
  return path == folder ||
         (path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/');
}

bool IsPseudo(const MountEntry& mount) {
  if (mount.fs_type == "overlay") return true;
  return std::find(kPseudoTypes.begin(), kPseudoTypes.end(), mount.fs_type) != kPseudoTypes.end();
}

bool IsInSystemFolder(std::string_view mount_point) {
  if (IsUnder(mount_point, kRunMedia)) return false;
  return std::any_of(kSystemFolders.begin(), kSystemFolders.end(),
                     [&](std::string_view folder) { return IsUnder(mount_point, folder); });
}

// The mount that is visible at each mount point is the last one made there.
std::vector<const MountEntry*> VisibleMounts(const std::vector<MountEntry>& mounts) {
  std::map<std::string, std::size_t> last;
  for (std::size_t i = 0; i < mounts.size(); ++i) last[mounts[i].mount_point] = i;
  std::vector<const MountEntry*> visible;
  for (std::size_t i = 0; i < mounts.size(); ++i) {
    if (last[mounts[i].mount_point] == i) visible.push_back(&mounts[i]);
  }
  return visible;
}

}  // namespace

std::string UnescapeMountField(std::string_view field) {
  std::string text;
  text.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    const int byte = EscapedByte(field.substr(i));
    if (byte > 0) {
      text.push_back(static_cast<char>(byte));
      i += 3;
    } else {
      text.push_back(field[i]);
    }
  }
  return text;
}

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
  std::vector<MountEntry> mounts;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const std::vector<std::string_view> fields = SplitFields(text.substr(start, end - start));
    start = end + 1;
    // id parent major:minor root mount-point options [optional...] - type source super-options
    const auto separator = std::find(fields.begin(), fields.end(), "-");
    if (fields.size() < 5 || separator == fields.end() || separator - fields.begin() < 6 ||
        separator + 1 == fields.end()) {
      continue;
    }
    MountEntry mount{std::string(fields[2]), UnescapeMountField(fields[3]),
                     UnescapeMountField(fields[4]), UnescapeMountField(*(separator + 1))};
    if (IsMountPoint(mount.mount_point)) mounts.push_back(std::move(mount));
  }
  return mounts;
}

std::vector<std::string> BrowsableMountPoints(const std::vector<MountEntry>& mounts) {
  std::vector<std::string> points;
  std::set<std::pair<std::string, std::string>> shown;  // device and root already listed
  const std::vector<const MountEntry*> visible = VisibleMounts(mounts);
  for (const MountEntry* mount : visible) {
    if (mount->mount_point == "/") shown.insert({mount->device, mount->root});
  }
  for (const MountEntry* mount : visible) {
    if (mount->mount_point == "/") continue;
    if (IsPseudo(*mount) || IsInSystemFolder(mount->mount_point)) continue;
    if (!shown.insert({mount->device, mount->root}).second) continue;
    points.push_back(mount->mount_point);
  }
  std::sort(points.begin(), points.end());
  points.insert(points.begin(), "/");
  return points;
}

}  // namespace vantrel::platform::posix
