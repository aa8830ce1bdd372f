#include "model/size_cache.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <limits>
#include <utility>

namespace vendaro {
namespace {

constexpr std::string_view kHeader = "Vendaro picture sizes 1\n";

// One number of a record and the blank after it; false when the text does
// not start with a whole number in [low, high] followed by `end`.
template <typename Number>
bool TakeNumber(std::string_view& text, Number low, Number high, char end, Number& value) {
  const auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || next == text.data() + text.size() || *next != end) return false;
  if (value < low || value > high) return false;
  text.remove_prefix(static_cast<std::size_t>(next - text.data()) + 1);
  return true;
}

std::size_t PathHash(std::string_view path) {
  return std::hash<std::string_view>()(path);
}

void AppendRecord(std::string& text, std::string_view path, const FileStamp& stamp,
                  const PictureSize& size) {
  text.append(std::to_string(stamp.size))
      .append(" ")
      .append(std::to_string(stamp.modifiedNs))
      .append(" ")
      .append(std::to_string(size.width))
      .append(" ")
      .append(std::to_string(size.height))
      .append(" ")
      .append(path)
      .append("\n");
}

}  // namespace

PictureSizeCache::PictureSizeCache(std::string path) : path_(std::move(path)) {
  FileBytes file = ReadWholeFile(path_, kMaxSizeCacheBytes);
  if (file.error == 0) text_ = std::move(file.bytes);
  if (!Parse() || !Index()) {
    records_.clear();
    slots_.clear();
    text_.clear();
  }
  records_.shrink_to_fit();
  used_ = std::make_unique<std::atomic<bool>[]>(records_.size());
}

bool PictureSizeCache::Index() {
  if (records_.empty()) return true;
  // Twice the records, a power of two: short probe runs, a mask for modulo.
  std::size_t capacity = 1;
  while (capacity < 2 * records_.size()) capacity *= 2;
  slots_.assign(capacity, 0);
  for (std::size_t i = 0; i < records_.size(); ++i) {
    std::size_t slot = PathHash(records_[i].path) & (capacity - 1);
    for (; slots_[slot] != 0; slot = (slot + 1) & (capacity - 1)) {
      // A path twice is not what Save writes.
      if (records_[slots_[slot] - 1].path == records_[i].path) return false;
    }
    slots_[slot] = static_cast<std::uint32_t>(i + 1);
  }
  return true;
}

PictureSizeCache::~PictureSizeCache() = default;

bool PictureSizeCache::Parse() {
  std::string_view text = text_;
  if (!text.starts_with(kHeader)) return false;
  text.remove_prefix(kHeader.size());
  records_.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
  constexpr auto kMaxInt = std::numeric_limits<int>::max();
  constexpr auto kMaxInt64 = std::numeric_limits<std::int64_t>::max();
  constexpr auto kMinInt64 = std::numeric_limits<std::int64_t>::min();
  while (!text.empty()) {
    Record record;
    if (!TakeNumber(text, std::int64_t{0}, kMaxInt64, ' ', record.stamp.size) ||
        !TakeNumber(text, kMinInt64, kMaxInt64, ' ', record.stamp.modifiedNs) ||
        !TakeNumber(text, 0, kMaxInt, ' ', record.size.width) ||
        !TakeNumber(text, 0, kMaxInt, ' ', record.size.height))
      return false;
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return false;
    record.path = text.substr(0, end);
    text.remove_prefix(end + 1);
    if (record.path.empty() || !IsStorablePath(record.path)) return false;
    if (records_.size() == std::numeric_limits<std::uint32_t>::max() - 1) return false;
    records_.push_back(record);
  }
  return true;
}

const PictureSizeCache::Record* PictureSizeCache::Find(std::string_view path) const {
  if (slots_.empty()) return nullptr;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = PathHash(path) & mask; slots_[slot] != 0; slot = (slot + 1) & mask) {
    const Record& record = records_[slots_[slot] - 1];
    if (record.path == path) return &record;
  }
  return nullptr;
}

Result<PictureSize> PictureSizeCache::Look(const std::string& path, const PictureProbe& probe) {
  // The stamp is taken before measuring: a file rewritten meanwhile then
  // differs from it at the next start and is measured again.
  const std::optional<FileStamp> stamp = RegularFileStamp(path);
  if (stamp) {
    if (const Record* record = Find(path); record != nullptr && record->stamp == *stamp) {
      used_[static_cast<std::size_t>(record - records_.data())].store(true,
                                                                      std::memory_order_relaxed);
      return record->size;
    }
  }
  Result<PictureSize> size = probe(path);
  if (size && stamp && IsStorablePath(path) && !path.empty() && size->width >= 0 &&
      size->height >= 0) {
    const std::lock_guard lock(measuredLock_);
    measured_.push_back({measuredPaths_.size(), path.size(), *stamp, *size});
    measuredPaths_.append(path);
  }
  return size;
}

PictureProbe PictureSizeCache::InFrontOf(PictureProbe probe) {
  return [this, probe = std::move(probe)](const std::string& path) { return Look(path, probe); };
}

int PictureSizeCache::Save() {
  const std::lock_guard lock(measuredLock_);
  const auto pathOf = [this](const Measured& m) {
    return std::string_view(measuredPaths_.data() + m.pathStart, m.pathSize);
  };
  // A path measured more than once keeps its last measure, and a measure
  // replaces what the file said of the path.
  std::vector<std::uint32_t> order(measured_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint32_t>(i);
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    return pathOf(measured_[a]) < pathOf(measured_[b]);
  });
  std::vector<bool> latest(measured_.size(), false);
  for (std::size_t k = 0; k < order.size(); ++k) {
    const std::string_view path = pathOf(measured_[order[k]]);
    latest[order[k]] = k + 1 == order.size() || pathOf(measured_[order[k + 1]]) != path;
    if (const Record* record = Find(path))
      used_[static_cast<std::size_t>(record - records_.data())].store(false);
  }
  std::size_t kept = 0;
  for (std::size_t i = 0; i < records_.size(); ++i)
    if (used_[i].load(std::memory_order_relaxed)) ++kept;
  if (measured_.empty() && kept == records_.size()) return 0;
  std::string text(kHeader);
  const auto fits = [&text](std::string_view path) {
    // Bounded like the reading: what would not be read again is not written.
    constexpr std::size_t kRecordNumbers = 4 * 21;
    return text.size() + path.size() + kRecordNumbers <= std::size_t{kMaxSizeCacheBytes};
  };
  for (std::size_t i = 0; i < records_.size(); ++i) {
    const Record& r = records_[i];
    if (used_[i].load(std::memory_order_relaxed) && fits(r.path))
      AppendRecord(text, r.path, r.stamp, r.size);
  }
  for (std::size_t i = 0; i < measured_.size(); ++i) {
    const std::string_view path = pathOf(measured_[i]);
    if (latest[i] && fits(path)) AppendRecord(text, path, measured_[i].stamp, measured_[i].size);
  }
  ReplacingFile file(path_);
  if (int error = file.error()) return error;
  if (int error = file.Write(text.data(), text.size())) return error;
  return file.Commit();
}

}  // namespace vendaro
