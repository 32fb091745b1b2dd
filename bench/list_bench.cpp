// Opening, refreshing and clicking in a large folder with the real Qt front end (offscreen),
// against what a user would run instead, in the same run on the same folder:
//   list_bench FOLDER FILES FOLDERS START [RUNS]            open, refresh and click
//   list_bench --memory FOLDER FILES FOLDERS START           memory per listed name
// FOLDER and START are made by make_folder with those numbers (START with 20 files, 3 folders);
// the program starts in START, and each timing opens FOLDER from there. Prints one line per figure.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_program.h"
#include "bench_support.h"
#include "folder_fixture.h"

namespace vantrel::bench {
namespace {

constexpr FolderShape kStartShape{.files = 20, .folders = 3};

struct Setup {
  std::string folder;
  FolderShape shape;
  std::string start;
  int runs = 5;
};

struct OpenTimes {
  double filled = 0;         // Dir1, File1 and Label4 filled, window painted
  double with_programs = 0;  // and File3 filled, window painted
};

// Opens the start folder in the source pane and waits until its lists are complete.
void ReturnToStart(BenchProgram& program, const Setup& setup) {
  program.form2().FindFolderList("Dir1").SetPath(setup.start);
  const std::size_t programs = Expected(kStartShape).programs;
  program.WaitFor([&] { return program.Rows("File3") == programs; }, "the start folder");
  program.Settle();
}

OpenTimes TimeOpen(BenchProgram& program, const Setup& setup) {
  ReturnToStart(program, setup);
  const ExpectedLists expected = Expected(setup.shape);
  OpenTimes times;
  const auto start = Clock::now();
  program.form2().FindFolderList("Dir1").SetPath(setup.folder);
  program.Settle();
  times.filled = MillisecondsSince(start);
  Require(program.Rows("File1") == expected.files, "File1 does not list every file");
  Require(program.Rows("Dir1") > expected.folders, "Dir1 does not list the subfolders");
  Require(program.Caption("Label4") == "Folder Name: " + setup.folder, "Label4 not set");
  program.WaitFor([&] { return program.Rows("File3") == expected.programs; }, "File3");
  program.window()->repaint();
  times.with_programs = MillisecondsSince(start);
  return times;
}

void BenchOpen(BenchProgram& program, const Setup& setup, bool& all_met) {
  std::vector<double> filled, with_programs, ls, ls_f;
  const std::string folder = setup.folder;
  TimeOpen(program, setup);  // one uncounted round of each: caches and first allocations
  TimeCommand({"ls", "-1", folder});
  for (int run = 0; run < setup.runs; ++run) {
    // Alternate which side goes first, so neither always meets the warmer cache.
    if (run % 2 != 0) {
      ls.push_back(TimeCommand({"ls", "-1", folder}));
      ls_f.push_back(TimeCommand({"ls", "-1F", folder}));
    }
    const OpenTimes times = TimeOpen(program, setup);
    filled.push_back(times.filled);
    with_programs.push_back(times.with_programs);
    if (run % 2 == 0) {
      ls.push_back(TimeCommand({"ls", "-1", folder}));
      ls_f.push_back(TimeCommand({"ls", "-1F", folder}));
    }
  }
  const std::string n = std::to_string(setup.shape.files);
  all_met &= Report({.what = "open " + n + " files: Dir1, File1, Label4 painted",
                     .value = Median(filled),
                     .reference = "ls -1",
                     .reference_value = Median(ls),
                     .target_ratio = 1.0});
  all_met &= Report({.what = "open " + n + " files: File3 (execute bits) too",
                     .value = Median(with_programs),
                     .reference = "ls -1F",
                     .reference_value = Median(ls_f),
                     .target_ratio = 0.75});
}

void BenchRefresh(BenchProgram& program, const Setup& setup, bool& all_met) {
  program.form2().FindFolderList("Dir2").SetPath(setup.folder);
  program.Settle();
  QListView* file2 = program.List("File2");
  const int picked = file2->model()->rowCount() / 3;
  file2->scrollTo(file2->model()->index(picked, 0));
  program.Settle();
  ClickRow(file2, picked);
  platform::FileList& list = program.form2().FindFileList("File2");
  const std::string selected = list.FileName();
  Require(!selected.empty(), "no file picked in File2");
  std::vector<double> refresh, ls;
  for (int run = -1; run < setup.runs; ++run) {
    if (run % 2 != 0) ls.push_back(TimeCommand({"ls", "-1", setup.folder}));
    const auto start = Clock::now();
    list.Refresh();
    program.Settle();
    refresh.push_back(MillisecondsSince(start));
    Require(program.Rows("File2") == Expected(setup.shape).files, "File2 lost files");
    Require(list.FileName() == selected, "Refresh lost the selection");
    if (run % 2 == 0) ls.push_back(TimeCommand({"ls", "-1", setup.folder}));
    if (run < 0) refresh.clear(), ls.clear();  // the uncounted round
  }
  all_met &= Report({.what = "refresh File2 on " + std::to_string(setup.shape.files) + " files",
                     .value = Median(refresh),
                     .reference = "ls -1",
                     .reference_value = Median(ls),
                     .target_ratio = 0.75});
}

void BenchClick(BenchProgram& program, const Setup& setup, bool& all_met) {
  QListView* file1 = program.List("File1");
  platform::FileList& list = program.form2().FindFileList("File1");
  std::vector<double> clicks;
  const int rows = file1->model()->rowCount();
  for (int run = 0; run < setup.runs * 4; ++run) {
    const int row = static_cast<int>((static_cast<long long>(run) * 7919 + 13) % rows);
    file1->scrollTo(file1->model()->index(row, 0));
    program.Settle();
    const auto start = Clock::now();
    ClickRow(file1, row);
    program.Settle();
    clicks.push_back(MillisecondsSince(start));
    Require(program.Caption("Label1") == "Filename:" + list.FileName(), "Label1 not updated");
  }
  all_met &= Report({.what = "click a file among " + std::to_string(setup.shape.files),
                     .value = Median(clicks),
                     .reference = "one frame",
                     .reference_value = 16.0,
                     .target_ratio = 1.0});
}

std::size_t PerName(std::size_t after, std::size_t before, std::size_t names) {
  return after > before ? (after - before) / names : 0;
}

int BenchMemory(const Setup& setup) {
  BenchProgram program(setup.start);
  const Memory before = MemoryNow();
  const auto start = Clock::now();
  program.form2().FindFolderList("Dir1").SetPath(setup.folder);
  program.Settle();
  const double filled = MillisecondsSince(start);
  program.WaitFor([&] { return program.Rows("File3") == Expected(setup.shape).programs; }, "File3");
  const std::size_t names = program.Rows("File1");
  Require(names == Expected(setup.shape).files, "File1 does not list every file");
  for (int turn = 0; turn < 3; ++turn) program.Settle();
  const Memory after = MemoryNow();
  const double ls = TimeCommand({"ls", "-1", setup.folder});
  const std::string n = std::to_string(names);
  ReportContext({.what = "open " + n + " files: Dir1, File1, Label4 painted",
                 .value = filled,
                 .reference = "ls -1",
                 .reference_value = ls});
  ReportContext({.what = "open " + n + " files: peak memory growth per name",
                 .value = static_cast<double>(PerName(after.peak_resident, before.resident, names)),
                 .reference = "limit",
                 .reference_value = 150,
                 .unit = "B"});
  ReportContext(
      {.what = "open " + n + " files: heap growth per name",
       .value = static_cast<double>(PerName(after.heap_in_use, before.heap_in_use, names)),
       .reference = "limit",
       .reference_value = 150,
       .unit = "B"});
  const bool met =
      Report({.what = "open " + n + " files: memory growth per name",
              .value = static_cast<double>(PerName(after.resident, before.resident, names)),
              .reference = "limit",
              .reference_value = 150,
              .unit = "B"});
  return met ? 0 : 1;
}

int BenchSpeed(const Setup& setup) {
  BenchProgram program(setup.start);
  bool all_met = true;
  BenchOpen(program, setup, all_met);
  BenchClick(program, setup, all_met);
  BenchRefresh(program, setup, all_met);
  Require(program.dialogs_asked() == 0, "a dialog was asked");
  return all_met ? 0 : 1;
}

}  // namespace
}  // namespace vantrel::bench

int main(int argc, char** argv) {
  using namespace vantrel::bench;
  const bool memory = argc > 1 && std::strcmp(argv[1], "--memory") == 0;
  const int first = memory ? 2 : 1;
  if (argc - first < 4) {
    std::fprintf(stderr, "usage: list_bench [--memory] FOLDER FILES FOLDERS START [RUNS]\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  Setup setup{.folder = argv[first],
              .shape = {.files = std::strtoull(argv[first + 1], nullptr, 10),
                        .folders = std::strtoull(argv[first + 2], nullptr, 10)},
              .start = argv[first + 3]};
  if (argc - first > 4) setup.runs = std::atoi(argv[first + 4]);
  return memory ? BenchMemory(setup) : BenchSpeed(setup);
}
