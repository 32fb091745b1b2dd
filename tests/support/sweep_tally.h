// The loop both failing-call sweeps run, and what they tally and write down: each operation runs
// again and again, the first time with its first counted call failing, then its second, and so
// on until a run completes without reaching the failing call. Each failure point must really
// have failed, and a sweep must have tried at least a plausible number of calls, so it cannot
// pass by failing nothing.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "sweep_checks.h"

namespace vantrel::testing {

// One run of a sweep, as its platform saw it.
struct SweepRun {
  bool ran = true;           // the operation ran to its end (else the sweep stops there)
  long counted = 0;          // calls counted while armed
  std::size_t failures = 0;  // calls failed: none, when the run did not reach its failing call
  long failed_at = 0;        // where the first of them stood among the counted calls
  Answers answers;
  Findings findings;
  std::string context;  // for messages: what the run answered and called
};

// What one sweep tried and found.
struct Tally {
  long failure_points = 0;
  long reported_failure = 0;
  long absorbed = 0;
  std::set<std::string> calls_failed;
  std::map<std::string, long> runs_with;  // finding kind → runs with at least one
};

// Runs `run_at(1)`, `run_at(2)`, ... until a run does not reach its failing call, reports every
// finding and counts into `tally`.
void RunSweep(const std::function<SweepRun(long at)>& run_at, Tally& tally);

// After the sweep: it failed at least `minimum_calls` calls, among them every one expected.
void ExpectCoverage(const Tally& tally, long minimum_calls,
                    const std::vector<std::string>& expected_calls);

// One sweep's line of the safety table, as scripts/safety-table.py reads it.
struct SummaryRow {
  std::string case_name;
  std::string operation;
  std::string file;
  std::string way;
  std::string error;
  std::string file_system;  // the mounted driver it ran on; empty on the test machine's own
};

// Writes folder/[file_system-]case_name.json with the row, the tally and its counts of the
// finding kinds given.
void WriteSummary(const std::filesystem::path& folder, const SummaryRow& row, const Tally& tally,
                  std::initializer_list<const char*> kinds);

}  // namespace vantrel::testing
