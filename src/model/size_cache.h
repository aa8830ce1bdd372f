#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "model/entry_list.h"
#include "system/files.h"

namespace vendaro {

// Picture sizes remembered from the last start, by path, file size and
// modification time, so that a start with a long list looks at each file
// instead of opening and measuring it.  The file is untrusted input: one
// that is missing, foreign, of another version, too large or wrong in any
// line is ignored whole, and every picture is measured again.
class PictureSizeCache {
 public:
  // Reads the cache file at `path`.
  explicit PictureSizeCache(std::string path);
  PictureSizeCache(const PictureSizeCache&) = delete;
  PictureSizeCache& operator=(const PictureSizeCache&) = delete;
  ~PictureSizeCache();

  // A probe that answers from the cache when the file is still a regular
  // file of the size and modification time remembered, and asks `probe`
  // otherwise (its answer is remembered when it measured the picture).
  // Safe to call from several threads when `probe` is; valid while the cache
  // lives.
  PictureProbe InFrontOf(PictureProbe probe);

  // Writes the pictures looked up since reading, and only them, so the file
  // follows the list and stays as large as it is.  Nothing is written when
  // that is what the file already holds.  An error number, 0 on success.
  int Save();

  // How many records the file gave.
  std::size_t size() const { return records_.size(); }

 private:
  struct Record {
    std::string_view path;
    FileStamp stamp;
    PictureSize size;
  };
  struct Measured {
    std::size_t pathStart = 0;
    std::size_t pathSize = 0;
    FileStamp stamp;
    PictureSize size;
  };

  bool Parse();
  bool Index();
  const Record* Find(std::string_view path) const;
  Result<PictureSize> Look(const std::string& path, const PictureProbe& probe);

  std::string path_;
  std::string text_;
  std::vector<Record> records_;
  std::vector<std::uint32_t> slots_;  // open addressing: index + 1, 0 empty
  std::unique_ptr<std::atomic<bool>[]> used_;
  std::mutex measuredLock_;
  std::string measuredPaths_;  // one arena: no allocation per picture
  std::vector<Measured> measured_;
};

// The largest cache file read: some 600,000 pictures with long paths.
inline constexpr std::int64_t kMaxSizeCacheBytes = 64LL << 20;

}  // namespace vendaro
