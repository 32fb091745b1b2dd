// What the links of a folder being read point to, without waiting long on another file system:
// a link into a network mount that has stopped answering must not hold up the listing of the
// folder that holds it.
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>
#include <vector>

namespace vantrel::platform::posix {

// How long the target of a link on another file system may take to answer.
inline constexpr int kLinkAnswerMilliseconds = 500;

class LinkTargets {
 public:
  explicit LinkTargets(std::string folder) : folder_(std::move(folder)) {}

  // The stat of what the link `name` in the folder points to. False for a dangling link, and for
  // one into another file system that does not answer in time (or has not answered a look
  // since): such a target is left unknown, and the look goes on alone until it answers.
  bool Stat(int folder_fd, const char* name, struct stat& info);

 private:
  bool OnOwnFileSystem(const char* name);

  std::string folder_;
  std::optional<std::vector<std::string>> mount_points_;  // read at the first link
  std::string own_;                                       // the folder's own file system
};

}  // namespace vantrel::platform::posix
