#pragma once

#include <QIcon>

namespace vendaro {

// The settings window's image list: 0 add pictures, 1 add folder, 2 remove
// (also Cancel), 3 move up, 4 move down, 5 load list, 6 save list (also
// Apply), 7 OK.
QIcon SettingsGlyph(int index);

// The additional-settings dialog's image list: icon i for alignment item i.
QIcon AlignmentIcon(int index);

}  // namespace vendaro
