#pragma once

#include <QFont>

namespace vendaro {

inline constexpr const char* kVerdana = "Verdana";
inline constexpr const char* kTahoma = "Tahoma";

// A font asked for by name in pixels, with the system's sans-serif where the
// family is missing.
inline QFont UiFont(const char* family, int pixelSize, bool bold = false) {
  QFont font;
  font.setFamilies({QString::fromLatin1(family), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

}  // namespace vendaro
