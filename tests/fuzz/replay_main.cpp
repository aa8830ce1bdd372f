// Runs a fuzz target over every file of the folders given, as libFuzzer
// would replay a corpus: the normal test build (g++, sanitizers) checks
// every seed and regression input without libFuzzer.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz_support.h"

// A single allocation beyond 512 MB fails the replay, as it is a finding
// under scripts/fuzz.sh: the costs without bound show this way.
extern "C" const char* __asan_default_options() {
  return "max_allocation_size_mb=512";
}

int main(int argc, char** argv) {
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path folder(argv[i]);
    if (!std::filesystem::is_directory(folder)) continue;  // no findings yet
    std::vector<std::filesystem::path> files;
    for (const auto& item : std::filesystem::directory_iterator(folder))
      if (item.is_regular_file()) files.push_back(item.path());
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
      std::ifstream in(file, std::ios::binary);
      const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
      std::fprintf(stderr, "%s\n", file.c_str());
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++replayed;
    }
  }
  std::printf("replayed %d inputs\n", replayed);
  return replayed > 0 ? 0 : 1;
}
