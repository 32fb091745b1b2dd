#include "place.h"

namespace vantrel::testing {

std::string Place::Path(const std::string& relative) const {
  std::string path = root() + separator() + relative;
  for (std::size_t k = root().size(); k < path.size(); ++k) {
    if (path[k] == '/') path[k] = separator();
  }
  return path;
}

}  // namespace vantrel::testing
