// Reads a list file as start-up does (its pictures probed) or a
// settings file as LoadSettings does, once, so that the caller can measure
// the time and memory it takes.
#include <cstdio>
#include <cstring>
#include <string>

#include "compose/probe.h"
#include "model/entry_list.h"
#include "model/settings.h"

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "list") != 0 && std::strcmp(argv[1], "settings") != 0)) {
    std::fprintf(stderr, "usage: %s list|settings FILE\n", argv[0]);
    return 2;
  }
  if (std::strcmp(argv[1], "settings") == 0) {
    const vendaro::Settings s = vendaro::LoadSettings(argv[2]);
    std::printf("display mode %d\n", int(s.DisplayMode));
    return 0;
  }
  const auto lines = vendaro::ReadListFile(argv[2]);
  if (!lines) {
    std::fprintf(stderr, "%s\n", lines.message().c_str());
    return 1;
  }
  int probed = 0;
  vendaro::EntryList list;
  vendaro::EntriesFromPaths(*lines, list, [&probed](const std::string& path) {
    ++probed;
    return vendaro::ProbePicture(path);
  });
  std::printf("%zu entries, %d probed\n", list.size(), probed);
  return 0;
}
