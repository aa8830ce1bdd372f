#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace vendaro::fuzz {

const std::string& Folder() {
  // Kept to the end: the removal at exit needs it after static objects go.
  static const std::string& folder = *new std::string([] {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/vendaro-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    // Nothing of the home the fuzzer runs in is read or written.
    setenv("HOME", pattern.c_str(), 1);
    setenv("XDG_CONFIG_HOME", pattern.c_str(), 1);
    setenv("XDG_CACHE_HOME", pattern.c_str(), 1);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(Folder(), ignored);
    });
    return pattern;
  }());
  return folder;
}

std::string WriteFile(const std::string& name, std::string_view bytes) {
  const std::string path = Folder() + "/" + name;
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), std::streamsize(bytes.size()));
  return path;
}

void Fail(const char* what) {
  std::fprintf(stderr, "property broken: %s\n", what);
  std::abort();
}

}  // namespace vendaro::fuzz
