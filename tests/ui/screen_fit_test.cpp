// Windows inside the screen's free area: the placing rules, then every
// window of the program opened at several scales on two screen sizes.
#include "ui/screen_fit.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QScrollArea>
#include <QWidget>
#include <string>

#include "support/test_environment.h"

namespace vendaro::testing {
namespace {

TEST(ScreenFit, FrameMovesTheLeastDistanceInside) {
  const QRect area(0, 30, 1366, 738);  // a panel along the top
  const struct {
    const char* name;
    QRect wanted;
    QPoint expected;
  } rows[] = {
      {"fits: stays", {100, 100, 500, 400}, {100, 100}},
      {"off the right edge", {1000, 100, 500, 400}, {866, 100}},
      {"under the top panel", {100, 0, 500, 400}, {100, 30}},
      {"off the bottom-left corner", {-50, 600, 500, 400}, {0, 368}},
      {"wider than the area", {300, 100, 1400, 400}, {0, 100}},
      {"exactly the area", {5, 5, 1366, 738}, {0, 30}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(FitFrameInto(row.wanted, area), row.expected);
  }
}

TEST(ScreenFit, BesideOnTheRightThenLeftThenInside) {
  const QRect area(0, 0, 960, 540);
  const QSize dialog(200, 430);
  const struct {
    const char* name;
    QRect anchor;
    QPoint expected;
  } rows[] = {
      {"room on the right", {100, 50, 523, 480}, {624, 50}},
      {"room only on the left", {400, 50, 523, 480}, {199, 50}},
      {"room on neither side", {200, 50, 620, 480}, {760, 50}},
      {"anchor low on the screen", {100, 300, 523, 200}, {624, 110}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const QPoint place = PlaceBeside(row.anchor, dialog, area);
    EXPECT_EQ(place, row.expected);
    EXPECT_TRUE(area.contains(QRect(place, dialog)));
  }
}

TEST(ScreenFit, ALargeWindowScrollsWhatItHolds) {
  QWidget window(nullptr, Qt::FramelessWindowHint);
  window.setFixedSize(500, 400);
  auto* bottomRight = new QLabel(QStringLiteral("OK"), &window);
  bottomRight->setGeometry(450, 370, 40, 20);
  auto* hidden = new QLabel(QStringLiteral("ukryty"), &window);
  hidden->hide();
  const QRect area(0, 0, 480, 300);
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass == 0 ? "first" : "again: no second scroll area");
    ShrinkToArea(&window, area);
    EXPECT_EQ(window.size(), QSize(480, 300));
    const auto scrolls = window.findChildren<QScrollArea*>();
    ASSERT_EQ(scrolls.size(), 1);
    EXPECT_EQ(scrolls[0]->widget()->size(), QSize(500, 400));
    EXPECT_EQ(bottomRight->parentWidget(), scrolls[0]->widget());
  }
  EXPECT_EQ(bottomRight->geometry(), QRect(450, 370, 40, 20)) << "where it was";
  EXPECT_TRUE(hidden->isHidden());

  QWidget small(nullptr, Qt::FramelessWindowHint);
  small.setFixedSize(200, 100);
  ShrinkToArea(&small, area);
  EXPECT_EQ(small.size(), QSize(200, 100));
  EXPECT_TRUE(small.findChildren<QScrollArea*>().isEmpty());
}

// The probe opens each window on an offscreen screen of the given size at
// the given scale and names any that leaves the free area or cuts a text.
TEST(ScreenFit, EveryWindowFitsAtEveryScale) {
  const std::string folder = MakeTempDir("screens");
  for (const auto& [width, height] : {std::pair{1920, 1080}, std::pair{1366, 768}}) {
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const std::string config = folder + "/" + size + ".json";
    WriteFileBytes(config, "{\"screens\": [{\"name\": \"s\", \"x\": 0, \"y\": 0, \"width\": " +
                               std::to_string(width) + ", \"height\": " + std::to_string(height) +
                               ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}");
    for (const char* scale : {"1", "1.5", "2", "3"}) {
      SCOPED_TRACE(size + " at scale " + scale);
      const CommandRun run = RunShellCommand(
          "QT_QPA_PLATFORM='offscreen:configfile=" + config + "' QT_SCALE_FACTOR=" + scale +
          " VENDARO_PROBE_SCREEN=" + size + " '" VENDARO_BIN_DIR "/window_fit_probe'");
      EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    }
  }
}

}  // namespace
}  // namespace vendaro::testing
