// Runs one backend step in a process of its own, for the tests that need a
// run to be killed, or a fresh process to mend it:
//   platform_desktop_helper set-and-die KIND STATE BMP W H R G B
//   platform_desktop_helper set KIND STATE BMP   (a one-off change; the
//     status on standard error, exit 1 when it failed)
//   platform_desktop_helper recover STATE
#include <dirent.h>

#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/desktop/desktop_probe.h"
#include "platform_test_util.h"

namespace {

vendaro::DesktopKind KindNamed(const std::string& name) {
  using vendaro::DesktopKind;
  for (DesktopKind kind :
       {DesktopKind::X11, DesktopKind::Gnome, DesktopKind::Cinnamon, DesktopKind::Mate,
        DesktopKind::Kde, DesktopKind::Xfce, DesktopKind::Sway, DesktopKind::Wlroots}) {
    if (name == vendaro::DesktopKindName(kind)) return kind;
  }
  return DesktopKind::Unknown;
}

bool HasArgsFile(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  bool found = false;
  while (dirent* entry = dir ? readdir(dir) : nullptr) {
    found = found || std::string(entry->d_name).find(".args") != std::string::npos;
  }
  if (dir) closedir(dir);
  return found;
}

int SetAndDie(char** argv) {
  const std::string state = argv[3];
  auto backend =
      vendaro::MakeDesktopBackendOf(KindNamed(argv[2]), vendaro::CurrentEnvironment(), state);
  auto canvas = vendaro::testing::SolidCanvas(
      std::stoi(argv[5]), std::stoi(argv[6]), std::uint8_t(std::stoi(argv[7])),
      std::uint8_t(std::stoi(argv[8])), std::uint8_t(std::stoi(argv[9])));
  vendaro::Status status = backend->SetWallpaper(argv[4], canvas);
  if (!status) {
    std::fprintf(stderr, "%s\n", status.message().c_str());
    return 1;
  }
  // The fake swaybg must have started before we go, or there is nothing to
  // see dying with us.
  if (const char* runs = std::getenv("FAKE_SWAYBG_DIR");
      runs && backend->kind() == vendaro::DesktopKind::Wlroots) {
    vendaro::testing::WaitUntil([&] { return HasArgsFile(runs); });
  }
  std::printf("set\n");
  std::fflush(stdout);
  std::raise(SIGKILL);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "set-and-die" && argc == 10) return SetAndDie(argv);
  if (command == "set" && argc == 5) {
    auto backend =
        vendaro::MakeDesktopBackendOf(KindNamed(argv[2]), vendaro::CurrentEnvironment(), argv[3]);
    backend->KeepAfterExit();
    vendaro::Status status =
        backend->SetWallpaper(argv[4], vendaro::testing::SolidCanvas(4, 4, 1, 2, 3));
    if (!status) std::fprintf(stderr, "%s\n", status.message().c_str());
    return status ? 0 : 1;
  }
  if (command == "recover" && argc == 3) {
    vendaro::Status status = vendaro::RecoverFromJournal(argv[2]);
    if (!status) std::fprintf(stderr, "%s\n", status.message().c_str());
    return status ? 0 : 1;
  }
  std::fprintf(
      stderr,
      "usage: %s set-and-die KIND STATE BMP W H R G B | set KIND STATE BMP | recover STATE\n",
      argv[0]);
  return 2;
}
