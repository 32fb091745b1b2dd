#include "fault_sweep_cases.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace vantrel::testing {
namespace {

constexpr std::size_t kSparseSize = 1024 * 1024;
constexpr std::size_t kBlock = 4096;
constexpr std::size_t kSparseBlocks[] = {0, 100 * kBlock, kSparseSize - kBlock};
// Two 32 MiB write-behind chunks and a block: the copy starts writing both and waits for the
// first while it copies.
constexpr std::size_t kLargeSize = (std::size_t{64} << 20) + kBlock;

constexpr const char* kErrors[] = {"EIO", "ENOSPC", "EDQUOT"};

void WriteAll(int fd, const std::string& bytes, std::size_t from, std::size_t size) {
  for (std::size_t done = 0; done < size;) {
    const ssize_t put =
        ::pwrite(fd, bytes.data() + from + done, size - done, static_cast<off_t>(from + done));
    if (put <= 0) throw std::runtime_error("write failed");
    done += static_cast<std::size_t>(put);
  }
}

// Writes the bytes with only the given ranges as data; the rest stays holes.
void WriteFile(const std::string& path, const std::string& bytes, mode_t mode,
               const std::vector<std::size_t>& data_blocks) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) throw std::runtime_error("cannot create " + path);
  if (data_blocks.empty()) {
    WriteAll(fd, bytes, 0, bytes.size());
  } else {
    if (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) throw std::runtime_error("size");
    for (const std::size_t block : data_blocks) WriteAll(fd, bytes, block, kBlock);
  }
  ::fchmod(fd, mode);
  ::close(fd);
}

}  // namespace

std::vector<SweepCase> AllSweepCases() {
  std::vector<SweepCase> cases;
  for (const Operation operation :
       {Operation::kCopyOver, Operation::kCopyNew, Operation::kMoveOver, Operation::kMoveNew}) {
    for (const Content content : {Content::kDense, Content::kSparse, Content::kEmpty}) {
      for (const Way way : {Way::kKernelCopy, Way::kBufferCopy, Way::kNamedTemporary}) {
        for (const char* error : kErrors) cases.push_back({operation, content, way, error});
      }
    }
  }
  // The large file only where its write-behind flushes differ: the kernel copy, both errors.
  for (const char* error : {"EIO", "ENOSPC"}) {
    cases.push_back({Operation::kCopyOver, Content::kLarge, Way::kKernelCopy, error});
  }
  // No call of a delete can report a full disk: only EIO.
  cases.push_back({Operation::kDelete, Content::kDense, Way::kKernelCopy, "EIO"});
  for (const char* error : kErrors) {
    cases.push_back({Operation::kNewFolder, Content::kEmpty, Way::kKernelCopy, error});
  }
  return cases;
}

std::string CaseName(const SweepCase& sweep) {
  static const char* const kContents[] = {"Dense", "Sparse", "Empty", "Large"};
  static const char* const kWays[] = {"KernelCopy", "BufferCopy", "NamedTemporary"};
  std::string name = OperationName(sweep.operation);
  if (IsCopyOrMove(sweep.operation)) {
    name += std::string("_") + kContents[static_cast<int>(sweep.content)] + "_" +
            kWays[static_cast<int>(sweep.way)];
  }
  return name + "_" + sweep.error;
}

void PrintTo(const SweepCase& sweep, std::ostream* out) {
  *out << CaseName(sweep);
}

std::string ContentText(const SweepCase& sweep) {
  if (sweep.operation == Operation::kNewFolder) return "-";
  static const char* const kTexts[] = {"300 KiB", "sparse 1 MiB", "empty", "64 MiB"};
  return kTexts[static_cast<int>(sweep.content)];
}

std::string WayText(const SweepCase& sweep) {
  if (!IsCopyOrMove(sweep.operation)) return "-";
  static const char* const kTexts[] = {"unnamed temporary, kernel copy",
                                       "unnamed temporary, buffered copy", "named temporary"};
  return kTexts[static_cast<int>(sweep.way)];
}

long MinimumCalls(const SweepCase& sweep) {
  const bool every_call = std::string(sweep.error) == "EIO";
  switch (sweep.operation) {
    case Operation::kDelete:
      return 4;
    case Operation::kNewFolder:
      return 1;
    default:
      if (!every_call) return 4;
      return IsMove(sweep.operation) ? 20 : 15;
  }
}

std::vector<std::string> ExpectedCalls(const SweepCase& sweep) {
  const bool every_call = std::string(sweep.error) == "EIO";
  if (sweep.operation == Operation::kNewFolder) return {"mkdir"};
  if (sweep.operation == Operation::kDelete) return {"open", "fstatat", "faccessat", "unlinkat"};
  std::vector<std::string> calls = {"openat", "fsync", "renameat", "close(written)"};
  if (sweep.way != Way::kNamedTemporary) calls.push_back("linkat");
  const bool has_data = sweep.content != Content::kEmpty;
  if (sweep.way == Way::kKernelCopy) calls.push_back("copy_file_range");
  if (sweep.way == Way::kBufferCopy && has_data) calls.push_back("pwrite");
  if (sweep.content == Content::kLarge) calls.push_back("sync_file_range");
  if (!every_call) return calls;
  for (const char* call : {"stat", "open", "fstat", "fstatat", "fchmod", "futimens"}) {
    calls.push_back(call);
  }
  if (has_data) calls.push_back("ioctl(FICLONE)");
  if (sweep.way == Way::kBufferCopy) calls.push_back("pread");
  if (sweep.content == Content::kSparse) {
    calls.push_back("lseek");
    calls.push_back("ftruncate");
  }
  if (HasOldDestination(sweep.operation) || IsMove(sweep.operation)) {
    calls.push_back("faccessat");
  }
  if (IsMove(sweep.operation)) calls.push_back("unlinkat");
  return calls;
}

std::string FolderBaseFor(Content content) {
  // A sweep run on a mounted driver (carried_fs.sh run) works there, whatever the size.
  if (const char* mount = std::getenv("VANTREL_CARRIED_FS_MOUNT"); mount != nullptr && *mount) {
    return mount;
  }
  struct statfs memory {};
  if (content == Content::kLarge && ::statfs("/dev/shm", &memory) == 0 &&
      memory.f_type == TMPFS_MAGIC && ::access("/dev/shm", W_OK) == 0) {
    return "/dev/shm";
  }
  const char* base = std::getenv("TMPDIR");
  return base != nullptr && *base != '\0' ? base : "/tmp";
}

Contents MakeContents(Content content, const Sandbox& work) {
  Contents contents{content, {}, {}};
  switch (content) {
    case Content::kDense:
      contents.source_bytes = Pattern(kDenseSize, 1);
      break;
    case Content::kSparse: {
      const std::string data = Pattern(kSparseSize, 3);
      contents.source_bytes.assign(kSparseSize, '\0');
      for (const std::size_t block : kSparseBlocks) {
        contents.source_bytes.replace(block, kBlock, data, block, kBlock);
      }
      break;
    }
    case Content::kEmpty:
      break;
    case Content::kLarge:
      contents.source_bytes = Pattern(kLargeSize, 5);
      contents.master = work / "large-source";
      WriteFile(contents.master, contents.source_bytes, kSourceMode, {});
      break;
  }
  return contents;
}

Scene::Scene(const SweepCase& sweep, const Contents& contents_to_use) : contents(contents_to_use) {
  box.Folder("source");
  box.Folder("destination");
  const std::string& source = places.source;
  if (contents.content == Content::kLarge) {
    if (::link(contents.master.c_str(), source.c_str()) != 0) throw std::runtime_error("link");
  } else {
    const std::vector<std::size_t> blocks =
        contents.content == Content::kSparse
            ? std::vector<std::size_t>(std::begin(kSparseBlocks), std::end(kSparseBlocks))
            : std::vector<std::size_t>{};
    WriteFile(source, contents.source_bytes, kSourceMode, blocks);
  }
  box.Write("source/" + std::string(kBystander), kBystanderBytes);
  box.Write("destination/" + std::string(kBystander), kBystanderBytes);
  if (HasOldDestination(sweep.operation)) WriteFile(places.destination, OldBytes(), 0644, {});
}

FaultSettings SettingsOf(const SweepCase& sweep) {
  FaultSettings settings;
  settings.error = sweep.error;
  settings.refuse_kernel_copy = sweep.way == Way::kBufferCopy;
  settings.refuse_unnamed = sweep.way == Way::kNamedTemporary;
  return settings;
}

std::vector<std::string> DriverArguments(const SweepCase& sweep, const Scene& scene) {
  const Places& places = scene.places;
  switch (sweep.operation) {
    case Operation::kCopyOver:
    case Operation::kCopyNew:
      return {"copy", places.source, places.destination};
    case Operation::kMoveOver:
    case Operation::kMoveNew:
      return {"move", places.source, places.destination};
    case Operation::kDelete:
      return {"delete", places.source};
    case Operation::kNewFolder:
      return {"mkdir", places.new_folder};
  }
  return {};
}

bool FileHolds(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  static std::vector<char> buffer(std::size_t{1} << 20);
  struct stat info {};
  bool same = ::fstat(fd, &info) == 0 && static_cast<std::size_t>(info.st_size) == bytes.size();
  for (std::size_t at = 0; same && at < bytes.size();) {
    const ssize_t got = ::read(fd, buffer.data(), buffer.size());
    same = got > 0 && static_cast<std::size_t>(got) <= bytes.size() - at &&
           std::memcmp(buffer.data(), bytes.data() + at, static_cast<std::size_t>(got)) == 0;
    at += got > 0 ? static_cast<std::size_t>(got) : 0;
  }
  ::close(fd);
  return same;
}

}  // namespace vantrel::testing
