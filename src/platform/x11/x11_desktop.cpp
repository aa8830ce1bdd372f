#include "platform/x11/x11_desktop.h"

#include "platform/x11/x11_connection.h"

namespace vendaro {
namespace {

constexpr const char* kDisplayKey = "display";
constexpr const char* kOriginalKey = "original";
constexpr const char* kOursKey = "ours";

}  // namespace

bool X11DisplayOpens(const std::string& display) {
  Status status;
  return x11::Connection::Open(display, status) != nullptr;
}

X11Desktop::X11Desktop(std::string display, std::string stateFolder)
    : JournaledDesktop(std::move(stateFolder)), display_(std::move(display)) {}

Status X11Desktop::Capture(RestoreJournal& journal) {
  Status status;
  auto connection = x11::Connection::Open(display_, status);
  if (!connection) return status;
  journal.Add(kDisplayKey, display_);
  journal.Add(kOriginalKey, x11::PixmapText(connection->RootPixmap()));
  return connection->Sync("_XROOTPMAP_ID");
}

Status X11Desktop::Show(const std::string&, const Canvas& canvas, RestoreJournal& journal) {
  if (canvas.empty()) return Status::Error("Pusty obraz tapety");
  Status status;
  auto connection = x11::Connection::Open(display_, status);
  if (!connection) return status;
  const Pixmap before = connection->RootPixmap();
  Pixmap pixmap = None;
  if (status = connection->Upload(canvas, pixmap); !status) return status;
  connection->SetRootPixmap(pixmap);
  XSetCloseDownMode(connection->display(), RetainPermanent);
  if (status = connection->Sync("tło okna głównego"); !status) return status;
  // Our previous pixmap lives on in the retained resources of our previous
  // connection; ending that client frees it.  Only while it is still the
  // background: once another program replaced it, its id may name a stranger.
  const Pixmap previous = x11::PixmapFromText(journal.Find(kOursKey).value_or(""));
  const Pixmap original = x11::PixmapFromText(journal.Find(kOriginalKey).value_or(""));
  if (previous != None && previous == before && previous != original) {
    XKillClient(connection->display(), previous);
    (void)connection->Sync("XKillClient");  // it may be gone already
  }
  journal.Set(kOursKey, x11::PixmapText(pixmap));
  return Status::Ok();
}

Status X11Desktop::PutBack(const RestoreJournal& journal) {
  Status status;
  auto connection = x11::Connection::Open(journal.Find(kDisplayKey).value_or(display_), status);
  // No server, no wallpaper of ours: it went with the server.
  if (!connection) return Status::Ok();
  const Pixmap ours = x11::PixmapFromText(journal.Find(kOursKey).value_or(""));
  const Pixmap original = x11::PixmapFromText(journal.Find(kOriginalKey).value_or(""));
  // Someone else set the background since (or the server was restarted): the
  // user's newer choice stays.
  if (ours == None || connection->RootPixmap() != ours) return connection->Sync("_XROOTPMAP_ID");
  if (original != None && connection->PixmapExists(original)) {
    connection->SetRootPixmap(original);
  } else {
    connection->DeleteRootPixmap();
  }
  XKillClient(connection->display(), ours);
  return connection->Sync("przywracanie tła");
}

}  // namespace vendaro
