// FileSystem::CopyFile on POSIX beyond the contract (tests/contract): permission bits, raw names,
// links, FIFOs and devices, the file-size limit, and its temporary files.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <gtest/gtest.h>

#include "platform/os_services.h"
#include "platform/posix/copy_file.h"
#include "platform/posix/temporary_name.h"
#include "sandbox.h"

namespace vantrel::platform::posix {
void PrintTo(TemporaryFile temporary, std::ostream* out) {
  *out << (temporary == TemporaryFile::Unnamed ? "unnamed" : "named");
}
}  // namespace vantrel::platform::posix

namespace vantrel::testing {

namespace posix = platform::posix;
using platform::FileSystem;
using platform::MakeNativeFileSystem;
using platform::PrepareProcess;

namespace {

// Each case runs both ways: through the FileSystem (an unnamed temporary file, which every
// file system these tests run on offers) and through the named temporary file that file systems
// without unnamed files get.
class CopyFileTest : public ::testing::TestWithParam<posix::TemporaryFile> {
 protected:
  std::error_code Copy(const std::string& from, const std::string& to) {
    if (GetParam() == posix::TemporaryFile::Unnamed) return files->CopyFile(from, to);
    return posix::CopyFileSafely(from, to, nullptr, posix::TemporaryFile::Named);
  }

  Sandbox box;
  std::unique_ptr<FileSystem> files = MakeNativeFileSystem();
  std::string source_folder = box.Folder("source");
  std::string destination_folder = box.Folder("destination");
};

TEST_P(CopyFileTest, KeepsPermissionBits) {
  const std::string from = box.Write("source/tool", "#!/bin/sh\n", 0750);
  const std::string to = destination_folder + "/tool";
  EXPECT_FALSE(Copy(from, to));
  EXPECT_EQ(StatOf(to).st_mode & 07777, 0750u);
}

TEST_P(CopyFileTest, NamesThatAreNotUtf8AreCopiedExactly) {
  const std::string name = "caf\xe9 \xff\xfe.txt";
  const std::string from = box.Write("source/" + name, "bytes");
  EXPECT_FALSE(Copy(from, destination_folder + "/" + name));
  EXPECT_EQ(NamesIn(destination_folder), std::vector<std::string>{name});
  EXPECT_EQ(ReadFile(destination_folder + "/" + name), "bytes");
}

TEST_P(CopyFileTest, ALongestPossibleNameIsCopied) {
  const std::string name(255, 'n');
  const std::string from = box.Write("source/" + name, "long");
  EXPECT_FALSE(Copy(from, destination_folder + "/" + name));
  EXPECT_EQ(NamesIn(destination_folder), std::vector<std::string>{name});
}

// The name at the destination is replaced, not the file a link there points to.
TEST_P(CopyFileTest, ALinkAtTheDestinationIsReplacedAndItsTargetKept) {
  const std::string from = box.Write("source/a.txt", "new");
  const std::string other = box.Write("other.txt", "other");
  const std::string to = destination_folder + "/a.txt";
  ASSERT_EQ(::symlink(other.c_str(), to.c_str()), 0);
  EXPECT_FALSE(Copy(from, to));
  EXPECT_TRUE(S_ISREG(StatOf(to).st_mode));
  EXPECT_EQ(ReadFile(to), "new");
  EXPECT_EQ(ReadFile(other), "other");
}

// A drop box: an ordinary user may write into the folder but not list it.
TEST_P(CopyFileTest, CopiesIntoAFolderThatCannotBeListed) {
  ::chmod(box.path().c_str(), 0755);
  ::chmod(source_folder.c_str(), 0755);
  const std::string from = box.Write("source/a.txt", "dropped");
  const std::string drop_box = box.Folder("drop-box", 0333);
  const auto result = RunInChild([&] {
    if (::geteuid() == 0 &&
        (::chown(drop_box.c_str(), 65534, 65534) != 0 || ::setuid(65534) != 0)) {
      return 3;
    }
    return Copy(from, drop_box + "/a.txt") ? 1 : 0;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadFile(drop_box + "/a.txt"), "dropped");
}

// ---- Refusals: each leaves every file as it was.

TEST_P(CopyFileTest, ADeviceIsNotCopied) {
  EXPECT_TRUE(Copy("/dev/null", destination_folder + "/null"));
  EXPECT_TRUE(NamesIn(destination_folder).empty());
}

// A FIFO with no writer would block a plain open or read for ever.
TEST_P(CopyFileTest, AFifoIsRefusedAtOnce) {
  const std::string fifo = source_folder + "/pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  const std::string to = destination_folder + "/pipe";
  const auto result = RunInChild([&] { return Copy(fifo, to) ? 1 : 0; });
  ASSERT_TRUE(result.has_value()) << "the copy of a FIFO hung";
  EXPECT_EQ(*result, 1);
  EXPECT_TRUE(NamesIn(destination_folder).empty());
}

// A write past the file-size limit: the program prepared as main() prepares it lives on, the copy
// fails with EFBIG, and the old destination stays byte for byte with nothing beside it.
TEST_P(CopyFileTest, AWritePastTheFileSizeLimitFailsTheCopyAndLeavesNothingBehind) {
  const std::string from = box.Write("source/big", std::string(4 * 1024 * 1024, 'x'));
  const std::string to = box.Write("destination/big", "previous content");
  const auto result = RunInChild([&] {
    std::signal(SIGXFSZ, SIG_DFL);
    PrepareProcess();
    if (!LimitFileSize(1024 * 1024)) return 3;
    return Copy(from, to) == std::errc::file_too_large ? 0 : 1;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadFile(to), "previous content");
  EXPECT_EQ(NamesIn(destination_folder), std::vector<std::string>{"big"});
}

// ---- What a copy killed outright left behind goes with the next copy into that folder; what a
// running copy holds, and every name that merely looks like a temporary one, stays.

TEST_P(CopyFileTest, LeftoversOfKilledCopiesGoAndEverythingElseStays) {
  const std::string from = box.Write("source/a.txt", "new");
  const std::vector<std::string> leftovers = {".a.txt.vantrel-Ab3dE9", ".vantrel-Zz9yY8",
                                              "..vantrel-000000"};
  for (const std::string& name : leftovers) box.Write("destination/" + name, "half a copy", 0600);
  // A copy in another process writing now: its file is held.
  const std::string held = box.Write("destination/.b.txt.vantrel-Qw12Er", "being written", 0600);
  const int holder = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
  // Names of the user's and other programs' files that only look alike.
  std::vector<std::string> kept = {".b.txt.vantrel-Qw12Er",  ".a.txt.vantrel-",
                                   ".a.txt.vantrel-abc12",   ".a.txt.vantrel-abc!23",
                                   ".a.txt.vantrel-abc1234", "a.txt.vantrel-abc123",
                                   ".a.txt.Vantrel-abc123",  "other.txt"};
  for (std::size_t i = 1; i < kept.size(); ++i) box.Write("destination/" + kept[i], "mine");
  box.Folder("destination/.d.vantrel-abc123");
  ASSERT_EQ(::symlink("other.txt", (destination_folder + "/.l.vantrel-abc123").c_str()), 0);
  ASSERT_EQ(::link((destination_folder + "/other.txt").c_str(),
                   (destination_folder + "/.h.vantrel-abc123").c_str()),
            0);
  kept.insert(kept.end(), {".d.vantrel-abc123", ".l.vantrel-abc123", ".h.vantrel-abc123"});
  if (::geteuid() == 0) {  // another user's file, where this test may make one
    const std::string theirs = box.Write("destination/.c.vantrel-abc123", "theirs", 0600);
    ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
    kept.push_back(".c.vantrel-abc123");
  }

  EXPECT_FALSE(Copy(from, destination_folder + "/a.txt"));
  ::close(holder);
  kept.push_back("a.txt");
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(NamesIn(destination_folder), kept);
  EXPECT_EQ(ReadFile(held), "being written");
}

// A source or a destination named like a temporary file is the user's file: a copy within its
// own folder keeps its source, and a copy over such a file replaces it (the old file stays if
// the copy fails).
TEST_P(CopyFileTest, ASourceOrDestinationNamedLikeATemporaryFileIsTheUsers) {
  const std::string from = box.Write("destination/.a.vantrel-abc123", "mine");
  EXPECT_FALSE(Copy(from, destination_folder + "/copy.txt"));
  EXPECT_EQ(NamesIn(destination_folder),
            (std::vector<std::string>{".a.vantrel-abc123", "copy.txt"}));
  const std::string big = box.Write("source/big", std::string(2 * 1024 * 1024, 'x'));
  const std::string over = box.Write("destination/.b.vantrel-abc123", "old");
  const auto result = RunInChild([&] {
    PrepareProcess();
    if (!LimitFileSize(1024 * 1024)) return 3;
    return Copy(big, over) == std::errc::file_too_large ? 0 : 1;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadFile(over), "old");
}

INSTANTIATE_TEST_SUITE_P(TemporaryFiles, CopyFileTest,
                         ::testing::Values(posix::TemporaryFile::Unnamed,
                                           posix::TemporaryFile::Named),
                         [](const auto& info) {
                           return info.param == posix::TemporaryFile::Unnamed ? "Unnamed" : "Named";
                         });

// ---- The temporary file's name: a valid name on every file system, whatever the file's own.

// UTF-16 units of UTF-8 text: one per character, two for one outside the Basic Multilingual
// Plane (a four-byte sequence); a stray byte counts as one.
std::size_t Utf16Units(std::string_view text) {
  std::size_t units = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    units += (byte & 0xC0) != 0x80 ? 1 : 0;
    units += byte >= 0xF0 && byte <= 0xF4 ? 1 : 0;
  }
  return units;
}

// The part of the file's name that the temporary name keeps.
std::string KeptPart(const std::string& temporary) {
  return temporary.substr(1, temporary.size() - 1 - std::string(".vantrel-").size() - 6);
}

void ExpectValid(const std::string& name, const std::string& temporary) {
  EXPECT_LE(temporary.size(), 255u);
  EXPECT_LE(Utf16Units(temporary), 255u);
  EXPECT_EQ(temporary.find('/'), std::string::npos);
  EXPECT_EQ(temporary.find('\0'), std::string::npos);
  EXPECT_NE(temporary, name);
  EXPECT_TRUE(posix::IsTemporaryName(temporary)) << temporary;
  EXPECT_TRUE(name.starts_with(KeptPart(temporary)));
}

std::string Repeated(std::string_view piece, std::size_t times) {
  std::string text;
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

TEST(TemporaryNameTest, LongNamesAreShortenedBetweenCharacters) {
  struct Case {
    std::string name;
    std::size_t kept;  // bytes of it the temporary name keeps
  };
  const Case cases[] = {
      {std::string(255, 'n'), 239},
      {Repeated("\xC3\xA9", 127) + "a", 238},            // 2-byte characters: 119 of them
      {Repeated("\xE2\x82\xAC", 85), 237},               // 255 bytes of 3-byte characters: 79
      {Repeated("\xF0\x9F\x98\x80", 63) + "abc", 236},   // 4-byte: 59, 118 UTF-16 units
      {"a" + Repeated("\xE2\x82\xAC", 84) + "b", 238},   // a boundary one byte on
      {std::string(255, '\xFF'), 239},                   // not UTF-8: each byte a character
      {std::string(238, '\xFF') + "\xE2\x82\xAC", 238},  // a character that no longer fits
      {std::string(238, '\xFF') + "\xE2\x82x", 239},     // a sequence cut short: a lone byte
      {"short name.txt", 14},
  };
  for (const Case& c : cases) {
    const std::string temporary = posix::TemporaryName(c.name);
    SCOPED_TRACE(temporary);
    ExpectValid(c.name, temporary);
    EXPECT_EQ(KeptPart(temporary), c.name.substr(0, c.kept));
  }
}

TEST(TemporaryNameTest, TheNameOfAFileNamedLikeItsTemporaryDiffers) {
  // "." and then the same name less its end: the one way the two could come out equal.
  const std::string name = std::string(241, '.') + "vantrel-abc123";
  ASSERT_EQ(name.size(), 255u);
  ExpectValid(name, posix::TemporaryName(name, "abc123"));
  ExpectValid("x/y", posix::TemporaryName("x/y"));
}

// ---- Copying a file onto itself through a symbolic link fails and changes nothing.

struct Spelling {
  const char* label;
  // Makes the two paths in the sandbox, given the path of the one real file "folder/a.txt".
  std::string (*from)(const Sandbox&, const std::string& file);
  std::string (*to)(const Sandbox&, const std::string& file);
};

void PrintTo(const Spelling& spelling, std::ostream* out) {
  *out << spelling.label;
}

std::string Same(const Sandbox&, const std::string& file) {
  return file;
}

// The other spellings, and hard links, are the contract's (CopyContract).
const Spelling kSpellings[] = {
    {"SymbolicLinkAtTheDestination", Same,
     [](const Sandbox& box, const std::string& file) {
       const std::string link = box / "elsewhere/a.txt";
       ::symlink(file.c_str(), link.c_str());
       return link;
     }},
    {"SymbolicLinkAsTheSource",
     [](const Sandbox& box, const std::string& file) {
       const std::string link = box / "elsewhere/a.txt";
       ::symlink(file.c_str(), link.c_str());
       return link;
     },
     Same},
    {"LinkedFolder", Same,
     [](const Sandbox& box, const std::string&) {
       ::symlink((box / "folder").c_str(), (box / "elsewhere/linked").c_str());
       return box / "elsewhere/linked/a.txt";
     }},
};

class CopyOntoItselfTest : public ::testing::TestWithParam<Spelling> {};

TEST_P(CopyOntoItselfTest, FailsAndLeavesTheFileByteForByte) {
  Sandbox box;
  box.Folder("folder");
  box.Folder("elsewhere");
  const std::string content = "the one and only file\n";
  const std::string file = box.Write("folder/a.txt", content, 0640);
  const struct stat before = StatOf(file);
  const std::string from = GetParam().from(box, file);
  const std::string to = GetParam().to(box, file);
  const std::vector<std::string> names = NamesIn(box / "folder");
  EXPECT_TRUE(MakeNativeFileSystem()->CopyFile(from, to));
  const struct stat after = StatOf(file);
  EXPECT_EQ(ReadFile(file), content);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_EQ(NamesIn(box / "folder"), names);
}

INSTANTIATE_TEST_SUITE_P(Spellings, CopyOntoItselfTest, ::testing::ValuesIn(kSpellings),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace vantrel::testing
