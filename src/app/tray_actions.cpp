// The tray's commands for the picture on screen: showing it in the file
// manager and taking it out of the list.

#include <QDBusConnection>
#include <QMessageBox>
#include <QTimer>

#include "app/file_manager.h"
#include "app/old_bitmaps.h"
#include "app/resident_session.h"
#include "model/entry_list.h"
#include "model/folder_rows.h"
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

// The row of the list file that names `path` itself, the current position
// first; none for a picture that is there only through a followed folder.
std::optional<std::size_t> ResidentSession::RowNaming(const std::string& path) const {
  const EntryList& rows = listRows();
  const auto names = [&](std::size_t at) {
    return at < rows.size() && rows[at].path == path && !IsFolderRow(rows[at]);
  };
  if (&rows == &activeList() && names(static_cast<std::size_t>(settings().CurrentPosition)))
    return static_cast<std::size_t>(settings().CurrentPosition);
  for (std::size_t at = 0; at < rows.size(); ++at) {
    if (names(at)) return at;
  }
  return std::nullopt;
}

void ResidentSession::RemoveShownFromList() {
  const std::string path = scheduler_.shownPath();
  if (path.empty()) return;
  const std::string name = PathText(FileNamePart(path)).toStdString();
  // Writing the pictures of a followed folder out one by one would drop the
  // folder from the list file: such a picture leaves with its file.
  if (!RowNaming(path)) {
    Tell(UserMessage::Icon::Information, UserMessage::Way::Box,
         "Tapeta „" + name +
             "” pochodzi z obserwowanego katalogu: aby jej nie pokazywać, usuń plik z katalogu "
             "albo katalog z listy.");
    return;
  }
  if (!AskUser("Usunąć z listy tapetę „" + name + "”? Plik zostanie na dysku.")) return;
  // Changes may have come while the question was open: the picture is looked
  // for by its path now.
  if (scheduler_.changing()) return;
  const std::optional<std::size_t> at = RowNaming(path);
  if (!at) return;
  // Saved as Apply in the settings window saves an edited list; the entry
  // that follows takes the removed one's place on the desktop.
  EntryList rows = listRows();
  rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(*at));
  Status written;
  if (rows.empty()) {
    TakeList(rows, 0);
    RestoreUserWallpaper();
  } else {
    written = WriteListFile(dataFolder() + kDefaultListName, rows);
    TakeList(rows, static_cast<int>(*at));
  }
  ApplyCurrentEntry();
  const auto pictures = static_cast<std::int64_t>(activeList().size());
  RemoveOldBitmaps(tempFolder(), pictures, pictures + 1);
  if (!written) Tell(UserMessage::Icon::Error, UserMessage::Way::Box, written.message());
}

}  // namespace vendaro
