#pragma once

// "Pokaż w menedżerze plików": the picture shown selected in the desktop's
// file manager (org.freedesktop.FileManager1), or its folder opened where no
// file manager answers on the bus in time.  Nothing waits for either.

#include <QDBusConnection>
#include <QObject>
#include <QUrl>
#include <functional>
#include <string>

namespace vendaro {

inline constexpr int kFileManagerTimeoutMs = 3000;

// Opens a folder the desktop's way (xdg-open); QDesktopServices by default.
using FolderOpener = std::function<void(const QUrl& folder)>;

// Asks for `path` to be shown; `context` ends the wait when it goes.
void ShowInFileManager(const std::string& path, QDBusConnection bus, QObject* context,
                       FolderOpener openFolder = {});

}  // namespace vendaro
