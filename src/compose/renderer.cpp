#include "compose/renderer.h"

#include "compose/direct_draw.h"
#include "compose/jpeg_draw.h"
#include "compose/jpeg_reader.h"
#include "compose/picture_library.h"
#include "compose/repeat.h"
#include "system/process.h"

namespace vendaro {
namespace {

// The module, loaded once, from the executable's folder or the private
// library folder; where neither has it, from the linker's search path
// (LD_LIBRARY_PATH).  A module that is found but fails to load is not passed
// over: its reason (a missing dependency) is the one to tell.
const Result<const PictureLibrary*>& LoadedLibrary() {
  static const Result<const PictureLibrary*> library = []() -> Result<const PictureLibrary*> {
    const std::string folder = ExecutableFolder();
    const std::string found = FindPrivateLibrary(folder, kPictureLibraryFile);
    const Result<void*> entry =
        LoadLibrarySymbol(found.empty() ? kPictureLibraryFile : found, kPictureLibraryEntry);
    if (!entry && found.empty()) {
      std::string why = std::string(kPictureLibraryFile) + " is in none of";
      for (const std::string& place : PrivateLibraryFolders(folder)) why += " " + place;
      return Status::Error(why);
    }
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

Result<PictureSize> ProbeWithLibrary(const std::string& path) {
  const Result<const PictureLibrary*>& library = LoadedLibrary();
  if (!library) return Status::Error("nie można wczytać biblioteki obrazków: " + library.message());
  return (*library)->size(path);
}

bool NeedsPictureLibrary(const std::string& path) {
  JpegReader jpeg;
  return !jpeg.Open(path) || !jpeg.drawable(kMaxPicturePixels);
}

Canvas MakeCanvas(int width, int height, ColorValue rgb, CanvasMemory* memory) {
  Canvas canvas{0, 0, CanvasBytes(CanvasAllocator<std::uint8_t>(memory))};
  if (width <= 0 || height <= 0) return canvas;
  canvas.width = width;
  canvas.height = height;
  canvas.rgb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  FillCanvas(canvas, rgb);
  return canvas;
}

void FillCanvas(Canvas& canvas, ColorValue rgb) {
  if (canvas.rgb.empty()) return;
  std::uint8_t* data = canvas.rgb.data();
  data[0] = RedOf(rgb);
  data[1] = GreenOf(rgb);
  data[2] = BlueOf(rgb);
  RepeatPrefix(data, 3, canvas.rgb.size());
}

Status DrawPicture(Canvas& canvas, const std::string& path, const Placement& placement,
                   Choice<ScaleFilter> interpolation, ColorValue background) {
  if (placement.kind == PlacementKind::Nothing || canvas.empty()) return Status::Ok();
  // JPEG, and for the modes without a filter also BMP and PNG, are drawn
  // without the picture library.
  const Result<PathOutcome> drawn =
      placement.kind == PlacementKind::Scaled && interpolation != ScaleFilter::Nearest
          ? DrawJpegScaled(canvas, path, placement, interpolation)
          : DrawDirect(canvas, path, placement, interpolation, background);
  Status status = drawn.status();
  if (drawn && *drawn == PathOutcome::NotMine) {
    const Result<const PictureLibrary*>& library = LoadedLibrary();
    status = library ? (*library)->draw(canvas, path, placement, interpolation, background)
                     : Status::Error("nie można wczytać biblioteki obrazków: " + library.message());
  }
  // A picture that fails half-way leaves no half of it behind.  Painted
  // over where it lies: the canvas may be in memory shared with a caller.
  if (!status) FillCanvas(canvas, background);
  return status;
}

}  // namespace vendaro
