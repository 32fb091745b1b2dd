// One drive as the drive lists show it: what the lists and the services that find drives share.
#pragma once

#include <string>

namespace vantrel::platform {

struct DriveInfo {
  std::string text;  // what the drive list shows and reports; usable as a folder path
  std::string root;  // the drive's root folder
};

}  // namespace vantrel::platform
