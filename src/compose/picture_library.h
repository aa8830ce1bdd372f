#pragma once

#include <string>

#include "compose/placement.h"
#include "compose/renderer.h"
#include "model/canvas.h"
#include "model/color.h"
#include "model/entry_list.h"
#include "system/status.h"

namespace vendaro {

// What the picture-library module offers: it draws every kind of picture
// the program accepts.  The module is loaded only when a picture needs it,
// so a program that draws JPEG pictures alone never pays for loading the
// library and its many dependencies.
struct PictureLibrary {
  bool (*start)();
  // As DrawPicture, except that a failure leaves the canvas as it is.
  Status (*draw)(Canvas& canvas, const std::string& path, const Placement& placement,
                 Choice<ScaleFilter> interpolation, ColorValue background);
  // The upright size from the header, for the formats Qt cannot read.
  Result<PictureSize> (*size)(const std::string& path);
};

// The module's file, looked for beside the executable and then in the
// private library folder, and its one entry.
inline constexpr const char* kPictureLibraryFile = "libvendaro-pictures.so";
inline constexpr const char* kPictureLibraryEntry = "vendaro_picture_library";

}  // namespace vendaro
