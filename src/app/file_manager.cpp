#include "app/file_manager.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <utility>

namespace vendaro {

void ShowInFileManager(const std::string& path, QDBusConnection bus, QObject* context,
                       FolderOpener openFolder) {
  if (!openFolder) openFolder = [](const QUrl& folder) { QDesktopServices::openUrl(folder); };
  // The path's bytes as the file system has them, whatever their encoding.
  const QString file = QFile::decodeName(QByteArray::fromStdString(path));
  const QUrl folder = QUrl::fromLocalFile(QFileInfo(file).absolutePath());
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.FileManager1"),
      QStringLiteral("/org/freedesktop/FileManager1"),
      QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
  call << QStringList{QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded)} << QString();
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kFileManagerTimeoutMs), context);
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                   [folder, open = std::move(openFolder)](QDBusPendingCallWatcher* done) {
                     done->deleteLater();
                     if (done->isError()) open(folder);
                   });
}

}  // namespace vendaro
