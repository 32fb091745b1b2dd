// The mount table read as text, so the choice of drives can be tested on sample tables.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrel::platform::posix {

struct MountEntry {
  std::string device;       // "major:minor"
  std::string root;         // the folder of the file system mounted here ("/" unless a bind)
  std::string mount_point;  // unescaped
  std::string fs_type;
};

// Parses /proc/self/mountinfo text; malformed lines are skipped, and so are lines whose mount
// point is not an absolute path or holds a NUL.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// Undoes the kernel's octal escapes ("\040" for a space, "\134" for a backslash, ...). Only the
// escapes of bytes 1 to 255 count; "\000" and "\400" to "\777" stay as written.
std::string UnescapeMountField(std::string_view field);

// The mount points a user would browse: "/" always and first, then real file systems sorted by
// their bytes. Left out: pseudo and memory file systems, overlays other than "/", anything under
// /proc, /sys, /dev and /run (except removable media under /run/media), a mount point hidden by a
// later mount on it, and bind mounts showing a device and folder already listed.
std::vector<std::string> BrowsableMountPoints(const std::vector<MountEntry>& mounts);

}  // namespace vantrel::platform::posix
