// Starting other programs, directly and never through a shell.
//
// Both calls look at files (the program, the search path) and so block on a mount that stopped
// answering: the GUI thread makes them only through OffThreadProgramStarter (off_thread_calls.h).
#pragma once

#include <string>

namespace vantrel::platform {

enum class WindowStyle { Normal = 1, Minimized = 2 };

// Kinds of system program the Run menu offers.
enum class Accessory { Calculator, Paint, CdPlayer, Notepad };

class ProgramStarter {
 public:
  virtual ~ProgramStarter() = default;
  // Starts the program at the path as a process of its own; false when it could not be started.
  virtual bool Start(const std::string& path, WindowStyle style) = 0;
  // The system's own program of that kind, or an empty text where there is none.
  virtual std::string FindAccessory(Accessory kind) = 0;
};

}  // namespace vantrel::platform
