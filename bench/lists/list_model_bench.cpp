// vendaro-bench-list-model LIST FOLDER: adding FOLDER's pictures to the
// settings window's list holding LIST, as "Dodaj zdjęcia z katalogu" does it:
// one scan with a probe per file, the rows handed to the list model in one
// batch, duplicates removed over the whole list.  Median of five warm runs.
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "compose/probe.h"
#include "model/entry_list.h"
#include "ui/entry_list_model.h"
#include "ui/list_commands.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s LIST FOLDER\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const auto lines = vendaro::ReadListFile(argv[1]);
  if (!lines) {
    std::fprintf(stderr, "%s\n", lines.message().c_str());
    return 1;
  }
  vendaro::EntryList listed;
  for (const std::string_view path : *lines) listed.push_back(vendaro::MakeEntry(path, 2400, 1600));
  std::string folder = argv[2];
  if (!folder.ends_with('/')) folder += '/';
  std::vector<double> times;
  std::size_t rows = 0;
  for (int run = 0; run < 5; ++run) {
    vendaro::EntryListModel model;
    model.ReplaceAll(listed);
    const auto start = std::chrono::steady_clock::now();
    vendaro::EntryList added;
    vendaro::ScanFolder(folder, added, vendaro::ProbePicture);
    model.AppendBatch(added);
    times.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    rows = static_cast<std::size_t>(model.rowCount());
  }
  std::sort(times.begin(), times.end());
  std::printf("%-40s%10.3f s  (%zu + %zu rows; target <= 0.5)\n", "add a folder to the list",
              times[times.size() / 2], listed.size(), rows - listed.size());
  // The sort alone, without a view: what the window adds to it shows
  // against the frozen time of the sort above.
  times.clear();
  for (int run = 0; run < 3; ++run) {
    vendaro::EntryList list = listed;
    const auto start = std::chrono::steady_clock::now();
    vendaro::SortEntries(list);
    times.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  std::printf("%-40s%10.3f s\n", "(sorting alone, no window)", times[1]);
  // Measuring the list as start-up does, on one thread and on all.
  for (const unsigned threads : {1u, std::thread::hardware_concurrency()}) {
    const auto start = std::chrono::steady_clock::now();
    vendaro::EntryList list;
    vendaro::EntriesFromPaths(*lines, list, vendaro::ProbePicture, threads);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("(measuring the list at start, %u thread%s)%*s%10.3f s\n", threads,
                threads == 1 ? "" : "s", threads == 1 ? 1 : 0, "", seconds);
  }
  return 0;
}
