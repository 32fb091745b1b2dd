// The services of the system the program runs on, created by main() and by the tests that work
// on real folders.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/program_info.h"
#include "platform/program_starter.h"
#include "platform/registry.h"

namespace vantrel::platform {

struct DriveInfo {
  std::string text;  // what the drive list shows and reports; usable as a folder path
  std::string root;  // the drive's root folder
};

std::unique_ptr<FileSystem> MakeNativeFileSystem();
std::unique_ptr<ProgramStarter> MakeNativeProgramStarter();
std::unique_ptr<Registry> MakeNativeRegistry();
std::unique_ptr<ProgramInfo> MakeNativeProgramInfo();

// The drives a user would browse, in the order the drive list shows them.
std::vector<DriveInfo> ListDrives();

// The process's working folder, in the lists' form.
std::string WorkingFolder();

}  // namespace vantrel::platform
