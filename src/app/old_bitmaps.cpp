#include "app/old_bitmaps.h"

#include <string_view>

#include "system/files.h"

namespace vendaro {
namespace {

constexpr std::string_view kSuffix = "wall.bmp";

// The number of a name "<n>wall.bmp" written as std::to_string writes it
// (no sign, no leading zero); -1 for any other name.
std::int64_t BitmapNumber(std::string_view name) {
  if (!name.ends_with(kSuffix)) return -1;
  const std::string_view digits = name.substr(0, name.size() - kSuffix.size());
  // 18 digits cannot overflow; no list comes near that length.
  if (digits.empty() || digits.size() > 18 || (digits.size() > 1 && digits[0] == '0')) return -1;
  std::int64_t number = 0;
  for (const char digit : digits) {
    if (digit < '0' || digit > '9') return -1;
    number = number * 10 + (digit - '0');
  }
  return number;
}

}  // namespace

void RemoveOldBitmaps(const std::string& tempFolder, std::int64_t from, std::int64_t to,
                      std::int64_t keep) {
  if (from >= to) return;
  for (const std::string& name : FolderEntryNames(tempFolder)) {
    const std::int64_t number = BitmapNumber(name);
    if (number < from || number >= to || number == keep) continue;
    // A file already gone is what was wanted; nothing to tell.
    RemoveFile(tempFolder + name);
  }
}

}  // namespace vendaro
