// Helpers for the POSIX contract tests: a fresh temporary folder per test (removed with all it
// holds afterwards, links never followed) and raw-byte file helpers.
#pragma once

#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::testing {

class Sandbox {
 public:
  Sandbox();
  // In `base` rather than in TMPDIR (or /tmp).
  explicit Sandbox(const std::string& base);
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  // Makes a folder (one level) in the sandbox and returns its path.
  std::string Folder(const std::string& name, mode_t mode = 0755) const;
  // Writes a file with exactly these bytes and mode and returns its path.
  std::string Write(const std::string& name, const std::string& content, mode_t mode = 0644) const;

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);  // the name itself, without following a link
struct stat StatOf(const std::string& path);
// The names in a folder, raw, sorted, without "." and "..".
std::vector<std::string> NamesIn(const std::string& folder);

// Runs the work in a child process and returns its exit status (the work's result), or nullopt
// when it did not end before the deadline (the child is then killed).
std::optional<int> RunInChild(const std::function<int()>& work,
                              std::chrono::milliseconds deadline = std::chrono::seconds(10));

// Sets this process's file-size limit (RLIMIT_FSIZE), soft and hard, to that many bytes.
bool LimitFileSize(std::uint64_t bytes);

// Polls until the condition holds or the deadline passes.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds deadline = std::chrono::seconds(10));

}  // namespace vantrel::testing
