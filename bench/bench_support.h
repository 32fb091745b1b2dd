// What the benchmark programs share: a clock, timing a reference command, medians, the process's
// memory, large files of real data, and the one-line report each figure ends in.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::bench {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start);

// Runs a command (no shell) with its output sent to /dev/null and returns the milliseconds from
// starting it to its end, as a user typing it would wait. Exits the benchmark if it fails.
double TimeCommand(const std::vector<std::string>& command);

double Median(std::vector<double> values);
// The value below which `fraction` of the values lie (nearest rank); 0 for no values.
double Percentile(std::vector<double> values, double fraction);

// A size in bytes from a number with an optional suffix K, M or G (binary units); 0 if unreadable.
std::uint64_t ParseSize(const std::string& text);

// Writes a file of `size` bytes of varied data, every block written (no holes, no runs of zeros),
// and flushes it to the disk. False on any failure.
bool WritePatternFile(const std::string& path, std::uint64_t size);

struct Memory {
  std::size_t resident = 0;       // bytes in memory now (statm)
  std::size_t peak_resident = 0;  // the most ever in memory (VmHWM)
  std::size_t heap_in_use = 0;    // bytes the allocator has handed out and not taken back
};
Memory MemoryNow();

// One figure beside its reference: "what   value | reference value | ratio | target <= t met".
struct Figure {
  std::string what;
  double value = 0;
  std::string reference;
  double reference_value = 0;
  double target_ratio = 1.0;  // the most the ratio may be
  std::string unit = "ms";
  // The ratio printed and judged when set (a median of per-round ratios, say); otherwise
  // value / reference_value.
  double ratio = 0;
};
// Prints the line and returns whether the target was met.
bool Report(const Figure& figure);

// Prints the line for a figure measured without a target (context only).
void ReportContext(const Figure& figure);

// Exits with a message when a check of the benchmark's own set-up fails.
void Require(bool condition, const std::string& what);

}  // namespace vantrel::bench
