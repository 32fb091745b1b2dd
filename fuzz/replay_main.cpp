// The main of a fuzz target built without libFuzzer: runs the target once on each file named,
// or on each file in a folder named, in name order. A broken property aborts with the input's
// name printed just before, so the saved corpus runs as a plain test in every build.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputsIn(const fs::path& named) {
  if (!fs::is_directory(named)) return {named};
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(named)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

bool Replay(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
  // A buffer of exactly the input's size, as libFuzzer gives, so a read past the end shows
  // under AddressSanitizer.
  const auto copy = std::make_unique<std::uint8_t[]>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), copy.get());
  std::fprintf(stderr, "%s\n", file.string().c_str());
  LLVMFuzzerTestOneInput(copy.get(), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    for (const fs::path& file : InputsIn(argv[i])) {
      if (!Replay(file)) {
        std::fprintf(stderr, "cannot read %s\n", file.string().c_str());
        return 2;
      }
      ++replayed;
    }
  }
  std::fprintf(stderr, "%zu inputs replayed\n", replayed);
  // No input at all is a mistake in the test's setup, not a pass.
  return replayed > 0 ? 0 : 2;
}
