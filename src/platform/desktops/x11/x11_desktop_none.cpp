#include "platform/desktops/x11/x11_desktop.h"

// Built without X11 support: no X display ever answers.
namespace vendaro {

bool X11DisplayOpens(const std::string&) {
  return false;
}

bool X11RootBackgroundVisible(const std::string&) {
  return false;
}

struct X11Desktop::Readied {};

X11Desktop::X11Desktop(std::string display, std::string stateFolder)
    : JournaledDesktop(std::move(stateFolder)), display_(std::move(display)) {}

X11Desktop::~X11Desktop() = default;

void X11Desktop::PrepareWallpapers(const Wallpapers&) {}

void X11Desktop::ForgetPreparedWallpapers() {}

bool X11Desktop::NamesOurs(const std::string&, const RestoreJournal&) const {
  return false;
}

Status X11Desktop::Capture(RestoreJournal&, WaitBudget&) {
  return Status::Error("Program zbudowano bez obsługi X11");
}

Status X11Desktop::Show(const std::string&, const Canvas&, RestoreJournal&, WaitBudget&) {
  return Status::Error("Program zbudowano bez obsługi X11");
}

Status X11Desktop::ShowMonitors(const Wallpapers&, RestoreJournal&, WaitBudget&) {
  return Status::Error("Program zbudowano bez obsługi X11");
}

Status X11Desktop::PutBack(const RestoreJournal&, WaitBudget&) {
  return Status::Ok();
}

}  // namespace vendaro
