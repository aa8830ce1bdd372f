#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QStringList>
#include <QWidget>

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

// A plain window background in one colour.
inline void SetBackground(QWidget* widget, const QColor& color) {
  widget->setAutoFillBackground(true);
  QPalette colors = widget->palette();
  colors.setColor(QPalette::Window, color);
  widget->setPalette(colors);
}

}  // namespace vendaro
