// The paths the file operations build from a folder text and a name: the selected file's path in
// the source and destination folders, and the new folder's path from a typed name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/paths.h"

namespace vantrel::fileops {

// The folder text with one trailing separator removed, if it has one.
std::string FolderOf(std::string_view folder, platform::PathStyle style);

// FolderOf the folder, a separator, the name: the path of a file the list shows in that folder.
std::string TrimmingJoin(std::string_view folder, std::string_view name, platform::PathStyle style);

// The new folder goes inside the source folder: one separator between the folder and the typed
// text, none added where either side already has one. Nullopt for a typed text that would make a
// folder elsewhere: one with a ".." step (between separators, '/' counting as one on Windows,
// which reads both), or with a NUL, where the system would cut the path short.
std::optional<std::string> NewFolderPath(const std::string& folder, const std::string& typed,
                                         platform::PathStyle style);

}  // namespace vantrel::fileops
