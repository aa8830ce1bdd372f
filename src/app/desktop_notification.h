#pragma once

// A change announced through the desktop's notification service
// (org.freedesktop.Notifications): the picture's name and its thumbnail, each
// notification replacing the one before.  Every call is asynchronous: where
// no service answers, nothing shows and nothing waits.

#include <QDBusConnection>
#include <QImage>
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "model/wallpaper_entry.h"

namespace vendaro {

// How long a call may go unanswered before it counts as failed.
inline constexpr int kDesktopNotificationTimeoutMs = 2000;
// The thumbnail's longer side, in pixels.
inline constexpr int kNotificationThumbnailSide = 128;

// Draws the thumbnail of an entry in a picture helper, at most the given
// size; a null image when it cannot.  Called on a thread of its own.
using ThumbnailMaker = std::function<QImage(const WallpaperEntry& entry, int width, int height)>;

// The largest size of the picture's proportions within `side` × `side`.
QSize ThumbnailSize(int width, int height, int side);

class DesktopNotification : public QObject {
  Q_OBJECT

 public:
  // `thumbnails` may be empty: the notification then goes without a picture.
  DesktopNotification(QDBusConnection bus, ThumbnailMaker thumbnails, QObject* parent = nullptr);
  ~DesktopNotification() override;

  // Announces the entry.  A thumbnail is drawn first, off this thread, and
  // the notification follows; an announcement made while an earlier one is
  // still on its way takes its place.
  void Show(const WallpaperEntry& entry);

  // The id the service gave the last notification (0: none yet).
  quint32 shownId() const { return shownId_; }

 signals:
  // A call was answered (`ok`) or failed or timed out; for tests.
  void answered(bool ok);

 private:
  struct Request {
    QString name;
    QImage thumbnail;
  };
  void ThumbnailReady(quint64 serial, const QImage& thumbnail);
  void Send(Request request);
  void Answered(bool ok, quint32 id);
  void JoinDrawing();

  QDBusConnection bus_;
  ThumbnailMaker thumbnails_;
  quint32 shownId_ = 0;
  bool calling_ = false;
  // The newest announcement waiting for the call before it to be answered,
  // so that it can replace that notification.
  std::optional<Request> waiting_;
  std::thread drawing_;
  quint64 serial_ = 0;  // of the newest announcement
  QString drawingName_;
};

}  // namespace vendaro
