#include "app/startup_files.h"

#include <thread>

#include "app/folder_pictures.h"
#include "model/folder_rows.h"
#include "model/settings.h"
#include "model/size_cache.h"
#include "system/files.h"

namespace vendaro {

bool MoveLegacyList(const std::string& dataFolder) {
  std::string from = dataFolder + kLegacyListName;
  std::string to = dataFolder + kDefaultListName;
  return MoveWithoutReplacing(from, to);
}

namespace {

// The pictures of the folder rows in place of the rows.
void ExpandFolderRows(EntryList& list, EntryList* rows, const PictureProbe& probe,
                      unsigned threads) {
  if (rows != nullptr) rows->clear();
  if (!HasFolderRows(list)) return;
  EntryList read = std::move(list);
  list =
      ExpandRows(read, [&](const FolderRow& row) { return FolderPictures(row, probe, threads); });
  if (rows != nullptr) *rows = std::move(read);
}

}  // namespace

Status LoadActiveList(const std::string& dataFolder, const std::string& cacheFolder,
                      EntryList& list, const PictureProbe& probe, EntryList* rows) {
  list.clear();
  if (rows != nullptr) rows->clear();
  std::string path = dataFolder + kDefaultListName;
  if (!PathExists(path)) return Status::Ok();
  const Result<ListLines> lines = ReadListFile(path);
  if (!lines) return lines.status();
  // Measuring a large list is most of the wait for the first wallpaper:
  // what was measured before is remembered, the rest measured on every core.
  const unsigned threads = std::thread::hardware_concurrency();
  if (cacheFolder.empty()) {
    EntriesFromPaths(*lines, list, probe, threads);
    ExpandFolderRows(list, rows, probe, threads);
    return Status::Ok();
  }
  PictureSizeCache cache(cacheFolder + kSizeCacheName);
  const PictureProbe cached = cache.InFrontOf(probe);
  EntriesFromPaths(*lines, list, cached, threads);
  ExpandFolderRows(list, rows, cached, threads);
  // A cache that cannot be written costs the next start its time, nothing
  // else: the list is loaded all the same.
  static_cast<void>(cache.Save());
  return Status::Ok();
}

}  // namespace vendaro
