#include "harness.h"

namespace vantrel::testing {

Harness::Harness(platform::PathStyle style)
    : windows(style), services{windows,   files,    dialogs, programs,
                               clipboard, registry, program, style} {}

void Harness::Start(const std::string& folder) {
  windows.start_folder = folder;
  app.Start();
}

}  // namespace vantrel::testing
