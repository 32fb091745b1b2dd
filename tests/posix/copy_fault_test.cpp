// Failures of single calls that the failing-call sweep found mishandled, each pinned down here by
// the one call that fails.
#include <unistd.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fault_run.h"
#include "fault_sweep_cases.h"
#include "sandbox.h"

namespace vantrel::testing {
namespace {

// ---- The write-behind: while a large file is copied, each finished 32 MiB chunk is flushed with
// sync_file_range, and the chunk before it waited for. A wait that meets a write error takes that
// error for the file, so the final fsync reports success: the copy must fail on the flush's own
// error, or it reports success for data that never reached the disk, and a move then deletes its
// source.

class WriteBehindFaultTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    const std::string why = WhyFaultsCannotBeInjected();
    if (!why.empty()) GTEST_SKIP() << why;
    contents.emplace(MakeContents(Content::kLarge, work));
    driver.emplace(work.path());
  }

  // Runs the operation with the `flush`-th sync_file_range failing (none for 0).
  DriverRun RunWithFailedFlush(const SweepCase& sweep, const Scene& scene, long flush) {
    FaultSettings settings = SettingsOf(sweep);
    settings.only_call = "sync_file_range";
    settings.fail_at = flush;
    DriverRun run = driver->Run(DriverArguments(sweep, scene), settings);
    EXPECT_TRUE(run.ran) << run.output;
    EXPECT_EQ(run.injected.size(), flush > 0 ? 1u : 0u) << "flush " << flush;
    return run;
  }

  // A copy of the large file starts two flushes and waits for one.
  static constexpr long kFlushes = 3;

  Sandbox work{FolderBaseFor(Content::kLarge)};
  std::optional<Contents> contents;
  std::optional<FaultDriver> driver;
};

TEST_P(WriteBehindFaultTest, AFailedFlushFailsTheCopyAndKeepsTheOldFile) {
  const SweepCase sweep{Operation::kCopyOver, Content::kLarge, Way::kKernelCopy, GetParam()};
  {
    const Scene scene(sweep, *contents);
    const DriverRun complete = RunWithFailedFlush(sweep, scene, 0);
    ASSERT_EQ(complete.calls, kFlushes) << complete.output;
  }
  for (long flush = 1; flush <= kFlushes; ++flush) {
    SCOPED_TRACE("flush " + std::to_string(flush));
    const Scene scene(sweep, *contents);
    const DriverRun run = RunWithFailedFlush(sweep, scene, flush);
    EXPECT_NE(run.result.at("copy"), 0) << run.output;
    EXPECT_TRUE(FileHolds(scene.places.destination, OldBytes())) << "the old file changed";
    EXPECT_EQ(NamesIn(scene.places.destination_folder),
              (std::vector<std::string>{kBystander, kFile}));
  }
}

TEST_P(WriteBehindFaultTest, AFailedFlushKeepsTheSourceOfAMove) {
  const SweepCase sweep{Operation::kMoveNew, Content::kLarge, Way::kKernelCopy, GetParam()};
  for (long flush = 1; flush <= kFlushes; ++flush) {
    SCOPED_TRACE("flush " + std::to_string(flush));
    const Scene scene(sweep, *contents);
    const DriverRun run = RunWithFailedFlush(sweep, scene, flush);
    EXPECT_NE(run.result.at("copy"), 0) << run.output;
    EXPECT_FALSE(run.result.contains("delete")) << run.output;
    EXPECT_TRUE(FileHolds(scene.places.source, contents->source_bytes)) << "the source changed";
    EXPECT_EQ(NamesIn(scene.places.destination_folder), std::vector<std::string>{kBystander});
  }
}

INSTANTIATE_TEST_SUITE_P(Errors, WriteBehindFaultTest, ::testing::Values("EIO", "ENOSPC"),
                         [](const auto& info) { return std::string(info.param); });

// ---- A folder an ordinary user may write to but not list (a drop box) opens for search only,
// and such a descriptor cannot be flushed. The copy then flushes the whole file system through the
// new file; a move must keep its source when that fails, or a power cut could take both names.
// This used to count the refused flush as done, and the move deleted its source.
TEST(DropBoxFaultTest, AMoveIntoAFolderThatCannotBeListedKeepsItsSourceUntilTheNameIsOnDisk) {
  const std::string why = WhyFaultsCannotBeInjected();
  if (!why.empty()) GTEST_SKIP() << why;
  Sandbox marker;
  ::chmod(marker.path().c_str(), 0777);  // the fault library writes there as nobody
  FaultDriver driver(marker.path());
  for (const long fail_at : {1L, 0L}) {
    SCOPED_TRACE(fail_at == 1 ? "the file system's flush fails" : "nothing fails");
    Sandbox box;
    ::chmod(box.path().c_str(), 0755);
    const std::string source_folder = box.Folder("source", 0777);
    const std::string from = box.Write("source/a.txt", "dropped", 0644);
    const std::string drop_box = box.Folder("drop-box", 0333);
    if (::geteuid() == 0) {
      ASSERT_EQ(::chown(from.c_str(), 65534, 65534), 0);
      ASSERT_EQ(::chown(drop_box.c_str(), 65534, 65534), 0);
    }
    FaultSettings settings;
    settings.only_call = "syncfs";
    settings.fail_at = fail_at;
    const DriverRun run = driver.Run({"as-nobody", "move", from, drop_box + "/a.txt"}, settings);
    ASSERT_TRUE(run.ran) << run.output;
    if (fail_at == 1) {
      ASSERT_EQ(run.injected.size(), 1u) << run.output;
      EXPECT_NE(run.result.at("copy"), 0) << run.output;
      EXPECT_FALSE(run.result.contains("delete")) << run.output;
      EXPECT_EQ(ReadFile(from), "dropped");
    } else {
      EXPECT_EQ(run.calls, 1) << "one flush of the file system";
      EXPECT_EQ(run.result.at("copy"), 0) << run.output;
      EXPECT_EQ(run.result.at("delete"), 0) << run.output;
      EXPECT_FALSE(Exists(from));
    }
    EXPECT_EQ(ReadFile(drop_box + "/a.txt"), "dropped");
  }
}

// ---- File systems that cannot do all a copy asks answer with errors of their own kind: FAT
// through fusefat keeps no permission bits (fchmod answers ENOSYS), others keep no times or let
// nobody set them (EOPNOTSUPP, EPERM). The copy then keeps the data without them, as cp does
// without -p; any other error still fails it. exFAT and NTFS refuse a name that is not UTF-8
// (EILSEQ), and others one too long in their own count: the temporary file, and the hidden name
// an unnamed one takes, then get the short name, and the copy goes on.

struct Refusal {
  const char* call;
  const char* error;
  Way way;
  bool copies;
};

void PrintTo(const Refusal& refusal, std::ostream* out) {
  *out << refusal.call << " " << refusal.error << " " << static_cast<int>(refusal.way);
}

std::string RefusalName(const Refusal& refusal) {
  static const char* const kWays[] = {"Unnamed", "BufferCopy", "Named"};
  return std::string(refusal.call) + "_" + refusal.error + "_" +
         kWays[static_cast<int>(refusal.way)];
}

class RefusedCallTest : public ::testing::TestWithParam<Refusal> {
 protected:
  void SetUp() override {
    const std::string why = WhyFaultsCannotBeInjected();
    if (!why.empty()) GTEST_SKIP() << why;
    driver.emplace(work.path());
  }

  Sandbox work;
  std::optional<FaultDriver> driver;
};

TEST_P(RefusedCallTest, CopiesWithoutWhatTheFileSystemCannotTakeAndFailsOnOtherErrors) {
  const Refusal& refusal = GetParam();
  const SweepCase sweep{Operation::kCopyOver, Content::kDense, refusal.way, refusal.error};
  const Contents contents = MakeContents(Content::kDense, work);
  const Scene scene(sweep, contents);
  FaultSettings settings = SettingsOf(sweep);
  settings.only_call = refusal.call;
  settings.fail_at = 1;
  const DriverRun run = driver->Run(DriverArguments(sweep, scene), settings);
  ASSERT_TRUE(run.ran) << run.output;
  ASSERT_EQ(run.injected.size(), 1u) << run.output;
  EXPECT_EQ(run.injected[0].error, refusal.error);
  EXPECT_EQ(run.result.at("copy") == 0, refusal.copies) << run.output;
  EXPECT_TRUE(
      FileHolds(scene.places.destination, refusal.copies ? contents.source_bytes : OldBytes()));
  EXPECT_EQ(NamesIn(scene.places.destination_folder),
            (std::vector<std::string>{kBystander, kFile}));
}

INSTANTIATE_TEST_SUITE_P(
    Calls, RefusedCallTest,
    ::testing::Values(Refusal{"fchmod", "ENOSYS", Way::kKernelCopy, true},
                      Refusal{"fchmod", "ENOSYS", Way::kNamedTemporary, true},
                      Refusal{"fchmod", "EOPNOTSUPP", Way::kKernelCopy, true},
                      Refusal{"fchmod", "EPERM", Way::kKernelCopy, true},
                      Refusal{"fchmod", "EIO", Way::kNamedTemporary, false},
                      Refusal{"futimens", "ENOSYS", Way::kKernelCopy, true},
                      Refusal{"futimens", "EOPNOTSUPP", Way::kNamedTemporary, true},
                      Refusal{"futimens", "EPERM", Way::kKernelCopy, true},
                      Refusal{"futimens", "EIO", Way::kKernelCopy, false},
                      Refusal{"openat", "EILSEQ", Way::kNamedTemporary, true},
                      Refusal{"openat", "EINVAL", Way::kNamedTemporary, true},
                      Refusal{"openat", "ENAMETOOLONG", Way::kNamedTemporary, true},
                      Refusal{"openat", "EIO", Way::kNamedTemporary, false},
                      Refusal{"linkat", "EILSEQ", Way::kKernelCopy, true},
                      Refusal{"linkat", "EIO", Way::kKernelCopy, false}),
    [](const auto& info) { return RefusalName(info.param); });

}  // namespace
}  // namespace vantrel::testing
