#include "sweep_tally.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace vantrel::testing {
namespace {

constexpr long kMostFailurePoints = 400;

}  // namespace

void RunSweep(const std::function<SweepRun(long at)>& run_at, Tally& tally) {
  long completing = 0;
  for (long at = 1; completing == 0; ++at) {
    ASSERT_LE(at, kMostFailurePoints) << "the operation never completed";
    const SweepRun run = run_at(at);
    const std::string context = "failing call " + std::to_string(at) + ":\n" + run.context;
    ASSERT_TRUE(run.ran) << context;
    ASSERT_LE(run.failures, 1u) << context;
    if (run.failures == 0) {
      // The run that did not reach the failing call: every call before it has been failed once.
      EXPECT_EQ(run.counted, at - 1) << context;
      EXPECT_TRUE(AllSucceeded(run.answers)) << "without a failure:\n" << context;
      completing = at;
    } else {
      EXPECT_EQ(run.failed_at, at) << context;
      EXPECT_GE(run.counted, at) << context;
      ++tally.failure_points;
      tally.calls_failed.insert(run.answers.failed_call);
      ++(AllSucceeded(run.answers) ? tally.absorbed : tally.reported_failure);
    }
    for (const auto& [kind, what] : run.findings.by_kind) {
      ++tally.runs_with[kind];
      for (const std::string& one : what) ADD_FAILURE() << kind << ": " << one << "\n" << context;
    }
  }
}

void ExpectCoverage(const Tally& tally, long minimum_calls,
                    const std::vector<std::string>& expected_calls) {
  EXPECT_GE(tally.failure_points, minimum_calls);
  for (const std::string& call : expected_calls) {
    EXPECT_TRUE(tally.calls_failed.contains(call)) << call << " was never failed";
  }
}

void WriteSummary(const std::filesystem::path& folder, const SummaryRow& row, const Tally& tally,
                  std::initializer_list<const char*> kinds) {
  std::ostringstream json;
  json << "{\"case\": \"" << row.case_name << "\", \"operation\": \"" << row.operation
       << "\", \"file\": \"" << row.file << "\", \"way\": \"" << row.way << "\", \"error\": \""
       << row.error << "\", \"failure_points\": " << tally.failure_points
       << ", \"reported_failure\": " << tally.reported_failure
       << ", \"absorbed\": " << tally.absorbed << ", \"calls_failed\": [";
  const char* separator = "";
  for (const std::string& call : tally.calls_failed) {
    json << separator << '"' << call << '"';
    separator = ", ";
  }
  json << "]";
  for (const char* kind : kinds) {
    const auto found = tally.runs_with.find(kind);
    json << ", \"" << kind << "\": " << (found == tally.runs_with.end() ? 0 : found->second);
  }
  if (!row.file_system.empty()) json << ", \"file_system\": \"" << row.file_system << '"';
  json << "}\n";
  const std::string prefix = row.file_system.empty() ? "" : row.file_system + "-";
  std::ofstream(folder / (prefix + row.case_name + ".json")) << json.str();
}

}  // namespace vantrel::testing
