#include "compose/prepared_pictures.h"

#include <algorithm>
#include <utility>

#include "model/bmp_writer.h"
#include "system/files.h"

namespace vendaro {
bool PreparedKey::operator==(const PreparedKey& other) const {
  return entry == other.entry && file == other.file && mode == other.mode &&
         alignment == other.alignment && gapFill == other.gapFill &&
         interpolation == other.interpolation && fill == other.fill &&
         size.width == other.size.width && size.height == other.size.height;
}

std::optional<PreparedKey> KeyFor(const WallpaperEntry& entry, const Options& options,
                                  ScreenSize size) {
  const std::optional<FileIdentity> file = RegularFileIdentity(entry.path);
  if (!file) return std::nullopt;
  PreparedKey key;
  key.entry = entry;
  key.file = *file;
  key.mode = static_cast<int>(options.DisplayMode);
  key.alignment = static_cast<int>(options.Alignment);
  key.gapFill = static_cast<int>(options.GapFill);
  key.interpolation = static_cast<int>(options.Interpolation);
  key.fill = options.FillColor;
  key.size = size;
  return key;
}

PreparedPictures::PreparedPictures(std::string folder) : folder_(std::move(folder)) {}

PreparedPictures::~PreparedPictures() {
  Clear();
}

Result<std::string> PreparedPictures::Keep(const PreparedKey& key, const RenderResult& drawn) {
  if (!drawn.picture) return drawn.picture;
  if (drawn.canvas.empty()) return Status::Error("Pusty obraz tapety");
  std::lock_guard lock(mutex_);
  // "ahead-N.bmp": a composed file's name always holds the picture's own
  // extension before ".bmp", which this one lacks.
  const std::string file = folder_ + "ahead-" + std::to_string(serial_++) + ".bmp";
  if (Status written = WriteBmp(file, drawn.canvas); !written) return written;
  kept_.push_back({key, drawn.placement, file});
  return file;
}

std::optional<RenderResult> PreparedPictures::Take(const WallpaperEntry& entry,
                                                   const Options& options, ScreenSize size,
                                                   bool pixels) {
  const std::optional<PreparedKey> key = KeyFor(entry, options, size);
  if (!key) return std::nullopt;
  Kept kept;
  {
    std::lock_guard lock(mutex_);
    auto found =
        std::find_if(kept_.begin(), kept_.end(), [&key](const Kept& k) { return k.key == *key; });
    if (found == kept_.end()) return std::nullopt;
    kept = std::move(*found);
    kept_.erase(found);
  }
  std::optional<Canvas> canvas;
  if (pixels) {
    canvas = ReadWrittenBmp(kept.file, size);
  } else if (const std::optional<FileStamp> stamp = RegularFileStamp(kept.file);
             stamp && static_cast<std::uint64_t>(stamp->size) == WrittenBmpBytes(size)) {
    canvas = Canvas{size.width, size.height, {}};
  }
  if (!canvas) {
    // Not ours any more (changed under us): the change draws it anew.
    RemoveFile(kept.file);
    return std::nullopt;
  }
  RenderResult result;
  result.canvas = std::move(*canvas);
  result.placement = kept.placement;
  result.file = std::move(kept.file);
  return result;
}

bool PreparedPictures::Covers(const std::vector<WallpaperEntry>& entries, const Options& options,
                              const MonitorLayout& layout) const {
  const MonitorLayout usable = CheckLayout(layout).usable;
  if (entries.empty() || usable.empty()) return false;
  std::lock_guard lock(mutex_);
  for (std::size_t i = 0; i < usable.size(); ++i) {
    const std::optional<PreparedKey> key =
        KeyFor(entries[i < entries.size() ? i : 0], options, usable[i].size());
    const bool kept = key && std::any_of(kept_.begin(), kept_.end(),
                                         [&key](const Kept& k) { return k.key == *key; });
    if (!kept) return false;
  }
  return true;
}

void PreparedPictures::Clear() {
  std::lock_guard lock(mutex_);
  for (const Kept& kept : kept_) RemoveFile(kept.file);
  kept_.clear();
}

bool PreparedPictures::empty() const {
  std::lock_guard lock(mutex_);
  return kept_.empty();
}

}  // namespace vendaro
