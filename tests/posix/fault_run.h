// Running fault_driver with fault_inject preloaded, for the failing-call sweep: one operation of
// the real POSIX file system whose N-th counted call fails.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::testing {

// How the system answers besides the failure itself.
struct FaultSettings {
  long fail_at = 0;                 // the counted call to fail; 0: none
  std::string error = "EIO";        // EIO, ENOSPC, EDQUOT, or one of fault_inject.cpp's others
  std::string only_call;            // when given, only the calls of that name are counted
  bool refuse_kernel_copy = false;  // copy_file_range answers EXDEV, as between file systems
  bool refuse_unnamed = false;      // O_TMPFILE answers EOPNOTSUPP
};

// A failed call, as the fault library wrote it down.
struct InjectedFailure {
  long at = 0;
  std::string call;
  std::string error;
};

struct DriverRun {
  bool ran = false;                   // the operation's process ran to its end and exited 0
  std::string output;                 // what it printed (for messages)
  std::map<std::string, int> result;  // service call ("copy", "delete", "mkdir") → error value
  long calls = -1;                    // calls counted while armed
  std::vector<InjectedFailure> injected;
};

// `fault_driver serve` with the fault library preloaded, for as long as this object lives. Each
// operation runs in a fresh process of its own; a run that does not end within 20 s is killed,
// with the driver.
class FaultDriver {
 public:
  // `work_folder` holds the fault library's marker; it must lie apart from the folders the
  // operations work on.
  explicit FaultDriver(std::string work_folder);
  ~FaultDriver();
  FaultDriver(const FaultDriver&) = delete;
  FaultDriver& operator=(const FaultDriver&) = delete;

  // `words`: the operation and its paths, as fault_driver takes them ("copy", FROM, TO).
  DriverRun Run(const std::vector<std::string>& words, const FaultSettings& settings);

 private:
  bool Send(const std::string& request);
  // The lines up to and with "end STATUS"; false when the driver ended or went silent.
  bool ReceiveUntilEnd(std::string& output, int& status);
  void Stop();

  std::string marker_;
  int socket_ = -1;
  int pid_ = -1;
  std::string pending_;
};

// Whether the fault library can be preloaded into this build's programs: under AddressSanitizer
// only behind the sanitizer's runtime, which must then be found. Empty when it can; else the
// reason.
std::string WhyFaultsCannotBeInjected();

}  // namespace vantrel::testing
