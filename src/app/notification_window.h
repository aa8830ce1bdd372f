#pragma once

// The small translucent window that names the picture while a change runs.

#include <QWidget>

#include "model/wallpaper_entry.h"
#include "platform/display/screen.h"

class QFrame;
class QLabel;

namespace vendaro {

inline constexpr int kNotificationWidth = 240;
inline constexpr int kNotificationHeight = 48;

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

  // Places, fills and shows the window for `entry`, pumping messages twice so
  // that it is painted before the composition keeps the thread busy.
  void ShowFor(const WallpaperEntry& entry);

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
};

}  // namespace vendaro
