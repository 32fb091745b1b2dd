// Times the native CopyFile.
//   copy_bench FROM TO   copies once and prints the seconds it took (what copy_vs_cp.sh runs)
//   copy_bench [SIZE]    makes a file of SIZE bytes (suffix K, M or G; default 1G) in a temporary
//                        folder, copies it into another folder, prints the seconds and cleans up
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_support.h"
#include "platform/os_services.h"

namespace {

using Clock = std::chrono::steady_clock;

int TimeCopy(const std::string& from, const std::string& to) {
  const auto start = Clock::now();
  const std::error_code error = vantrel::platform::MakeNativeFileSystem()->CopyFile(from, to);
  const std::chrono::duration<double> took = Clock::now() - start;
  if (error) {
    std::fprintf(stderr, "copy_bench: copy failed: %s\n", error.message().c_str());
    return 1;
  }
  std::printf("%.3f\n", took.count());
  return 0;
}

int SelfContained(std::uint64_t size) {
  const char* base = std::getenv("TMPDIR");
  std::string folder = std::string(base != nullptr ? base : "/var/tmp") + "/copy_bench-XXXXXX";
  if (::mkdtemp(folder.data()) == nullptr) return 1;
  const std::string from = folder + "/source.bin";
  const std::string into = folder + "/into";
  const std::string to = into + "/source.bin";
  int result = 1;
  if (vantrel::bench::WritePatternFile(from, size) && ::mkdir(into.c_str(), 0755) == 0)
    result = TimeCopy(from, to);
  ::unlink(to.c_str());
  ::rmdir(into.c_str());
  ::unlink(from.c_str());
  ::rmdir(folder.c_str());
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3) return TimeCopy(argv[1], argv[2]);
  if (argc <= 2) return SelfContained(vantrel::bench::ParseSize(argc == 2 ? argv[1] : "1G"));
  std::fprintf(stderr, "usage: copy_bench FROM TO | copy_bench [SIZE]\n");
  return 2;
}
