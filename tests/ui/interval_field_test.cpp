// The interval's spin buttons: the wheel, the keys over the edit, and a
// held button or key that speeds up.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include "ui/up_down.h"

namespace vendaro {
namespace {

struct Field {
  Field() : updown(&parent), edit(&parent) {
    updown.setRange(1, 6000);
    updown.setPosition(10);
    updown.setBuddy(&edit);
    QObject::connect(&updown, &UpDown::clicked, [this] { ++clicks; });
  }
  void Wheel(QWidget* target, int angle) {
    QWheelEvent event(QPointF(2, 2), QPointF(2, 2), {}, QPoint(0, angle), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
  }
  void Key(Qt::Key key, bool autoRepeat = false) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(&edit, &event);
  }
  QWidget parent;
  UpDown updown;
  QLineEdit edit;
  int clicks = 0;
};

TEST(IntervalField, WheelAndKeysMoveThePosition) {
  const struct {
    const char* name;
    std::function<void(Field&)> act;
    int expected;
  } rows[] = {
      {"wheel up one notch over the edit", [](Field& f) { f.Wheel(&f.edit, 120); }, 11},
      {"wheel down over the buttons", [](Field& f) { f.Wheel(&f.updown, -240); }, 8},
      {"half notches add up",
       [](Field& f) {
         f.Wheel(&f.edit, 60);
         f.Wheel(&f.edit, 60);
       },
       11},
      {"arrow up", [](Field& f) { f.Key(Qt::Key_Up); }, 11},
      {"arrow down", [](Field& f) { f.Key(Qt::Key_Down); }, 9},
      {"page up", [](Field& f) { f.Key(Qt::Key_PageUp); }, 20},
      {"page down stops at the minimum", [](Field& f) { f.Key(Qt::Key_PageDown); }, 1},
      {"other keys do nothing", [](Field& f) { f.Key(Qt::Key_A); }, 10},
      {"a disabled field ignores both",
       [](Field& f) {
         f.updown.setEnabled(false);
         f.Key(Qt::Key_Up);
         f.Wheel(&f.edit, 120);
       },
       10},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Field field;
    row.act(field);
    EXPECT_EQ(field.updown.position(), row.expected);
    EXPECT_EQ(field.clicks > 0, row.expected != 10) << "the window hears of every move";
  }
}

// Holding an arrow key: from 1 to a day in minutes within seconds of
// repeats, where one step a repeat took well over two minutes.
TEST(IntervalField, AHeldKeySpeedsUp) {
  Field field;
  field.updown.setPosition(1);
  field.Key(Qt::Key_Up);
  int repeats = 0;
  while (field.updown.position() < 1440 && repeats < 1000) {
    field.Key(Qt::Key_Up, true);
    ++repeats;
  }
  EXPECT_LT(repeats, 150) << "at the usual 30 repeats a second, under 5 s";
  EXPECT_EQ(field.updown.position() - 1440 < 30, true) << "no wild overshoot";

  field.Key(Qt::Key_Down);
  const int afterFreshPress = field.updown.position();
  field.Key(Qt::Key_Down);
  EXPECT_EQ(afterFreshPress - field.updown.position(), 1) << "a new press starts slow again";
}

}  // namespace
}  // namespace vendaro
