#include "compose/renderer.h"

#include "compose/direct_draw.h"
#include "compose/jpeg_draw.h"
#include "compose/jpeg_reader.h"
#include "compose/picture_library.h"
#include "compose/repeat.h"
#include "system/process.h"

namespace vendaro {
namespace {

// The module, loaded once; null when it cannot be loaded (the reason is
// kept for the message).
const PictureLibrary* LoadedLibrary(std::string& why) {
  static std::string failure;
  static const PictureLibrary* library = []() -> const PictureLibrary* {
    // Where neither folder has it, the linker's search path
    // (LD_LIBRARY_PATH) may.  A module that is found but fails to load is
    // not passed over: its reason (a missing dependency) is the one to tell.
    const std::string folder = ExecutableFolder();
    const std::string found = FindPrivateLibrary(folder, kPictureLibraryFile);
    void* entry = LoadLibrarySymbol(found.empty() ? kPictureLibraryFile : found,
                                    kPictureLibraryEntry, failure);
    if (!entry && found.empty()) {
      failure = std::string(kPictureLibraryFile) + " is in none of";
      for (const std::string& place : PrivateLibraryFolders(folder)) failure += " " + place;
    }
    using Entry = const PictureLibrary* (*)();
    return entry ? reinterpret_cast<Entry>(entry)() : nullptr;
  }();
  why = failure;
  return library;
}

}  // namespace

bool StartPictureLibrary() {
  std::string why;
  const PictureLibrary* library = LoadedLibrary(why);
  return library && library->start();
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

std::string DrawPicture(Canvas& canvas, const std::string& path, const Placement& placement,
                        int interpolation, ColorValue background) {
  if (placement.kind == PlacementKind::Nothing || canvas.empty()) return {};
  // JPEG, and for the modes without a filter also BMP and PNG, are drawn
  // without the picture library.
  std::optional<std::string> problem =
      placement.kind == PlacementKind::Scaled && interpolation != 0
          ? DrawJpegScaled(canvas, path, placement, interpolation)
          : DrawDirect(canvas, path, placement, interpolation, background);
  if (!problem) {
    std::string why;
    const PictureLibrary* library = LoadedLibrary(why);
    problem = library ? library->draw(canvas, path, placement, interpolation, background)
                      : "the picture library cannot be loaded: " + why;
  }
  // A picture that fails half-way leaves no half of it behind.
  if (!problem->empty()) canvas = MakeCanvas(canvas.width, canvas.height, background);
  return *problem;
}

}  // namespace vendaro
