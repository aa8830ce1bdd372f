#pragma once

// Canvases drawn ahead of the change that shows them.  While the program
// rests after a change it draws what the next change is likely to show and
// writes each canvas as the BMP file that change would write; the change
// then takes the file and its pixels instead of drawing again, which makes
// it as quick for two 4K monitors as for one.  A canvas is taken only while
// everything it was drawn from is as it was: the picture file (its size,
// times and identity), the options that shape a canvas and the size.

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "compose/compose_wallpaper.h"
#include "model/monitors.h"
#include "system/files.h"
#include "system/status.h"

namespace vendaro {

// What a canvas was drawn from.
struct PreparedKey {
  WallpaperEntry entry;
  // The picture file when it was drawn.
  FileIdentity file;
  int mode = 0, alignment = 0, gapFill = 0, interpolation = 0;
  ColorValue fill = 0;  // RGB
  ScreenSize size;

  bool operator==(const PreparedKey& other) const;
};

// The key for drawing `entry` with `options` (the fill colour resolved) at
// `size` now; nothing when the picture file cannot be looked at.
std::optional<PreparedKey> KeyFor(const WallpaperEntry& entry, const Options& options,
                                  ScreenSize size);

class PreparedPictures {
 public:
  // Files go into `folder` (ends with '/'), named so that no composed file
  // of a picture can have the name.
  explicit PreparedPictures(std::string folder);
  ~PreparedPictures();
  PreparedPictures(const PreparedPictures&) = delete;
  PreparedPictures& operator=(const PreparedPictures&) = delete;

  // Keeps a canvas drawn under `key` (a picture that could not be drawn is
  // not kept: its change tells the user why); returns its file.
  Result<std::string> Keep(const PreparedKey& key, const RenderResult& drawn);
  // The canvas kept under the key `entry`, `options` and `size` make now,
  // with `file` naming its file: the caller moves the file into place or
  // removes it.  Its pixels are read back only with `pixels` (a desktop that
  // reads files needs none).  Nothing when none is kept for it.
  std::optional<RenderResult> Take(const WallpaperEntry& entry, const Options& options,
                                   ScreenSize size, bool pixels = true);
  // Whether a canvas is kept for every usable monitor of `layout` (each
  // with its entry, as RenderMonitors pairs them): a change then only takes
  // files, which is quicker on one thread than on several.
  bool Covers(const std::vector<WallpaperEntry>& entries, const Options& options,
              const MonitorLayout& layout) const;
  // Forgets every kept canvas and removes its file.
  void Clear();
  bool empty() const;

 private:
  struct Kept {
    PreparedKey key;
    Placement placement;
    std::string file;
  };
  mutable std::mutex mutex_;
  std::string folder_;
  std::vector<Kept> kept_;
  unsigned serial_ = 0;
};

}  // namespace vendaro
