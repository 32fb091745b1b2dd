// Makes a benchmark folder (see folder_fixture.h):
//   make_folder PATH FILES FOLDERS            a new folder
//   make_folder PATH FILES FOLDERS MADE       grows the folder made with MADE files to FILES
#include <cstdio>
#include <cstdlib>

#include "folder_fixture.h"

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: make_folder PATH FILES FOLDERS [MADE]\n");
    return 2;
  }
  const vantrel::bench::FolderShape shape{.files = std::strtoull(argv[2], nullptr, 10),
                                          .folders = std::strtoull(argv[3], nullptr, 10)};
  const bool made =
      argc == 5 ? vantrel::bench::GrowFolder(argv[1], shape, std::strtoull(argv[4], nullptr, 10))
                : vantrel::bench::MakeFolder(argv[1], shape);
  if (!made) {
    std::perror("make_folder");
    return 1;
  }
  return 0;
}
