// The named temporary files of copies in progress: a lock that tells a file being written from
// one a killed copy left behind, the removal of such leftovers, and the process's own record of
// the files it is writing, removed as the program ends (RemoveCopiesInProgress in os_services.h).
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <system_error>

namespace vantrel::platform::posix {

// Marks the file just made under `name` in the folder as a temporary being written, for as long
// as any descriptor of this open file stays open: an exclusive flock. Then checks that the name
// still names the file: another copy's tidying may have taken it in between, unlocked as it was.
// `lost` is set when the name must be given up (held by another, or no longer this file); the
// caller closes the file without removing anything and draws another name. A file system that
// keeps no locks at all leaves the file unmarked, and the copy goes on.
std::error_code HoldTemporary(int fd, int folder_fd, const std::string& name, bool& lost);

// Marks an unnamed file before it is given its hidden name, so that the name is held from the
// moment it exists.
void HoldUnnamedFile(int fd);

// Removes from the folder the temporary files that copies killed outright (or cut off by a power
// cut) left behind: names of the temporary forms, regular files of this user with one link, not
// the copy's source nor its destination, that no copy holds, in this process or any other. One
// pass over the folder's names; only those of the temporary forms are looked at. Does nothing
// where the folder cannot be listed; every failure leaves the file where it is.
void RemoveLeftoverTemporaries(int folder_fd, const struct stat& source,
                               const std::string& destination);

// The record, for the end of the program, of one named temporary file being written, open as
// `fd`: from the moment the name exists until this object goes, which must be before `fd` and
// the folder's descriptor close.
class TemporaryInProgress {
 public:
  TemporaryInProgress(int folder_fd, std::string name, int fd);
  ~TemporaryInProgress();
  TemporaryInProgress(const TemporaryInProgress&) = delete;
  TemporaryInProgress& operator=(const TemporaryInProgress&) = delete;

 private:
  std::uint64_t id_ = 0;
};

}  // namespace vantrel::platform::posix
