// The expansion of %NAME% in expandable registry strings on POSIX: with nothing set the text
// stays as it is, a set name never survives as a reference, and a value goes in as it is, never
// expanded again.
#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/posix/registry_view.h"

// Input: NAME=value lines, an empty line, then the text to expand.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using vantrel::platform::posix::ExpandPercentReferences;
  vantrel::fuzz::Fields fields(vantrel::fuzz::AsText(data, size));
  std::map<std::string, std::string, std::less<>> set;
  for (std::string_view line = fields.Next(); !line.empty(); line = fields.Next()) {
    const std::size_t equals = line.find('=');
    set.emplace(line.substr(0, equals),
                equals == std::string_view::npos ? "" : line.substr(equals + 1));
  }
  const std::string text(fields.Rest());

  const auto nothing_set = [](const std::string&) -> std::optional<std::string> {
    return std::nullopt;
  };
  FUZZ_CHECK(ExpandPercentReferences(text, nothing_set) == text);

  // Each value marked and free of '%': whatever references are left in the result are of names
  // that are not set, and every mark comes from one lookup.
  int replaced = 0;
  const auto lookup = [&](const std::string& name) -> std::optional<std::string> {
    const auto found = set.find(name);
    if (found == set.end()) return std::nullopt;
    ++replaced;
    return "\x01" + std::to_string(found->second.size()) + "\x02";
  };
  const std::string expanded = ExpandPercentReferences(text, lookup);
  if (text.find('\x01') == std::string::npos) {
    FUZZ_CHECK(std::count(expanded.begin(), expanded.end(), '\x01') == replaced);
  }
  for (const auto& [name, value] : set) {
    if (name.empty() || name.find('%') != std::string::npos) continue;
    FUZZ_CHECK(expanded.find("%" + name + "%") == std::string::npos);
  }
  return 0;
}
