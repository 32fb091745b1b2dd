// The Windows copy beyond the contract (tests/contract): attributes, spellings of a path that
// only Windows has, files other programs hold open, a copy killed or cut off half way, and the
// temporary file's name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <optional>
#include <thread>

#include "platform/os_services.h"
#include "platform/win32/copy_ranges.h"
#include "platform/win32/temporary_name.h"
#include "platform/win32/unique_handle.h"
#include "win32_paths.h"

namespace vantrel::testing {
namespace {

class Copy : public ::testing::Test {
 protected:
  void SetUp() override {
    source_folder = temp.Folder("source");
    target_folder = temp.Folder("target");
    source = temp.Write("source\\report.txt", "new content");
    target = Join(target_folder, "report.txt");
  }
  std::error_code CopyFile(const std::string& from, const std::string& to) {
    return files->CopyFile(from, to);
  }
  // The destination folder holds exactly these names: no temporary file was left behind.
  void ExpectOnly(const std::vector<std::string>& names) {
    EXPECT_EQ(RawNames(target_folder), names);
  }

  TempFolder temp;
  std::unique_ptr<platform::FileSystem> files = platform::MakeNativeFileSystem();
  std::string source_folder, target_folder, source, target;
};

FILETIME WriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ::GetFileAttributesExW(W(path).c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

// Files or folders; a folder's write time changes whenever a name is made or removed in it.
void SetWriteTime(const std::string& path, const FILETIME& time) {
  const HANDLE file =
      ::CreateFileW(W(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ::SetFileTime(file, nullptr, nullptr, &time);
  ::CloseHandle(file);
}

TEST_F(Copy, ReplacesTheDestinationAndKeepsTheReadOnlyAttribute) {
  temp.Write("target\\report.txt", "old");
  SetReadOnly(source, true);
  EXPECT_FALSE(CopyFile(source, target));
  EXPECT_EQ(ReadAll(target), "new content");
  EXPECT_TRUE(Attributes(target) & FILE_ATTRIBUTE_READONLY);
  ExpectOnly({"report.txt"});
  SetReadOnly(source, false);
  SetReadOnly(target, false);
}

// Spellings of its path that only Windows has: another case, the short 8.3 name. The others,
// and hard links, are the contract's (CopyContract).
TEST_F(Copy, OntoItselfUnderAWindowsSpellingChangesNothing) {
  wchar_t short_path[MAX_PATH] = {};
  const std::string long_named = temp.Write("source\\a rather long file name.text", "keep me");
  ::GetShortPathNameW(W(long_named).c_str(), short_path, MAX_PATH);
  ASSERT_NE(platform::win32::Narrow(short_path), long_named) << "no 8.3 name to test with";
  std::string upper = source;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

  const std::pair<std::string, std::string> spellings[] = {
      {source, upper},
      {long_named, platform::win32::Narrow(short_path)},
  };
  // Refused before anything is written: not even a temporary file comes and goes.
  const FILETIME untouched{0x11111111, 0x01D00000};
  SetWriteTime(source_folder, untouched);
  for (const auto& [from, to] : spellings) {
    EXPECT_TRUE(CopyFile(from, to)) << to;
    EXPECT_TRUE(CopyFile(to, from)) << to;
  }
  const FILETIME after = WriteTime(source_folder);
  EXPECT_EQ(::CompareFileTime(&after, &untouched), 0);
  EXPECT_EQ(ReadAll(source), "new content");
  EXPECT_EQ(ReadAll(long_named), "keep me");
  EXPECT_EQ(RawNames(source_folder),
            (std::vector<std::string>{"a rather long file name.text", "report.txt"}));
}

TEST_F(Copy, AFailedCopyLeavesTheDestinationAndNoTemporaryFile) {
  temp.Write("target\\report.txt", "old");
  // The source is being written by someone else.
  HANDLE writer = ::CreateFileW(W(source).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CopyFile(source, target));
  ::CloseHandle(writer);
  // The destination is held open: the copy is made, but cannot take the destination's place.
  HANDLE holder = ::CreateFileW(W(target).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CopyFile(source, target));
  ::CloseHandle(holder);
  EXPECT_EQ(ReadAll(target), "old");
  ExpectOnly({"report.txt"});
}

TEST_F(Copy, DriveLetterSpellingsAndNonAsciiNamesWork) {
  const std::string name =
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x9C\x93 \xE6\x97\xA5.txt";
  const std::string from = temp.Write("source\\" + name, "unicode");
  const std::string folder = temp.Folder(
      "\xC3\x9C"
      "ber");
  std::string lower_drive = Join(folder, name);
  lower_drive[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(lower_drive[0])));
  EXPECT_FALSE(CopyFile(from, lower_drive));
  EXPECT_EQ(RawNames(folder), std::vector<std::string>{name});
  std::string forward = Join(target_folder, name);
  for (char& c : forward) c = c == '\\' ? '/' : c;
  EXPECT_FALSE(CopyFile(from, forward));
  EXPECT_EQ(ReadAll(Join(target_folder, name)), "unicode");
}

// The size of the temporary file a copy is writing into the folder, if there is one.
std::optional<std::uint64_t> TemporarySize(const std::string& folder) {
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW(W(folder + "\\.*.vantrel-*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  ::FindClose(search);
  return (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
}

// A copy killed half way leaves no temporary file: it is marked for deletion from the start, so
// the system removes it as the process goes. The source is large and all hole (no disk space),
// and the copy is killed as soon as its temporary file shows.
TEST_F(Copy, AKilledCopyLeavesTheDestinationFolderAsItWas) {
  temp.Write("target\\report.txt", "old");
  const std::string big = Join(source_folder, "big.bin");
  {
    platform::win32::UniqueHandle file(
        ::CreateFileW(W(big).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    LARGE_INTEGER size{};
    size.QuadPart = 1LL << 30;
    ASSERT_TRUE(::SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(::SetEndOfFile(file.get()));
  }
  std::wstring command = L"\"" + W(Join(TestProgramFolder(), "win32_copy_child.exe")) + L"\" \"" +
                         W(big) + L"\" \"" + W(target) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &child));
  platform::win32::UniqueHandle process(child.hProcess);
  platform::win32::UniqueHandle thread(child.hThread);
  // The mark comes a moment after the file is made, the data only after the mark: the kill
  // comes once the temporary file holds data (or, where a folder shows sizes late, soon after
  // it showed).
  bool copying = false;
  for (int i = 0; i < 10000 && !copying; ++i) {
    copying = TemporarySize(target_folder).has_value();
    if (!copying) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  for (int i = 0; i < 100 && TemporarySize(target_folder).value_or(0) == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  constexpr UINT kKilled = 77;
  ::TerminateProcess(process.get(), kKilled);
  ASSERT_EQ(::WaitForSingleObject(process.get(), 10000), WAIT_OBJECT_0);
  ASSERT_TRUE(copying) << "the copy never made its temporary file";
  DWORD code = 0;
  ::GetExitCodeProcess(process.get(), &code);
  ASSERT_EQ(code, kKilled) << "the copy ended before it was killed";

  // The system may take a moment after the process is gone to close what it held.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (RawNames(target_folder).size() > 1 && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ExpectOnly({"report.txt"});
  EXPECT_EQ(ReadAll(target), "old");
}

// A power cut leaves the temporary file of a copy in progress (its mark for deletion lives in
// memory only): the next copy into that folder removes it. A file another copy is writing is
// open shared with nobody, and stays; so does every name that merely looks like a temporary one.
TEST_F(Copy, APowerCutsLeftoversGoWithTheNextCopyAndEverythingElseStays) {
  for (const char* name : {".report.txt.vantrel-k3j9q2", ".vantrel-zz99zz"}) {
    temp.Write(std::string("target\\") + name, "half a copy");
  }
  const std::string held = temp.Write("target\\.other.doc.vantrel-aaaaaa", "being written");
  platform::win32::UniqueHandle holder(::CreateFileW(W(held).c_str(), GENERIC_WRITE | DELETE, 0,
                                                     nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder.valid());
  std::vector<std::string> kept = {".other.doc.vantrel-aaaaaa", ".notes.vantrel-",
                                   ".notes.vantrel-ABCDEF",     ".notes.vantrel-abc12",
                                   ".notes.vantrel-abc1234",    "notes.vantrel-abc123"};
  for (std::size_t i = 1; i < kept.size(); ++i) temp.Write("target\\" + kept[i], "mine");
  temp.Folder("target\\.dir.vantrel-abc123");
  kept.push_back(".dir.vantrel-abc123");

  EXPECT_FALSE(CopyFile(source, target));
  holder.Reset();
  kept.push_back("report.txt");
  std::sort(kept.begin(), kept.end());
  ExpectOnly(kept);
  EXPECT_EQ(ReadAll(held), "being written");
}

// ---- The temporary file's name: within 255 UTF-16 units, never between the halves of a
// surrogate pair, and told apart from every look-alike.

bool IsHighSurrogate(wchar_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

std::wstring Repeated(std::wstring_view piece, std::size_t times) {
  std::wstring text;
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

TEST(TemporaryName, StaysWithinTheLongestNameAndKeepsSurrogatePairsWhole) {
  constexpr std::size_t kFixed = 1 + 9 + 6;   // ".", ".vantrel-", the tail
  const std::wstring pair = L"\xD83D\xDE00";  // one character outside the BMP
  struct Case {
    std::wstring name;
    std::size_t kept;  // units of it the temporary name keeps
  };
  const Case cases[] = {
      {std::wstring(300, L'a'), 239},
      {std::wstring(239, L'a'), 239},
      {std::wstring(238, L'a') + pair + L"b", 238},  // the pair would straddle the end: left out
      {std::wstring(237, L'a') + pair + L"b", 239},  // the pair ends the kept part: kept whole
      {std::wstring(239, L'a') + pair, 239},         // the pair starts just past the end
      {Repeated(pair, 127), 238},
      {L"report.txt", 10},
  };
  for (const Case& c : cases) {
    const std::wstring temporary = platform::win32::TemporaryName(c.name, L"abc123");
    SCOPED_TRACE(platform::win32::Narrow(temporary));
    EXPECT_LE(temporary.size(), 255u);
    EXPECT_EQ(temporary.size(), kFixed + c.kept);
    EXPECT_EQ(temporary.substr(1, c.kept), c.name.substr(0, c.kept));
    EXPECT_FALSE(IsHighSurrogate(temporary[c.kept])) << "a pair cut in two";
    EXPECT_TRUE(platform::win32::IsTemporaryName(temporary));
  }
  // "." and the same name less its end: the one way the two could come out equal.
  const std::wstring look_alike = std::wstring(241, L'.') + L"vantrel-abc123";
  EXPECT_NE(platform::win32::TemporaryName(look_alike, L"abc123"), look_alike);
}

// A sparse source is copied range by range; what lies between the ranges, and after the last
// one up to the source's end, reads as zeros in the copy.
TEST(CopyRanges, CopiesTheRangesToTheirPlacesAndEndsWhereTheSourceEnds) {
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  TempFolder temp;
  std::string data(3 * kMiB + 100, '\0');
  data.replace(0, 10, "first part");
  data.replace(kMiB + 3, 11, "second part");
  const std::string source = temp.Write("sparse.bin", data);
  const std::string copy = Join(temp.str(), "copy.bin");
  const auto copy_ranges = [&](std::vector<platform::win32::ByteRange> ranges, std::uint64_t size) {
    platform::win32::UniqueHandle in(
        ::CreateFileW(W(source).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    platform::win32::UniqueHandle out(
        ::CreateFileW(W(copy).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    platform::win32::MakeSparse(out.get());  // Wine accepts and ignores it
    return platform::win32::CopyRanges(in.get(), out.get(), ranges, size);
  };

  // Allocation comes in whole clusters: the ranges hold the data and more.
  EXPECT_FALSE(copy_ranges({{0, 65536}, {kMiB, 65536}, {8 * kMiB, 65536}}, data.size()));
  EXPECT_EQ(ReadAll(copy), data);
  // A range that runs past the end is copied up to it.
  EXPECT_FALSE(copy_ranges({{3 * kMiB, kMiB}}, data.size()));
  EXPECT_EQ(ReadAll(copy), std::string(data.size(), '\0'));
  // A source that ends before the size it was said to have fails the copy.
  EXPECT_TRUE(copy_ranges({{3 * kMiB, kMiB}}, data.size() + 50));
}

}  // namespace
}  // namespace vantrel::testing
