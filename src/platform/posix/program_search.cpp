#include "platform/posix/program_search.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "platform/posix/file_system_of.h"
#include "platform/stuck_places.h"

namespace vantrel::platform::posix {

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0111) != 0 &&
         ::access(path.c_str(), X_OK) == 0;
}

namespace {

// A folder of the search path may sit on a network mount that stopped answering: each look is
// bounded, and a mount that did not answer is passed over at once from then on.
bool IsExecutableFileWithin(const std::string& path, const std::vector<std::string>& mounts) {
  auto found = std::make_shared<bool>(false);
  return LookWithin(ProcessStuckPlaces(), FileSystemIn(path, mounts), kAnswerDeadline,
                    [found, path] { *found = IsExecutableFile(path); }) &&
         *found;
}

}  // namespace

std::string FindProgram(std::span<const std::string_view> names, std::string_view search_path) {
  const std::vector<std::string> mounts = ReadMountPoints();
  for (std::string_view name : names) {
    std::size_t start = 0;
    while (start <= search_path.size()) {
      const std::size_t end = std::min(search_path.find(':', start), search_path.size());
      const std::string_view folder = search_path.substr(start, end - start);
      start = end + 1;
      if (folder.empty() || folder.front() != '/') continue;
      std::string candidate(folder);
      if (candidate.back() != '/') candidate.push_back('/');
      candidate.append(name);
      if (IsExecutableFileWithin(candidate, mounts)) return candidate;
    }
  }
  return {};
}

std::string ProgramSearchPath() {
  const char* path = std::getenv("PATH");
  return path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
}

}  // namespace vantrel::platform::posix
