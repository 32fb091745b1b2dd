// The folders the listing benchmarks open: many regular files with names of mixed case and
// length (a few not valid UTF-8, a few hidden, some executable or named *.exe), and subfolders.
// The same numbers always give the same folder, so a benchmark knows what each list must show.
#pragma once

#include <cstddef>
#include <string>

namespace vantrel::bench {

struct FolderShape {
  std::size_t files = 0;    // regular files that are not hidden
  std::size_t folders = 0;  // subfolders
};

struct ExpectedLists {
  std::size_t files = 0;     // what a file list with the pattern "*" shows
  std::size_t programs = 0;  // what the run pane shows: executable or named *.exe*
  std::size_t folders = 0;   // subfolders the folder list shows
};

ExpectedLists Expected(const FolderShape& shape);

// Makes the folder (which must not exist yet) with everything in it; false on any failure.
bool MakeFolder(const std::string& path, const FolderShape& shape);
// Adds files to a folder made with the same number of folders and `made` files, so that it
// becomes the folder of that shape (a large folder grows into a huge one without being made
// again).
bool GrowFolder(const std::string& path, const FolderShape& shape, std::size_t made);

}  // namespace vantrel::bench
