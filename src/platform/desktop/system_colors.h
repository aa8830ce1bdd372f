#pragma once

#include "model/color.h"

namespace vendaro {

class DesktopBackend;

// The RGB value of a system colour index (0..255) of the colour table: window,
// button, highlight and text colours from the Qt palette; index 1, the
// desktop background, from the desktop backend (black where it has none).
ColorValue SystemColorRgb(int index, DesktopBackend* desktop);

}  // namespace vendaro
