#include "app/desktop_notification.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMetaObject>
#include <QPointer>
#include <QVariantMap>
#include <algorithm>
#include <utility>

#include "platform/session/path_text.h"

namespace vendaro {
namespace {

// The service's "image-data" hint: raw RGBA rows.
struct ImageData {
  QImage image;  // Format_RGBA8888
};

QDBusArgument& operator<<(QDBusArgument& out, const ImageData& data) {
  const QImage& image = data.image;
  out.beginStructure();
  out << image.width() << image.height() << static_cast<int>(image.bytesPerLine()) << true << 8 << 4
      << QByteArray(reinterpret_cast<const char*>(image.constBits()),
                    static_cast<qsizetype>(image.sizeInBytes()));
  out.endStructure();
  return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, ImageData&) {
  return in;  // never read back
}

// The body may be read as markup by the service: a file name stays text.
QString PlainText(const QString& text) {
  return text.toHtmlEscaped();
}

}  // namespace
}  // namespace vendaro

Q_DECLARE_METATYPE(vendaro::ImageData)

namespace vendaro {

QSize ThumbnailSize(int width, int height, int side) {
  if (width <= 0 || height <= 0) return {side, side};
  if (width >= height) return {side, std::max(1, static_cast<int>(qint64{height} * side / width))};
  return {std::max(1, static_cast<int>(qint64{width} * side / height)), side};
}

DesktopNotification::DesktopNotification(QDBusConnection bus, ThumbnailMaker thumbnails,
                                         QObject* parent)
    : QObject(parent), bus_(std::move(bus)), thumbnails_(std::move(thumbnails)) {
  qDBusRegisterMetaType<ImageData>();
}

DesktopNotification::~DesktopNotification() {
  JoinDrawing();
}

void DesktopNotification::JoinDrawing() {
  if (drawing_.joinable()) drawing_.join();
}

void DesktopNotification::Show(const WallpaperEntry& entry) {
  const quint64 serial = ++serial_;
  const QString name = PathText(FileNamePart(entry.path));
  if (!thumbnails_) {
    Send({name, {}});
    return;
  }
  // One drawing at a time: a change does not come while the one before it
  // is still being drawn, so the wait is short where it happens at all.
  JoinDrawing();
  drawingName_ = name;
  const QSize size = ThumbnailSize(entry.width, entry.height, kNotificationThumbnailSide);
  QPointer<DesktopNotification> self(this);
  drawing_ = std::thread([self, serial, entry, size, make = thumbnails_] {
    QImage thumbnail = make(entry, size.width(), size.height());
    // Back on the object's thread; dropped when it has gone by then.
    QMetaObject::invokeMethod(
        self.data(),
        [self, serial, thumbnail] {
          if (self) self->ThumbnailReady(serial, thumbnail);
        },
        Qt::QueuedConnection);
  });
}

void DesktopNotification::ThumbnailReady(quint64 serial, const QImage& thumbnail) {
  if (serial != serial_) return;  // a later announcement is on its way
  Send({drawingName_, thumbnail});
}

void DesktopNotification::Send(Request request) {
  if (calling_) {
    waiting_ = std::move(request);
    return;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.Notifications"),
      QStringLiteral("/org/freedesktop/Notifications"),
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  QVariantMap hints;
  if (!request.thumbnail.isNull()) {
    hints.insert(
        QStringLiteral("image-data"),
        QVariant::fromValue(ImageData{request.thumbnail.convertToFormat(QImage::Format_RGBA8888)}));
  }
  // Transient: a record of every change would only fill the history.
  hints.insert(QStringLiteral("transient"), true);
  call << QStringLiteral("Vendaro") << shownId_ << QStringLiteral("vendaro")
       << QStringLiteral("Zmiana tapety") << PlainText(request.name) << QStringList() << hints
       << qint32{-1};
  calling_ = true;
  auto* watcher =
      new QDBusPendingCallWatcher(bus_.asyncCall(call, kDesktopNotificationTimeoutMs), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
    done->deleteLater();
    const QDBusPendingReply<quint32> reply = *done;
    Answered(!reply.isError(), reply.isError() ? 0 : reply.value());
  });
}

void DesktopNotification::Answered(bool ok, quint32 id) {
  calling_ = false;
  // Without an answer the next notification is a new one.
  shownId_ = ok ? id : 0;
  emit answered(ok);
  if (waiting_) Send(*std::exchange(waiting_, std::nullopt));
}

}  // namespace vendaro
