#pragma once

#include <string>

#include "compose/placement.h"
#include "model/canvas.h"
#include "model/color.h"
#include "model/entry_list.h"
#include "system/status.h"

namespace vendaro {

// Loads the picture library (a module beside the executable) and starts it
// once per process, with small caches: nothing is reused between
// compositions, so a picture that changed on disk is always read afresh and
// the resident program stays lean.  Safe to call more than once; the
// renderer calls it itself when a picture needs the library.  Programs that
// start other threads call it first: it sets an environment variable for a
// moment.
bool StartPictureLibrary();

// False for pictures certain to be drawn without the picture library in
// every mode: JPEG files of a drawable size that come out as RGB.
bool NeedsPictureLibrary(const std::string& path);

// The upright size of the picture at `path` as the picture library reads
// it from the header, for the formats Qt has no reader for.
Result<PictureSize> ProbeWithLibrary(const std::string& path);

// Pictures claiming more pixels than this are refused before decoding.
inline constexpr long long kMaxPicturePixels = 16384LL * 16384LL;

// A canvas of the given size filled with one opaque RGB colour; in
// `memory` when that is given and free.
Canvas MakeCanvas(int width, int height, ColorValue rgb, CanvasMemory* memory = nullptr);
// Paints every pixel of `canvas` one opaque RGB colour, where it lies.
void FillCanvas(Canvas& canvas, ColorValue rgb);

// Draws the picture at `path` on the canvas as `placement` says, upright,
// over the background colour `background` (RGB) that the canvas was filled
// with, scaled with the filter `interpolation`.  When the picture
// cannot be drawn the canvas is plain background again.
Status DrawPicture(Canvas& canvas, const std::string& path, const Placement& placement,
                   Choice<ScaleFilter> interpolation, ColorValue background);

}  // namespace vendaro
