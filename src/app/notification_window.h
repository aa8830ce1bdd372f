#pragma once

// The small translucent window that names the picture while a change runs.

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include "model/wallpaper_entry.h"
#include "platform/display/screen.h"

class QFrame;
class QLabel;
class QPropertyAnimation;

namespace vendaro {

inline constexpr int kNotificationWidth = 240;
inline constexpr int kNotificationHeight = 48;
// A change takes a fraction of a second; the window stays long enough to be
// read, then fades out (where the desktop composites; elsewhere it just goes).
inline constexpr int kNotificationShownMs = 1500;
inline constexpr int kNotificationFadeMs = 300;

// Where the window goes: its right edge on the work area's right edge, first
// just below the screen (whose last row is screenBottom - 1), then with its
// bottom edge on the work area's bottom.
struct NotificationPlacement {
  int left = 0;
  int startTop = 0;
  int top = 0;
};
NotificationPlacement PlaceNotification(const Rect& workArea, int screenBottom);

class TForm5 : public QWidget {
  Q_OBJECT

 public:
  TForm5();

  // Places, fills and shows the window for `entry` (again, at full opacity,
  // when it is still up from an earlier change), pumping messages twice so
  // that it is painted before any work keeps the thread busy.
  void ShowFor(const WallpaperEntry& entry);
  // The change is over: the window fades out and hides once it has been up
  // for kNotificationShownMs.  Returns at once; a timer does the rest.
  void Finish();

  QFrame* Panel1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Image1 = nullptr;
  QLabel* Image2 = nullptr;

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void FormCreate();
  void FormClick();
  void FadeOut();

  QElapsedTimer shownFor_;
  QTimer closeLater_;
  QPropertyAnimation* fade_ = nullptr;
};

}  // namespace vendaro
