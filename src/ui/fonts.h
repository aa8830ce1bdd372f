#pragma once

#include <QFont>
#include <QStringList>

namespace vendaro {

inline constexpr const char* kVerdana = "Verdana";
inline constexpr const char* kTahoma = "Tahoma";

// A font asked for by name in pixels; where the family is missing, a
// sans-serif of similar width (Tahoma is narrow, Verdana wide).
inline QFont UiFont(const char* family, int pixelSize, bool bold = false) {
  QFont font;
  QStringList families{QString::fromLatin1(family)};
  if (families.front() == QLatin1String(kTahoma)) {
    families << QStringLiteral("Liberation Sans") << QStringLiteral("Nimbus Sans")
             << QStringLiteral("Arial");
  }
  families << QStringLiteral("DejaVu Sans");
  font.setFamilies(families);
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

}  // namespace vendaro
