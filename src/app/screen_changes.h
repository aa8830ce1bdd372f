#pragma once

// Notices changes of resolution, scale and the set of monitors, and says so
// once they have settled: a dock that connects sends a burst of them.

#include <QObject>
#include <functional>

class QScreen;
class QTimer;

namespace vendaro {

// How long the screens must stay still before a change counts: a burst of
// a dock's changes comes within a second, and the new wallpaper still
// follows the last of them within 2 s after its composition.
inline constexpr int kScreenSettleMs = 600;

class ScreenChanges : public QObject {
  Q_OBJECT

 public:
  explicit ScreenChanges(std::function<void()> settled, int settleMs = kScreenSettleMs,
                         QObject* parent = nullptr);

  // Follows QGuiApplication's screens: added, removed, primary changed, and
  // each screen's geometry and scale.
  void Watch();
  // One change; `settled` runs once none has come for the settle time.
  void Changed();
  bool Waiting() const;

 private:
  void Follow(QScreen* screen);

  std::function<void()> settled_;
  QTimer* timer_ = nullptr;
};

// Brings each of the program's visible windows that no longer lies on any
// monitor back onto the primary one (KeepOnScreens).
void KeepWindowsOnScreens();

}  // namespace vendaro
