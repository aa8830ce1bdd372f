#include "platform/system_colors.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

#include "platform/dummy_desktop.h"
#include "platform/screen.h"

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
    ColorValue value;
    DesktopBackend* desktop;
    ColorValue expected;
  } rows[] = {
      {Rgb(9, 8, 7), &desktop, Rgb(9, 8, 7)},
      {kClBackground, &desktop, Rgb(1, 2, 3)},
      {kClBackground, &plain, Rgb(0, 0, 0)},
      {kClBackground, nullptr, Rgb(0, 0, 0)},
      {0xFF00000Fu, nullptr, FromPalette(QPalette::Button)},     // clBtnFace
      {0xFF00000Du, nullptr, FromPalette(QPalette::Highlight)},  // clHighlight
      {0xFF000005u, nullptr, FromPalette(QPalette::Base)},       // clWindow
      {0xFF000008u, nullptr, FromPalette(QPalette::Text)},       // clWindowText
      {0xFF000019u, nullptr, Rgb(0, 0, 0)},                      // no colour at index 25
      {0xFF0000FFu, nullptr, Rgb(0, 0, 0)},
  };
  for (const auto& row : rows)
    EXPECT_EQ(ResolveColor(row.value, row.desktop), row.expected) << std::hex << row.value;
}

TEST(Screen, SizesAreInDevicePixelsRelativeToThePrimaryScreen) {
  QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  const ScreenSize size = PrimaryScreenSize();
  EXPECT_EQ(size.width, qRound(screen->geometry().width() * screen->devicePixelRatio()));
  EXPECT_EQ(size.height, qRound(screen->geometry().height() * screen->devicePixelRatio()));
  const Rect area = PrimaryWorkArea();
  EXPECT_GE(area.left, 0);
  EXPECT_GE(area.top, 0);
  EXPECT_LE(area.left + area.width, size.width);
  EXPECT_LE(area.top + area.height, size.height);
}

}  // namespace
}  // namespace vendaro
