// Start-up against a plain Qt program that shows a window of the same widgets, in the same run:
// each is started RUNS times in turn (offscreen, in START's folder), and reports when its first
// window was painted and its peak memory by then (startup_probe.cpp is linked into all of them).
// EMPTY (an empty window) and ONE_LABEL (a window of one label), if given, are measured alongside
// and printed without a target, to show what any Qt window costs before its widgets.
//   startup_bench PROGRAM REFERENCE START [RUNS [EMPTY [ONE_LABEL]]]
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "bench_support.h"

extern char** environ;

namespace vantrel::bench {
namespace {

struct Start {
  double painted_ms = 0;
  double peak_mb = 0;
};

std::string NowNanoseconds() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return std::to_string(static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
}

Start RunOnce(const std::string& program) {
  int out[2];
  Require(::pipe(out) == 0, "no pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  ::setenv("VANTREL_BENCH_T0", NowNanoseconds().c_str(), 1);
  pid_t child = 0;
  const int error = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  Require(error == 0, "cannot start " + program);
  std::string text;
  char buffer[256];
  for (ssize_t got; (got = ::read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, got);
  ::close(out[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  Start result;
  long peak_kb = 0;
  Require(std::sscanf(text.c_str(), "%lf %ld", &result.painted_ms, &peak_kb) == 2,
          program + " reported no first paint");
  result.peak_mb = static_cast<double>(peak_kb) / 1024.0;
  return result;
}

std::string Absolute(const char* path) {
  char resolved[PATH_MAX];
  Require(::realpath(path, resolved) != nullptr, std::string("no program ") + path);
  return resolved;
}

}  // namespace
}  // namespace vantrel::bench

int main(int argc, char** argv) {
  using namespace vantrel::bench;
  if (argc < 4 || argc > 7) {
    std::fprintf(stderr,
                 "usage: startup_bench PROGRAM REFERENCE START [RUNS [EMPTY [ONE_LABEL]]]\n");
    return 2;
  }
  // The programs are started from START's folder: resolve their paths first.
  std::vector<std::string> programs{Absolute(argv[1]), Absolute(argv[2])};
  for (int context = 5; context < argc; ++context) programs.push_back(Absolute(argv[context]));
  const int runs = argc > 4 ? std::atoi(argv[4]) : 15;
  Require(::chdir(argv[3]) == 0, std::string("cannot enter ") + argv[3]);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // One uncounted round of each brings the libraries into the page cache. Then every round starts
  // each program once, the first in turn, so no program always runs right after another.
  for (const std::string& program : programs) RunOnce(program);
  std::vector<std::vector<double>> times(programs.size()), peaks(programs.size());
  for (int run = 0; run < runs; ++run) {
    for (std::size_t i = 0; i < programs.size(); ++i) {
      const std::size_t which = (i + static_cast<std::size_t>(run)) % programs.size();
      const Start start = RunOnce(programs[which]);
      times[which].push_back(start.painted_ms);
      peaks[which].push_back(start.peak_mb);
    }
  }
  const auto figures = [&](std::size_t reference, const char* name) {
    const Figure time{.what = "start-up: process start to main window painted",
                      .value = Median(times[0]),
                      .reference = name,
                      .reference_value = Median(times[reference]),
                      .target_ratio = 1.25};
    const Figure memory{.what = "start-up: peak memory (VmHWM)",
                        .value = Median(peaks[0]),
                        .reference = name,
                        .reference_value = Median(peaks[reference]),
                        .target_ratio = 1.25,
                        .unit = "MB"};
    return std::pair{time, memory};
  };
  const auto [time, memory] = figures(1, "same widgets in Qt");
  bool met = Report(time);
  met &= Report(memory);
  const char* const context_names[] = {"empty Qt window", "one-label Qt window"};
  for (std::size_t context = 2; context < programs.size(); ++context) {
    const auto [context_time, context_memory] = figures(context, context_names[context - 2]);
    ReportContext(context_time);
    ReportContext(context_memory);
  }
  return met ? 0 : 1;
}
