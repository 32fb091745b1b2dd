// The list logic both front ends share: pattern matching, the one sort order of every list, the
// rows a file list and a program list show, the shared names and the folder-list rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "lists/listing.h"
#include "lists/visible_text.h"

namespace vantrel::testing {
namespace {

using lists::AddExecutables;
using lists::EntryKind;
using lists::FileListRows;
using lists::FolderEntry;
using lists::FolderListRows;
using lists::FolderListRowsFromSnapshot;
using lists::FolderSnapshot;
using lists::LessIgnoringCase;
using lists::ListedNames;
using lists::MatchesPattern;
using lists::NormalizeFolder;
using lists::ProgramListRows;
using lists::ProgramRows;
using lists::SortByName;
using lists::VisibleText;
using platform::kPosixPaths;
using platform::kWindowsPaths;

// The matcher as first written: '*' any run, '?' one character, ASCII case ignored; tried at
// every split, so it is slow and plainly right.
bool ReferenceMatch(std::string_view name, std::string_view pattern) {
  if (pattern.empty()) return name.empty();
  if (pattern[0] == '*') {
    for (std::size_t skip = 0; skip <= name.size(); ++skip) {
      if (ReferenceMatch(name.substr(skip), pattern.substr(1))) return true;
    }
    return false;
  }
  if (name.empty()) return false;
  const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
  if (pattern[0] != '?' && lower(pattern[0]) != lower(name[0])) return false;
  return ReferenceMatch(name.substr(1), pattern.substr(1));
}

std::string RandomText(std::mt19937& random, std::string_view alphabet, std::size_t longest) {
  std::string text(random() % (longest + 1), ' ');
  for (char& c : text) c = alphabet[random() % alphabet.size()];
  return text;
}

FolderSnapshot SnapshotOfNames(const std::vector<std::string>& names) {
  FolderSnapshot snapshot;
  for (const auto& name : names) snapshot.Add(name, EntryKind::File, 0);
  return snapshot;
}

std::vector<std::string> NamesOf(const FolderSnapshot& snapshot,
                                 const std::vector<std::uint32_t>& rows) {
  std::vector<std::string> names;
  for (const std::uint32_t row : rows) names.emplace_back(snapshot.Name(row));
  return names;
}

TEST(Pattern, MatchesAsThePlainMatcherDoesForEveryPatternShape) {
  std::mt19937 random(7);
  for (int i = 0; i < 20000; ++i) {
    const std::string name = RandomText(random, "abAB.e", 8);
    const std::string pattern = RandomText(random, "aB.*?eE", 6);
    EXPECT_EQ(MatchesPattern(name, pattern), ReferenceMatch(name, pattern))
        << "name '" << name << "' pattern '" << pattern << "'";
  }
}

TEST(Pattern, ProgramsAndAlternatives) {
  EXPECT_TRUE(MatchesPattern("setup.EXE", "*.exe*"));
  EXPECT_TRUE(MatchesPattern("tool.exe.bak", "*.exe*"));
  EXPECT_FALSE(MatchesPattern("exe", "*.exe*"));
  EXPECT_TRUE(MatchesPattern("notes.txt", "*.doc;*.TXT"));
  EXPECT_FALSE(MatchesPattern("notes.txt", "*.doc;*.md"));
  EXPECT_TRUE(MatchesPattern("caf\xE9.txt", "caf?.*"));  // one byte, whatever it is
  EXPECT_TRUE(MatchesPattern("abab", "*ab"));            // the last part ends the name
  EXPECT_FALSE(MatchesPattern("ab", "ab*ab"));           // first and last part may not overlap
}

TEST(SortOrder, SortByNameOrdersAsLessIgnoringCaseForTrickyNames) {
  std::vector<std::string> names = {"b",
                                    "B",
                                    "a",
                                    "A",
                                    "ab",
                                    "aB",
                                    "Ab",
                                    "a.txt",
                                    "A.TXT",
                                    "_x",
                                    "[x",
                                    "Z",
                                    "z",
                                    "\xE9t\xE9",
                                    "\xC3\xA9t\xC3\xA9",
                                    "a b",
                                    "abcdefgh",
                                    "ABCDEFGH1",
                                    "abcdefghijklmnop",
                                    "abcdefghijklmnoP",
                                    "ABCDEFGHIJKLMNOPq",
                                    "abcdefghijklmnopQ",
                                    "abcdefghijklmnop0"};
  std::mt19937 random(11);
  for (int i = 0; i < 3000; ++i) {
    // Long shared beginnings, differing in case and in the bytes after the first sixteen.
    names.push_back("Invoice 2024-0" + RandomText(random, "aAbB1.", 6));
    names.push_back(RandomText(random, "aAzZ_\x80\xFF", 20));
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());  // a folder holds each once
  std::shuffle(names.begin(), names.end(), random);
  const FolderSnapshot snapshot = SnapshotOfNames(names);
  std::vector<std::uint32_t> rows(snapshot.size());
  for (std::uint32_t i = 0; i < rows.size(); ++i) rows[i] = i;
  SortByName(snapshot, rows);
  std::vector<std::string> expected = names;
  std::sort(expected.begin(), expected.end(),
            [](const std::string& a, const std::string& b) { return LessIgnoringCase(a, b); });
  EXPECT_EQ(NamesOf(snapshot, rows), expected);
  // And the order itself: case ignored first, then shorter first, then the raw bytes.
  EXPECT_TRUE(LessIgnoringCase("a", "B"));
  EXPECT_TRUE(LessIgnoringCase("ab", "B"));
  EXPECT_TRUE(LessIgnoringCase("B", "ba"));
  EXPECT_TRUE(LessIgnoringCase("A", "a"));
  EXPECT_FALSE(LessIgnoringCase("a", "a"));
}

// A folder as a reader gives it: files, folders, hidden entries, and links whose mode is known.
FolderSnapshot MixedFolder() {
  FolderSnapshot snapshot;
  snapshot.Add("zeta.txt", EntryKind::File, 0);
  snapshot.Add("Alpha.txt", EntryKind::File, 0);
  snapshot.Add("setup.exe", EntryKind::File, 0);
  snapshot.Add("run", EntryKind::File, 0);
  snapshot.Add(".hidden.exe", EntryKind::File, FolderSnapshot::kHidden);
  snapshot.Add("docs", EntryKind::Folder, 0);
  snapshot.Add("tool-link", EntryKind::File,
               FolderSnapshot::kModeKnown | FolderSnapshot::kExecutable);
  snapshot.Add("data-link", EntryKind::File, FolderSnapshot::kModeKnown);
  snapshot.Add("fifo", EntryKind::Other, 0);
  return snapshot;
}

TEST(FileRows, ShowRegularVisibleFilesThatMatchInListOrder) {
  const FolderSnapshot snapshot = MixedFolder();
  EXPECT_EQ(NamesOf(snapshot, FileListRows(snapshot, "*", false)),
            (std::vector<std::string>{"Alpha.txt", "data-link", "run", "setup.exe", "tool-link",
                                      "zeta.txt"}));
  EXPECT_EQ(NamesOf(snapshot, FileListRows(snapshot, "*.txt", false)),
            (std::vector<std::string>{"Alpha.txt", "zeta.txt"}));
  // A program list also shows what the snapshot already knows to be executable.
  EXPECT_EQ(NamesOf(snapshot, FileListRows(snapshot, "*.exe*", true)),
            (std::vector<std::string>{"setup.exe", "tool-link"}));
}

TEST(ProgramRows, AskOnlyAboutVisibleFilesThePatternAndSnapshotLeaveOpen) {
  const FolderSnapshot snapshot = MixedFolder();
  ProgramRows program = ProgramListRows(snapshot, "*.exe*");
  EXPECT_EQ(NamesOf(snapshot, program.rows), (std::vector<std::string>{"setup.exe", "tool-link"}));
  EXPECT_EQ(NamesOf(snapshot, program.unknown),
            (std::vector<std::string>{"zeta.txt", "Alpha.txt", "run"}));
  // The system says "run" and "Alpha.txt" may be executed: both join the list in its order.
  std::vector<std::uint8_t> marks = {0, 1, 1};
  const auto all = AddExecutables(snapshot, program.rows, program.unknown, marks);
  EXPECT_EQ(NamesOf(snapshot, all),
            (std::vector<std::string>{"Alpha.txt", "run", "setup.exe", "tool-link"}));
  // Nothing more to ask when the pattern takes every file.
  EXPECT_TRUE(ProgramListRows(snapshot, "*").unknown.empty());
}

TEST(ListedNames, FindExactNamesAndLetGoOfABigSnapshotWhenShowingLittle) {
  const auto snapshot = std::make_shared<const FolderSnapshot>(
      SnapshotOfNames({"b.txt", "B.txt", "a.txt", "caf\xE9", "c.txt", "d.txt"}));
  auto rows = FileListRows(*snapshot, "*", false);
  const ListedNames all(snapshot, rows);
  ASSERT_EQ(all.size(), 6U);
  EXPECT_EQ(all[static_cast<std::size_t>(all.RowOf("B.txt"))], "B.txt");
  EXPECT_EQ(all[static_cast<std::size_t>(all.RowOf("b.txt"))], "b.txt");
  EXPECT_NE(all.RowOf("B.txt"), all.RowOf("b.txt"));
  EXPECT_EQ(all[static_cast<std::size_t>(all.RowOf("caf\xE9"))], "caf\xE9");
  EXPECT_EQ(all.RowOf("B.TXT"), -1);
  EXPECT_EQ(all.CompactIfSparse().snapshot(), snapshot);  // shows most of it: shares it

  const ListedNames few(snapshot, FileListRows(*snapshot, "c*", false));
  const ListedNames own = few.CompactIfSparse();
  EXPECT_NE(own.snapshot(), snapshot);
  ASSERT_EQ(own.size(), 2U);
  EXPECT_EQ(own[0], "c.txt");
  EXPECT_EQ(own[1], "caf\xE9");
  EXPECT_EQ(own.RowOf("caf\xE9"), 1);
}

TEST(FolderRows, AncestorsThenVisibleSubfoldersInListOrder) {
  FolderSnapshot snapshot;
  snapshot.Add("beta", EntryKind::Folder, 0);
  snapshot.Add("Alpha", EntryKind::Folder, 0);
  snapshot.Add(".cache", EntryKind::Folder, FolderSnapshot::kHidden);
  snapshot.Add("file.txt", EntryKind::File, 0);
  const auto rows = FolderListRowsFromSnapshot("/home/user/", snapshot, kPosixPaths);
  std::vector<std::string> labels;
  for (const auto& row : rows) labels.push_back(row.label);
  EXPECT_EQ(labels, (std::vector<std::string>{"/", "home", "user", "Alpha", "beta"}));
  EXPECT_TRUE(rows[2].is_open);
  EXPECT_EQ(rows[3].path, "/home/user/Alpha");
  EXPECT_EQ(rows[3].depth, 3);
  // The entries a reader gives make the same rows.
  const std::vector<FolderEntry> entries = {{"beta", EntryKind::Folder, false, false},
                                            {"Alpha", EntryKind::Folder, false, false},
                                            {".cache", EntryKind::Folder, true, false}};
  const auto from_entries = FolderListRows("/home/user", entries, kPosixPaths);
  ASSERT_EQ(from_entries.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(from_entries[i].path, rows[i].path);
}

// Only Windows paths have drive roots: on Linux "/:/" is the folder ":" with a trailing slash.
TEST(FolderRows, DriveRootsAreWindowsOnly) {
  EXPECT_EQ(NormalizeFolder("C:\\", kWindowsPaths), "C:\\");
  EXPECT_EQ(NormalizeFolder("1:\\", kWindowsPaths), "1:");  // no drive letter, no drive
  EXPECT_EQ(NormalizeFolder("/:/", kPosixPaths), "/:");
  EXPECT_EQ(NormalizeFolder("a:/", kPosixPaths), "a:");
  const auto rows = FolderListRows("/:/", {}, kPosixPaths);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].path, "/:");
  EXPECT_TRUE(rows[1].is_open);
  const auto windows = FolderListRows("C:\\Data", {}, kWindowsPaths);
  ASSERT_EQ(windows.size(), 2u);
  EXPECT_EQ(windows[0].path, "C:\\");
  EXPECT_EQ(windows[1].path, "C:\\Data");
}

TEST(Snapshot, RefusesANameTooLongToHold) {
  FolderSnapshot snapshot;
  EXPECT_FALSE(snapshot.Add(std::string(70000, 'x'), EntryKind::File, 0));
  EXPECT_TRUE(snapshot.Add("fine", EntryKind::File, 0));
  EXPECT_EQ(snapshot.size(), 1U);
  EXPECT_STREQ(snapshot.CName(0), "fine");
}

TEST(VisibleText, MarksWhatWouldHideOrMoveTextAndLeavesEverythingElse) {
  // Ordinary names, accented letters and typographic marks that share a lead byte with the
  // escaped characters (U+00A9, U+2019, U+20AC) come back unchanged.
  for (std::string_view same : {"", "a.txt", "Caf\xC3\xA9", "\xC2\xA9 2026", "it\xE2\x80\x99s",
                                "\xE2\x82\xAC 5", "\xE2\x81\xA0x"}) {
    EXPECT_EQ(VisibleText(same), same);
  }
  EXPECT_EQ(VisibleText("a\nb"), R"(a\nb)");
  EXPECT_EQ(VisibleText(std::string_view("\0\x1F\x7F", 3)), R"(\x00\x1F\x7F)");
  EXPECT_EQ(VisibleText("\tx\r"), R"(\tx\r)");
  // C1 controls (NEL breaks lines in some toolkits), line and paragraph separators, and the
  // direction overrides and isolates that can make "gpj.exe" read as "exe.jpg".
  EXPECT_EQ(VisibleText("a\xC2\x85"
                        "b"),
            "a\\u0085b");
  EXPECT_EQ(VisibleText("\xC2\x80\xC2\x9F"), "\\u0080\\u009F");
  EXPECT_EQ(VisibleText("a\xE2\x80\xA8"
                        "b\xE2\x80\xA9"),
            "a\\u2028b\\u2029");
  EXPECT_EQ(VisibleText("x\xE2\x80\xAEgpj.exe"), "x\\u202Egpj.exe");
  EXPECT_EQ(VisibleText("\xE2\x80\xAA\xE2\x81\xA6\xE2\x81\xA9"), "\\u202A\\u2066\\u2069");
  // The direction marks LRM, RLM and ALM show as nothing and move the characters beside them;
  // Arabic letters that share ALM's lead byte show as themselves.
  EXPECT_EQ(VisibleText("a\xE2\x80\x8F-1.txt\xE2\x80\x8E\xD8\x9C"), "a\\u200F-1.txt\\u200E\\u061C");
  EXPECT_EQ(VisibleText("\xD8\xA7\xD9\x84"), "\xD8\xA7\xD9\x84");
  // Bytes that are not UTF-8, cut sequences included, are the front end's to decode.
  for (std::string_view raw : {"\xFF\xFE", "end\xC2", "end\xE2\x80", "\xE2\x80\x41"}) {
    EXPECT_EQ(VisibleText(raw), raw);
  }
  EXPECT_EQ(VisibleText("\xFF\n"), "\xFF\\n");
}

}  // namespace
}  // namespace vantrel::testing
