// Start-up against a plain Qt program that shows a window of the same widgets, in the same run:
// each is started RUNS times in turn, in START's folder, on the display and in the environment
// this benchmark was given, and reports when its first window appeared (on X: was mapped), when
// its first paint had reached the screen, and its peak memory by then (startup_probe.cpp is
// linked into all of them). Each round starts every program once; a figure's ratio is the
// median of the rounds' ratios, so a machine that speeds up or slows down weighs on both sides.
// EMPTY (an empty window) and ONE_LABEL (a window of one label), if given, are measured alongside
// and printed without a target, to show what any Qt window costs before its widgets. --context
// prints every figure without a target (the offscreen platform, where no desktop is consulted).
//   startup_bench [--context] PROGRAM REFERENCE START [RUNS [EMPTY [ONE_LABEL]]]
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"

extern char** environ;

namespace vantrel::bench {
namespace {

struct Start {
  double shown_ms = 0;
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
  Require(std::sscanf(text.c_str(), "%lf %lf %ld", &result.shown_ms, &result.painted_ms,
                      &peak_kb) == 3 &&
              result.shown_ms >= 0,
          program + " reported no shown and painted window");
  result.peak_mb = static_cast<double>(peak_kb) / 1024.0;
  return result;
}

std::string Absolute(const char* path) {
  char resolved[PATH_MAX];
  Require(::realpath(path, resolved) != nullptr, std::string("no program ") + path);
  return resolved;
}

// Every program's starts, one per round.
using Rounds = std::vector<std::vector<Start>>;

Rounds RunRounds(const std::vector<std::string>& programs, int runs) {
  // One uncounted round of each brings the libraries into the page cache. Then every round starts
  // each program once, the first in turn, so no program always runs right after another.
  for (const std::string& program : programs) RunOnce(program);
  Rounds rounds(static_cast<std::size_t>(runs), std::vector<Start>(programs.size()));
  for (std::size_t run = 0; run < rounds.size(); ++run) {
    for (std::size_t i = 0; i < programs.size(); ++i) {
      const std::size_t which = (i + run) % programs.size();
      rounds[run][which] = RunOnce(programs[which]);
    }
  }
  return rounds;
}

// One measure of every start against the reference's in the same round.
Figure Compare(const Rounds& rounds, double Start::*measure, std::size_t reference,
               const char* reference_name, const char* what, const char* unit) {
  std::vector<double> values, references, ratios;
  for (const std::vector<Start>& round : rounds) {
    values.push_back(round[0].*measure);
    references.push_back(round[reference].*measure);
    if (references.back() > 0) ratios.push_back(values.back() / references.back());
  }
  return {.what = what,
          .value = Median(values),
          .reference = reference_name,
          .reference_value = Median(references),
          .target_ratio = 1.25,
          .unit = unit,
          .ratio = Median(ratios)};
}

}  // namespace
}  // namespace vantrel::bench

int main(int argc, char** argv) {
  using namespace vantrel::bench;
  const bool context_only = argc > 1 && std::strcmp(argv[1], "--context") == 0;
  if (context_only) {
    --argc;
    ++argv;
  }
  if (argc < 4 || argc > 7) {
    std::fprintf(stderr,
                 "usage: startup_bench [--context] PROGRAM REFERENCE START [RUNS [EMPTY "
                 "[ONE_LABEL]]]\n");
    return 2;
  }
  // The programs are started from START's folder: resolve their paths first.
  std::vector<std::string> programs{Absolute(argv[1]), Absolute(argv[2])};
  for (int context = 5; context < argc; ++context) programs.push_back(Absolute(argv[context]));
  const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 15;
  Require(::chdir(argv[3]) == 0, std::string("cannot enter ") + argv[3]);
  const Rounds rounds = RunRounds(programs, runs);

  bool met = true;
  const auto report = [&](const Figure& figure) {
    if (context_only) {
      ReportContext(figure);
    } else {
      met &= Report(figure);
    }
  };
  const char* const names[] = {"", "same widgets in Qt", "empty Qt window", "one-label Qt window"};
  for (std::size_t reference = 1; reference < programs.size(); ++reference) {
    const std::function<void(const Figure&)> print =
        reference == 1 ? std::function<void(const Figure&)>(report) : ReportContext;
    print(Compare(rounds, &Start::shown_ms, reference, names[reference],
                  "start-up: process start to main window shown", "ms"));
    print(Compare(rounds, &Start::painted_ms, reference, names[reference],
                  "start-up: ... to main window painted", "ms"));
    print(Compare(rounds, &Start::peak_mb, reference, names[reference],
                  "start-up: peak memory (VmHWM)", "MB"));
  }
  return met ? 0 : 1;
}
