// The registry on POSIX: a read-only view that answers the one question the About dialog asks
// (where the system-information tool is) and reports every other key as absent.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/registry.h"

namespace vantrel::platform::posix {

inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorInvalidParameter = 87;

inline constexpr char kMsinfoKey[] = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr char kMsinfoValue[] = "PATH";

// The value of an environment variable, nullopt when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// search_path: the folders searched for the tool at each OpenKey (nullopt: the process's PATH).
// environment: what ExpandEnvironment substitutes (the process's environment in production).
std::unique_ptr<Registry> MakeRegistryView(std::optional<std::string> search_path,
                                           EnvironmentLookup environment);

// Expands %NAME% as Windows does: a set variable is replaced by its value; an unset one, a "%%"
// and a lone '%' stay as they are, and the closing '%' of an unset name may open the next one.
std::string ExpandPercentReferences(const std::string& text, const EnvironmentLookup& environment);

}  // namespace vantrel::platform::posix
