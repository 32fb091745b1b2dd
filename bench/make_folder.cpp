// Makes a benchmark folder: make_folder PATH FILES FOLDERS (see folder_fixture.h).
#include <cstdio>
#include <cstdlib>

#include "folder_fixture.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_folder PATH FILES FOLDERS\n");
    return 2;
  }
  const vantrel::bench::FolderShape shape{.files = std::strtoull(argv[2], nullptr, 10),
                                          .folders = std::strtoull(argv[3], nullptr, 10)};
  if (!vantrel::bench::MakeFolder(argv[1], shape)) {
    std::perror("make_folder");
    return 1;
  }
  return 0;
}
