// ui_add_folder_bench [COUNT]: writes COUNT pictures (default 500) into a
// temporary folder, then times, warm, (a) probing every file alone and
// (b) adding the folder as the settings window does: one scan with a probe
// per file, one RemoveDuplicateEntries, the rows handed to the list model.
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

#include "compose/probe.h"
#include "model/wallpaper_entry.h"
#include "ui/entry_list_model.h"
#include "ui/list_commands.h"

namespace {

using Clock = std::chrono::steady_clock;

double MedianMs(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  // Nothing is shown: the offscreen platform runs anywhere.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const int count = argc > 1 ? std::atoi(argv[1]) : 500;
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString() + "/";
  QImage picture(1920, 1080, QImage::Format_RGB32);
  picture.fill(QColor(40, 90, 160));
  for (int i = 0; i < count; ++i) {
    const char* extension = i % 2 ? ".png" : ".jpg";
    picture.save(QString::fromStdString(folder + "p" + std::to_string(i) + extension));
  }
  std::vector<std::string> paths;
  for (const auto& item : std::filesystem::directory_iterator(folder)) {
    paths.push_back(item.path().string());
  }

  const int runs = 9;
  const double probeOnly = MedianMs(runs, [&] {
    for (const auto& path : paths)
      if (!vendaro::ProbePicture(path)) std::abort();
  });
  const auto addFolder = [&](const vendaro::EntryList& existing) {
    return MedianMs(runs, [&] {
      vendaro::EntryListModel model;
      model.ReplaceAll(existing);
      vendaro::EntryList added;
      vendaro::ScanFolder(folder, added, vendaro::ProbePicture);
      model.AppendBatch(added);
      if (model.rowCount() != static_cast<int>(existing.size()) + count) std::abort();
    });
  };
  const double intoEmpty = addFolder({});
  vendaro::EntryList others;
  for (int i = 0; i < count; ++i) {
    others.push_back(vendaro::MakeEntry("/elsewhere/o" + std::to_string(i) + ".jpg", 800, 600));
  }
  const double intoFull = addFolder(others);

  std::printf("pictures: %d (median of %d warm runs)\n", count, runs);
  std::printf("probe alone:            %8.2f ms\n", probeOnly);
  std::printf("add folder, empty list: %8.2f ms  (%.2fx)\n", intoEmpty, intoEmpty / probeOnly);
  std::printf("add folder, %d listed: %8.2f ms  (%.2fx)\n", count, intoFull, intoFull / probeOnly);
  return intoEmpty <= 2 * probeOnly && intoFull <= 2 * probeOnly ? 0 : 1;
}
