#include "platform/desktop/system_colors.h"

#include <QGuiApplication>
#include <QPalette>
#include <array>

#include "platform/desktop/desktop.h"

namespace vendaro {
namespace {

constexpr int kDesktopIndex = 1;

struct PaletteColor {
  int index;
  QPalette::ColorGroup group;
  QPalette::ColorRole role;
  ColorValue classic;  // used when there is no application palette
};

// The system colour indices of the colour table and the palette entry that
// plays the same part on this desktop.
constexpr std::array kPaletteColors{
    PaletteColor{0, QPalette::Active, QPalette::Button, Rgb(200, 200, 200)},  // scroll bar
    PaletteColor{2, QPalette::Active, QPalette::Highlight, Rgb(0, 84, 227)},  // active caption
    PaletteColor{3, QPalette::Inactive, QPalette::Midlight,
                 Rgb(122, 150, 223)},                                         // inactive caption
    PaletteColor{4, QPalette::Active, QPalette::Window, Rgb(240, 240, 240)},  // menu
    PaletteColor{5, QPalette::Active, QPalette::Base, Rgb(255, 255, 255)},    // window
    PaletteColor{6, QPalette::Active, QPalette::Shadow, Rgb(0, 0, 0)},        // window frame
    PaletteColor{7, QPalette::Active, QPalette::WindowText, Rgb(0, 0, 0)},    // menu text
    PaletteColor{8, QPalette::Active, QPalette::Text, Rgb(0, 0, 0)},          // window text
    PaletteColor{9, QPalette::Active, QPalette::HighlightedText,
                 Rgb(255, 255, 255)},                                            // caption text
    PaletteColor{10, QPalette::Active, QPalette::Window, Rgb(212, 208, 200)},    // active border
    PaletteColor{11, QPalette::Inactive, QPalette::Window, Rgb(212, 208, 200)},  // inactive border
    PaletteColor{12, QPalette::Active, QPalette::Dark, Rgb(128, 128, 128)},      // app workspace
    PaletteColor{13, QPalette::Active, QPalette::Highlight, Rgb(49, 106, 197)},  // highlight
    PaletteColor{14, QPalette::Active, QPalette::HighlightedText,
                 Rgb(255, 255, 255)},                                          // highlight text
    PaletteColor{15, QPalette::Active, QPalette::Button, Rgb(236, 233, 216)},  // button face
    PaletteColor{16, QPalette::Active, QPalette::Dark, Rgb(172, 168, 153)},    // button shadow
    PaletteColor{17, QPalette::Disabled, QPalette::Text, Rgb(172, 168, 153)},  // grey text
    PaletteColor{18, QPalette::Active, QPalette::ButtonText, Rgb(0, 0, 0)},    // button text
    PaletteColor{19, QPalette::Inactive, QPalette::HighlightedText,
                 Rgb(216, 228, 248)},  // inactive caption text
    PaletteColor{20, QPalette::Active, QPalette::Light, Rgb(255, 255, 255)},     // button highlight
    PaletteColor{21, QPalette::Active, QPalette::Shadow, Rgb(113, 111, 100)},    // 3D dark shadow
    PaletteColor{22, QPalette::Active, QPalette::Midlight, Rgb(241, 239, 226)},  // 3D light
    PaletteColor{23, QPalette::Active, QPalette::ToolTipText, Rgb(0, 0, 0)},     // info text
    PaletteColor{24, QPalette::Active, QPalette::ToolTipBase,
                 Rgb(255, 255, 225)},                                    // info background
    PaletteColor{26, QPalette::Active, QPalette::Link, Rgb(0, 0, 128)},  // hot light
    PaletteColor{27, QPalette::Active, QPalette::Highlight,
                 Rgb(61, 149, 255)},  // gradient active caption
    PaletteColor{28, QPalette::Inactive, QPalette::Midlight,
                 Rgb(157, 185, 235)},  // gradient inactive caption
    PaletteColor{29, QPalette::Active, QPalette::Highlight, Rgb(49, 106, 197)},  // menu highlight
    PaletteColor{30, QPalette::Active, QPalette::Window, Rgb(236, 233, 216)},    // menu bar
};

ColorValue FromQColor(const QColor& color) {
  return Rgb(static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
             static_cast<std::uint8_t>(color.blue()));
}

}  // namespace

ColorValue SystemColorRgb(int index, DesktopBackend* desktop) {
  if (index == kDesktopIndex) {
    std::optional<ColorValue> color = desktop ? desktop->BackgroundColor() : std::nullopt;
    return color.value_or(Rgb(0, 0, 0)) & 0xFFFFFFu;
  }
  for (const PaletteColor& entry : kPaletteColors) {
    if (entry.index != index) continue;
    if (!qGuiApp) return entry.classic;
    return FromQColor(QGuiApplication::palette().color(entry.group, entry.role));
  }
  // Indices the table does not name have no colour, as on the original system.
  return Rgb(0, 0, 0);
}

}  // namespace vendaro
