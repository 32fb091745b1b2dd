#include "platform/qt/folder_snapshots.h"

#include <algorithm>

#include "platform/off_thread_calls.h"

namespace vantrel::platform::qt {

FolderSnapshots::Scope::~Scope() {
  if (--snapshots_.depth_ == 0) snapshots_.kept_.clear();
}

lists::SharedSnapshot FolderSnapshots::Read(const std::string& folder) {
  const auto found = std::find_if(kept_.begin(), kept_.end(),
                                  [&folder](const auto& kept) { return kept.first == folder; });
  if (found != kept_.end()) return found->second;
  return Reread(folder);
}

lists::SharedSnapshot FolderSnapshots::Reread(const std::string& folder) {
  auto read = ReadFolderSnapshotOffThread(*off_thread_, folder);
  if (!read) {
    std::erase_if(kept_, [&folder](const auto& kept) { return kept.first == folder; });
    return nullptr;
  }
  return Keep(folder, std::make_shared<const lists::FolderSnapshot>(std::move(*read)));
}

lists::SharedSnapshot FolderSnapshots::Keep(const std::string& folder,
                                            lists::SharedSnapshot snapshot) {
  if (depth_ == 0) return snapshot;
  std::erase_if(kept_, [&folder](const auto& kept) { return kept.first == folder; });
  kept_.emplace_back(folder, snapshot);
  return snapshot;
}

}  // namespace vantrel::platform::qt
