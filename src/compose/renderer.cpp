#include "compose/renderer.h"

#include "compose/direct_draw.h"
#include "compose/jpeg_draw.h"
#include "compose/jpeg_reader.h"
#include "compose/picture_library.h"
#include "compose/repeat.h"
#include "system/process.h"

namespace vendaro {
namespace {

// The module, loaded once, from beside the executable or else wherever the
// system's loader looks; the error keeps the last reason for the message.
const Result<const PictureLibrary*>& LoadedLibrary() {
  static const Result<const PictureLibrary*> library = []() -> Result<const PictureLibrary*> {
    Result<void*> entry =
        LoadLibrarySymbol(ExecutableFolder() + kPictureLibraryFile, kPictureLibraryEntry);
    if (!entry) entry = LoadLibrarySymbol(kPictureLibraryFile, kPictureLibraryEntry);
    if (!entry) return entry.status();
    using Entry = const PictureLibrary* (*)();
    return reinterpret_cast<Entry>(*entry)();
  }();
  return library;
}

}  // namespace

bool StartPictureLibrary() {
  const Result<const PictureLibrary*>& library = LoadedLibrary();
  return library && (*library)->start();
}

bool NeedsPictureLibrary(const std::string& path) {
  JpegReader jpeg;
  return !jpeg.Open(path) || !jpeg.drawable(kMaxPicturePixels);
}

Canvas MakeCanvas(int width, int height, ColorValue rgb) {
  Canvas canvas;
  if (width <= 0 || height <= 0) return canvas;
  canvas.width = width;
  canvas.height = height;
  canvas.rgb.resize(static_cast<std::size_t>(width) * height * 3);
  std::uint8_t* data = canvas.rgb.data();
  data[0] = RedOf(rgb);
  data[1] = GreenOf(rgb);
  data[2] = BlueOf(rgb);
  RepeatPrefix(data, 3, canvas.rgb.size());
  return canvas;
}

Status DrawPicture(Canvas& canvas, const std::string& path, const Placement& placement,
                   int interpolation, ColorValue background) {
  if (placement.kind == PlacementKind::Nothing || canvas.empty()) return Status::Ok();
  // JPEG, and for the modes without a filter also BMP and PNG, are drawn
  // without the picture library.
  const Result<PathOutcome> drawn =
      placement.kind == PlacementKind::Scaled && interpolation != 0
          ? DrawJpegScaled(canvas, path, placement, interpolation)
          : DrawDirect(canvas, path, placement, interpolation, background);
  Status status = drawn.status();
  if (drawn && *drawn == PathOutcome::NotMine) {
    const Result<const PictureLibrary*>& library = LoadedLibrary();
    status = library ? (*library)->draw(canvas, path, placement, interpolation, background)
                     : Status::Error("the picture library cannot be loaded: " + library.message());
  }
  // A picture that fails half-way leaves no half of it behind.
  if (!status) canvas = MakeCanvas(canvas.width, canvas.height, background);
  return status;
}

}  // namespace vendaro
