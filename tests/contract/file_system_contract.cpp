// The FileSystem contract: what the copy, the deletes, make folder, file length and file existence
// do on every platform.
#include "file_system_contract.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vantrel::testing {
namespace {

using Names = std::vector<std::string>;

// ---- CopyFile: a complete copy replaces the destination, and nothing else is left.

TEST_P(CopyContract, CopiesIntoAnotherFolderAndLeavesNothingElse) {
  const std::string from = box.Write("source/a.txt", "hello");
  EXPECT_FALSE(files->CopyFile(from, box.Join(destination_folder, "a.txt")));
  EXPECT_EQ(box.Read(box.Join(destination_folder, "a.txt")), "hello");
  EXPECT_EQ(box.Read(from), "hello");
  EXPECT_EQ(box.Names(destination_folder), Names{"a.txt"});
}

TEST_P(CopyContract, ReplacesAnExistingDestination) {
  const std::string from = box.Write("source/a.txt", "new content");
  const std::string to = box.Write("destination/a.txt", "old content that was longer");
  EXPECT_FALSE(files->CopyFile(from, to));
  EXPECT_EQ(box.Read(to), "new content");
  EXPECT_EQ(box.Names(destination_folder), Names{"a.txt"});
}

TEST_P(CopyContract, CopiesAnEmptyFileAndALargerOne) {
  const std::string empty = box.Write("source/empty", "");
  std::string large(3 * 1024 * 1024 + 17, '\0');
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 31 % 251);
  const std::string big = box.Write("source/big", large);
  EXPECT_FALSE(files->CopyFile(empty, box.Join(destination_folder, "empty")));
  EXPECT_FALSE(files->CopyFile(big, box.Join(destination_folder, "big")));
  EXPECT_EQ(box.Read(box.Join(destination_folder, "empty")), "");
  EXPECT_EQ(box.Read(box.Join(destination_folder, "big")), large);
}

// To the system's finest unit: an odd number of them past an odd second.
TEST_P(CopyContract, KeepsTheModificationTime) {
  const std::string from = box.Write("source/a.txt", "dated");
  const std::int64_t time = box.ModifiedTime(from) - 1000 * box.Second() - 7;
  box.SetModifiedTime(from, time);
  ASSERT_EQ(box.ModifiedTime(from), time);
  const std::string to = box.Join(destination_folder, "a.txt");
  EXPECT_FALSE(files->CopyFile(from, to));
  EXPECT_EQ(box.ModifiedTime(to), time);
}

// When `copied` is given, it receives the size and time of the source read; a failed copy leaves
// it as it was.
TEST_P(CopyContract, RecordsTheVersionOfTheSourceItCopiedAndOnlyWhenItDid) {
  const std::string from = box.Write("source/a.txt", "copied content");
  const std::string to = box.Join(destination_folder, "a.txt");
  platform::FileVersion copied;
  ASSERT_FALSE(files->CopyFile(from, to, &copied));
  EXPECT_EQ(copied.size, 14u);
  EXPECT_EQ(copied.modified, box.ModifiedTime(from));
  platform::FileVersion untouched = copied;
  untouched.size = 77;
  const platform::FileVersion before = untouched;
  EXPECT_TRUE(files->CopyFile(box.Join(source_folder, "missing.txt"), to, &untouched));
  EXPECT_EQ(untouched, before);
}

// ---- Refusals: each leaves every file as it was.

TEST_P(CopyContract, AReadOnlyDestinationIsNotReplaced) {
  const std::string from = box.Write("source/a.txt", "new");
  const std::string to = box.Write("destination/a.txt", "kept");
  box.SetReadOnly(to, true);
  EXPECT_TRUE(files->CopyFile(from, to));
  box.SetReadOnly(to, false);
  EXPECT_EQ(box.Read(to), "kept");
  EXPECT_EQ(box.Names(destination_folder), Names{"a.txt"});
}

TEST_P(CopyContract, AFolderAtTheDestinationIsRefused) {
  const std::string from = box.Write("source/a.txt", "new");
  const std::string folder = box.Folder("destination/a.txt");
  EXPECT_TRUE(files->CopyFile(from, folder));
  EXPECT_TRUE(box.IsFolder(folder));
  EXPECT_TRUE(box.Names(folder).empty());
}

// With nothing selected a path is its folder and a separator.
TEST_P(CopyContract, NothingSelectedCopiesNothing) {
  const std::string from = box.Write("source/a.txt", "a");
  const std::string destination = destination_folder + box.separator();
  EXPECT_TRUE(files->CopyFile(source_folder + box.separator(), destination));
  EXPECT_TRUE(files->CopyFile(from, destination));
  EXPECT_TRUE(files->CopyFile(source_folder + box.separator(), box.Join(destination_folder, "a")));
  EXPECT_TRUE(box.Names(destination_folder).empty());
  EXPECT_EQ(box.Names(source_folder), Names{"a.txt"});
}

TEST_P(CopyContract, AFolderIsNoSource) {
  box.Folder("source/inner");
  EXPECT_TRUE(
      files->CopyFile(box.Join(source_folder, "inner"), box.Join(destination_folder, "inner")));
  EXPECT_TRUE(box.Names(destination_folder).empty());
}

TEST_P(CopyContract, AMissingSourceLeavesTheDestinationUntouched) {
  const std::string to = box.Write("destination/a.txt", "kept");
  EXPECT_TRUE(files->CopyFile(box.Join(source_folder, "a.txt"), to));
  EXPECT_EQ(box.Read(to), "kept");
  EXPECT_EQ(box.Names(destination_folder), Names{"a.txt"});
}

TEST_P(CopyContract, AMissingDestinationFolderFails) {
  const std::string from = box.Write("source/a.txt", "a");
  EXPECT_TRUE(files->CopyFile(from, box.Path("nowhere/a.txt")));
  EXPECT_FALSE(box.Exists(box.Path("nowhere")));
}

// A file copied onto itself under another spelling of its path, or through another name of it,
// fails, both ways round, before anything is written: the folder's time shows that not even a
// temporary file came and went.
TEST_P(CopyContract, OntoItselfUnderAnotherSpellingChangesNothing) {
  const std::string file = box.Write("source/a.txt", "the one and only file\n");
  const std::string linked = box.Join(source_folder, "hard.txt");
  box.HardLink(file, linked);
  const char s = box.separator();
  const std::pair<std::string, std::string> spellings[] = {
      {"same path", file},
      {"dot segment", source_folder + s + '.' + s + "a.txt"},
      {"dot-dot segment", source_folder + s + ".." + s + "source" + s + "a.txt"},
      {"doubled separator", source_folder + s + s + "a.txt"},
      {"hard link", linked},
  };
  const std::int64_t file_time = box.ModifiedTime(file) - 100 * box.Second();
  const std::int64_t folder_time = box.ModifiedTime(source_folder) - 100 * box.Second();
  box.SetModifiedTime(file, file_time);
  box.SetModifiedTime(source_folder, folder_time);
  for (const auto& [label, other] : spellings) {
    EXPECT_TRUE(files->CopyFile(file, other)) << label;
    EXPECT_TRUE(files->CopyFile(other, file)) << label;
  }
  EXPECT_EQ(box.Read(file), "the one and only file\n");
  EXPECT_EQ(box.ModifiedTime(file), file_time);
  EXPECT_EQ(box.ModifiedTime(source_folder), folder_time);
  EXPECT_EQ(box.Names(source_folder), (Names{"a.txt", "hard.txt"}));
  box.Overwrite(linked, "THE");  // still one file under two names
  EXPECT_EQ(box.Read(file), "THE one and only file\n");
}

// ---- DeleteFile: one file, never a folder, never a read-only file.

TEST_P(FileSystemContract, DeleteRemovesTheFileAndNothingElse) {
  const std::string file = box.Write("a.txt", "a");
  box.Write("b.txt", "b");
  EXPECT_FALSE(files->DeleteFile(file));
  EXPECT_EQ(box.Names(box.root()), Names{"b.txt"});
  EXPECT_TRUE(files->DeleteFile(file));  // gone already
}

TEST_P(FileSystemContract, DeleteNeverRemovesAFolderNotEvenAnEmptyOne) {
  const std::string folder = box.Folder("empty");
  EXPECT_TRUE(files->DeleteFile(folder));
  EXPECT_TRUE(files->DeleteFile(folder + box.separator()));
  EXPECT_TRUE(files->DeleteFile(box.Join(folder, ".")));
  EXPECT_TRUE(box.IsFolder(folder));
}

// With nothing selected the path is the folder and a separator: the folder and its files stay.
TEST_P(FileSystemContract, DeleteWithNothingSelectedRemovesNothing) {
  const std::string folder = box.Folder("source");
  box.Write("source/a.txt", "a");
  EXPECT_TRUE(files->DeleteFile(folder + box.separator()));
  EXPECT_EQ(box.Names(folder), Names{"a.txt"});
}

// A read-only file is not deleted (so a move of one leaves it in both folders).
TEST_P(FileSystemContract, DeleteRefusesAReadOnlyFile) {
  const std::string file = box.Write("locked.txt", "kept");
  box.SetReadOnly(file, true);
  EXPECT_TRUE(files->DeleteFile(file));
  box.SetReadOnly(file, false);
  EXPECT_EQ(box.Read(file), "kept");
}

// ---- DeleteCopiedFile: a move deletes its source only while it is the very file copied.

TEST_P(GuardedDeleteContract, TheUnchangedSourceIsDeleted) {
  EXPECT_FALSE(files->DeleteCopiedFile(source, copied));
  EXPECT_FALSE(box.Exists(source));
  EXPECT_EQ(box.Read(destination), "copied content");
  EXPECT_TRUE(files->DeleteCopiedFile(source, copied));  // gone already
}

// Another program saved over the name the usual way (a new file renamed over it): even with the
// same size and time it is another file, and it stays.
TEST_P(GuardedDeleteContract, AFileRenamedOverTheSourceIsNeverDeleted) {
  const std::string saved = box.Write("saved.tmp", "COPIED CONTENT");
  box.SetModifiedTime(saved, box.ModifiedTime(source));
  box.RenameOver(saved, source);
  EXPECT_TRUE(files->DeleteCopiedFile(source, copied));
  EXPECT_EQ(box.Read(source), "COPIED CONTENT");
}

TEST_P(GuardedDeleteContract, ASourceRewrittenLongerIsKept) {
  box.Write("a.txt", "rewritten, and longer");
  EXPECT_TRUE(files->DeleteCopiedFile(source, copied));
  EXPECT_EQ(box.Read(source), "rewritten, and longer");
}

// Same file, same size: only the modification time tells the new content from the copied one.
TEST_P(GuardedDeleteContract, ASourceRewrittenToTheSameSizeIsKept) {
  const std::int64_t time = box.ModifiedTime(source);
  box.Overwrite(source, "COPIED");
  box.SetModifiedTime(source, time + box.Second());
  EXPECT_TRUE(files->DeleteCopiedFile(source, copied));
  EXPECT_EQ(box.Read(source), "COPIED content");
}

TEST_P(GuardedDeleteContract, TheRefusalsOfDeleteStillHold) {
  box.SetReadOnly(source, true);
  EXPECT_TRUE(files->DeleteCopiedFile(source, copied));
  box.SetReadOnly(source, false);
  const std::string folder = box.Folder("folder");
  EXPECT_TRUE(files->DeleteCopiedFile(folder, copied));
  EXPECT_TRUE(files->DeleteCopiedFile(box.root() + box.separator(), copied));  // nothing selected
  EXPECT_TRUE(files->DeleteCopiedFile(box.Path("missing"), copied));
  EXPECT_TRUE(box.IsFolder(folder));
  EXPECT_EQ(box.Read(source), "copied content");
  EXPECT_FALSE(files->DeleteCopiedFile(source, copied));  // and once nothing stands in the way
  EXPECT_FALSE(box.Exists(source));
}

// ---- MakeFolder: the last level only.

TEST_P(FileSystemContract, MakeFolderMakesOneLevel) {
  EXPECT_FALSE(files->MakeFolder(box.Path("New")));
  EXPECT_TRUE(box.IsFolder(box.Path("New")));
  EXPECT_EQ(box.Names(box.root()), Names{"New"});
}

TEST_P(FileSystemContract, MakeFolderFailsWhereTheNameExists) {
  box.Folder("Old");
  box.Write("file", "f");
  EXPECT_TRUE(files->MakeFolder(box.Path("Old")));
  EXPECT_TRUE(files->MakeFolder(box.Path("file")));
  EXPECT_EQ(box.Read(box.Path("file")), "f");
  EXPECT_EQ(box.Names(box.root()), (Names{"Old", "file"}));
}

TEST_P(FileSystemContract, MakeFolderDoesNotMakeAMissingParent) {
  EXPECT_TRUE(files->MakeFolder(box.Path("missing/New")));
  EXPECT_FALSE(box.Exists(box.Path("missing")));
}

// ---- FileLength: exact sizes, 64-bit, of files only.

TEST_P(FileSystemContract, FileLengthGivesTheExactSize) {
  EXPECT_EQ(files->FileLength(box.Write("empty", "")), 0u);
  EXPECT_EQ(files->FileLength(box.Write("k", std::string(1536, 'k'))), 1536u);
}

TEST_P(FileSystemContract, FileLengthOfAFileOver4GiB) {
  const std::string file = box.Path("holes");
  const std::uint64_t length = (std::uint64_t{5} << 30) + 123;
  box.WriteHoles(file, length);
  EXPECT_EQ(files->FileLength(file), length);
}

TEST_P(FileSystemContract, FileLengthIsNoneForAFolderOrAMissingFile) {
  EXPECT_EQ(files->FileLength(box.Path("missing")), std::nullopt);
  EXPECT_EQ(files->FileLength(box.Folder("folder")), std::nullopt);
  EXPECT_EQ(files->FileLength(box.root()), std::nullopt);
}

// ---- FileExists: the found name of a regular file.

TEST_P(FileSystemContract, FileExistsGivesTheNameOfARegularFileOnly) {
  const std::string file = box.Write("Tool.bin", "x");
  EXPECT_EQ(files->FileExists(file), "Tool.bin");
  EXPECT_EQ(files->FileExists(box.Path("missing")), "");
  EXPECT_EQ(files->FileExists(box.Folder("folder.bin")), "");
  EXPECT_EQ(files->FileExists(box.root() + box.separator()), "");
}

}  // namespace
}  // namespace vantrel::testing
