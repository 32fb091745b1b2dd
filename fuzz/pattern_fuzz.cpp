// The file lists' pattern matcher against a plainly right one, and the list order it feeds: a
// strict total order, so no two names ever sort as equal.
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "lists/folder_snapshot.h"
#include "lists/listing.h"

namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// '*' any run, '?' one byte, ASCII letters without case: matched[i] tells whether the first i
// bytes of the name match the pattern read so far, one pattern character at a time.
bool ReferenceMatch(std::string_view name, std::string_view pattern) {
  std::vector<char> matched(name.size() + 1, 0);
  matched[0] = 1;
  for (const char p : pattern) {
    std::vector<char> next(name.size() + 1, 0);
    for (std::size_t i = 0; i <= name.size(); ++i) {
      if (p == '*') {
        next[i] = matched[i] || (i > 0 && next[i - 1]);
      } else if (i > 0 && matched[i - 1]) {
        next[i] = p == '?' || Lower(p) == Lower(name[i - 1]);
      }
    }
    matched.swap(next);
  }
  return matched[name.size()] != 0;
}

// Small enough that the reference stays fast.
constexpr std::size_t kMostReferenceSteps = 1 << 20;

bool ReferenceMatchesAny(std::string_view name, std::string_view patterns) {
  while (true) {
    const std::size_t end = patterns.find(';');
    if (ReferenceMatch(name, patterns.substr(0, end))) return true;
    if (end == std::string_view::npos) return false;
    patterns.remove_prefix(end + 1);
  }
}

}  // namespace

// Input: the ';'-separated patterns on the first line, the name after it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrel::lists;
  vantrel::fuzz::Fields fields(vantrel::fuzz::AsText(data, size));
  const std::string_view patterns = fields.Next();
  const std::string_view name = fields.Rest();

  const bool matches = MatchesPattern(name, patterns);
  if ((name.size() + 1) * (patterns.size() + 1) <= kMostReferenceSteps) {
    FUZZ_CHECK(matches == ReferenceMatchesAny(name, patterns));
  }
  // A file list shows the name exactly when it matches (the lists take a shortcut for patterns
  // that match everything).
  const std::vector<FolderEntry> entries = {{std::string(name), EntryKind::File}};
  if (name.size() <= 0xFFFF) FUZZ_CHECK(FileListNames(entries, patterns, false).size() == matches);

  // The list order, on the two texts: one of them comes first, unless they are the same.
  const bool before = LessIgnoringCase(patterns, name);
  const bool after = LessIgnoringCase(name, patterns);
  FUZZ_CHECK(!(before && after));
  FUZZ_CHECK(before || after || patterns == name);
  return 0;
}
