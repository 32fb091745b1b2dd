#include "bench_support.h"

#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

extern char** environ;

namespace vantrel::bench {

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double TimeCommand(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (const auto& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const auto start = Clock::now();
  pid_t child = 0;
  const int error = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  Require(error == 0, "cannot start " + command[0]);
  int status = 0;
  Require(::waitpid(child, &status, 0) == child, "lost " + command[0]);
  const double took = MillisecondsSince(start);
  Require(WIFEXITED(status) && WEXITSTATUS(status) == 0, command[0] + " failed");
  return took;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const double rank = std::ceil(fraction * static_cast<double>(values.size()));
  const std::size_t index = rank < 1 ? 0 : static_cast<std::size_t>(rank) - 1;
  return values[std::min(index, values.size() - 1)];
}

std::uint64_t ParseSize(const std::string& text) {
  char* end = nullptr;
  std::uint64_t size = std::strtoull(text.c_str(), &end, 10);
  switch (end != nullptr ? *end : '\0') {
    case 'G':
    case 'g':
      return size << 30;
    case 'M':
    case 'm':
      return size << 20;
    case 'K':
    case 'k':
      return size << 10;
    default:
      return size;
  }
}

bool WritePatternFile(const std::string& path, std::uint64_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::vector<char> block(1 << 20);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 7919 % 251 + 1);
  bool ok = true;
  for (std::uint64_t index = 0, left = size; ok && left > 0; ++index) {
    // Each block starts with its own number, so no two blocks of the file are alike.
    std::memcpy(block.data(), &index, sizeof index);
    const std::size_t part = left < block.size() ? left : block.size();
    ok = ::write(fd, block.data(), part) == static_cast<ssize_t>(part);
    left -= part;
  }
  ok = ::fsync(fd) == 0 && ok;
  return ::close(fd) == 0 && ok;
}

Memory MemoryNow() {
  Memory memory;
  const long page = ::sysconf(_SC_PAGESIZE);
  std::ifstream statm("/proc/self/statm");
  std::size_t size = 0, resident = 0;
  if (statm >> size >> resident) memory.resident = resident * static_cast<std::size_t>(page);
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) memory.peak_resident = std::stoul(line.substr(6)) * 1024;
  }
  const struct mallinfo2 heap = ::mallinfo2();
  memory.heap_in_use = heap.uordblks + heap.hblkhd;
  return memory;
}

namespace {

double RatioOf(const Figure& figure) {
  if (figure.ratio > 0) return figure.ratio;
  return figure.reference_value > 0 ? figure.value / figure.reference_value : 0;
}

void PrintLine(const Figure& figure, const std::string& verdict) {
  const double ratio = RatioOf(figure);
  std::printf("%-50s %8.1f %-2s | %-18s %8.1f %-2s | ratio %5.2f | %s\n", figure.what.c_str(),
              figure.value, figure.unit.c_str(), figure.reference.c_str(), figure.reference_value,
              figure.unit.c_str(), ratio, verdict.c_str());
  std::fflush(stdout);
}

}  // namespace

bool Report(const Figure& figure) {
  const bool met = figure.ratio > 0
                       ? figure.ratio <= figure.target_ratio
                       : figure.reference_value > 0 &&
                             figure.value <= figure.target_ratio * figure.reference_value;
  char target[32];
  std::snprintf(target, sizeof target, "target <= %.2f ", figure.target_ratio);
  PrintLine(figure, target + std::string(met ? "met" : "missed"));
  return met;
}

void ReportContext(const Figure& figure) {
  PrintLine(figure, "for context, no target");
}

void Require(bool condition, const std::string& what) {
  if (condition) return;
  std::fprintf(stderr, "benchmark: %s\n", what.c_str());
  std::exit(3);
}

}  // namespace vantrel::bench
