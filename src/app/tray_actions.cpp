// The tray's commands for the picture on screen: showing it in the file
// manager and taking it out of the list.

#include <QDBusConnection>
#include <QMessageBox>
#include <QTimer>

#include "app/file_manager.h"
#include "app/old_bitmaps.h"
#include "app/resident_session.h"
#include "model/entry_list.h"
#include "model/wallpaper_entry.h"
#include "platform/session/path_text.h"

namespace vendaro {

void ResidentSession::ShowShownInFileManager() {
  const std::string& path = scheduler_.shownPath();
  if (path.empty()) return;
  ShowInFileManager(path, QDBusConnection::sessionBus(), timer_.get());
}

bool ResidentSession::AskUser(const std::string& question) {
  if (services_.askUser) return services_.askUser(question);
  return QMessageBox::question(nullptr, QStringLiteral("Vendaro"), QString::fromStdString(question),
                               QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

void ResidentSession::RemoveShownFromList() {
  const std::string path = scheduler_.shownPath();
  if (path.empty()) return;
  const std::string name = PathText(FileNamePart(path)).toStdString();
  if (!AskUser("Usunąć z listy tapetę „" + name + "”? Plik zostanie na dysku.")) return;
  // Changes may have come while the question was open: the picture is looked
  // for by its path now, the current position first.
  if (scheduler_.changing()) return;
  const EntryList& list = activeList();
  std::size_t at = static_cast<std::size_t>(settings().CurrentPosition);
  if (at >= list.size() || list[at].path != path) {
    at = 0;
    while (at < list.size() && list[at].path != path) ++at;
    if (at == list.size()) return;
  }
  // Saved as Apply in the settings window saves an edited list; the entry
  // that follows takes the removed one's place on the desktop.
  EntryList rows = list;
  rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(at));
  Status written;
  if (rows.empty()) {
    TakeList(rows, 0);
    RestoreUserWallpaper();
  } else {
    written = WriteListFile(dataFolder() + kDefaultListName, rows);
    TakeList(rows, static_cast<int>(at));
  }
  ApplyCurrentEntry();
  RemoveOldBitmaps(tempFolder(), static_cast<std::int64_t>(rows.size()),
                   static_cast<std::int64_t>(rows.size()) + 1);
  if (!written) Tell(UserMessage::Icon::Error, UserMessage::Way::Box, written.message());
}

}  // namespace vendaro
