#include "platform/desktop/system_colors.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

#include "platform/display/screen.h"
#include "support/dummy_desktop.h"

namespace vendaro {
namespace {

ColorValue FromPalette(QPalette::ColorRole role) {
  const QColor c = QGuiApplication::palette().color(QPalette::Active, role);
  return Rgb(std::uint8_t(c.red()), std::uint8_t(c.green()), std::uint8_t(c.blue()));
}

TEST(SystemColors, DesktopColourComesFromTheBackendOthersFromThePalette) {
  DummyDesktop desktop;
  desktop.backgroundColor = Rgb(1, 2, 3);
  DummyDesktop plain;
  const struct {
    int index;
    DesktopBackend* desktop;
    ColorValue expected;
  } rows[] = {
      {1, &desktop, Rgb(1, 2, 3)},
      {1, &plain, Rgb(0, 0, 0)},
      {1, nullptr, Rgb(0, 0, 0)},
      {0x0F, nullptr, FromPalette(QPalette::Button)},     // clBtnFace
      {0x0D, nullptr, FromPalette(QPalette::Highlight)},  // clHighlight
      {0x05, nullptr, FromPalette(QPalette::Base)},       // clWindow
      {0x08, nullptr, FromPalette(QPalette::Text)},       // clWindowText
      {0x19, nullptr, Rgb(0, 0, 0)},                      // no colour at index 25
      {0xFF, nullptr, Rgb(0, 0, 0)},
  };
  for (const auto& row : rows)
    EXPECT_EQ(SystemColorRgb(row.index, row.desktop), row.expected) << row.index;
}

TEST(Screen, SizeIsInDevicePixels) {
  QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  const ScreenSize size = PrimaryScreenSize();
  EXPECT_EQ(size.width, qRound(screen->geometry().width() * screen->devicePixelRatio()));
  EXPECT_EQ(size.height, qRound(screen->geometry().height() * screen->devicePixelRatio()));
}

}  // namespace
}  // namespace vendaro
