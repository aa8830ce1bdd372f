// vendaro-compose: composes one picture exactly as the resident program
// would, for scripts and for checking placement, settings and pixels.
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compose/format_readers.h"
#include "compose/jpeg_reader.h"
#include "compose/layout_composition.h"
#include "compose/probe.h"
#include "compose/renderer.h"
#include "model/bmp_writer.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/system_colors.h"
#include "platform/display/display_query.h"
#include "platform/session/folders.h"
#include "system/files.h"
#include "system/report.h"
#include "tools/compose_command.h"
#include "vendaro_version.h"

namespace vendaro {
namespace {

constexpr int kFailed = 1;
constexpr int kBadCommandLine = 2;

int Fail(const std::string& message, int code = kFailed) {
  ReportOnTerminal(message);
  return code;
}

// The desktop backend, made only when a command needs it.
class Desktop {
 public:
  DesktopBackend* get() {
    if (!backend_) backend_ = MakeDesktopBackend(CurrentEnvironment(), ResolveTempFolder());
    return backend_.get();
  }

 private:
  std::unique_ptr<DesktopBackend> backend_;
};

// Each monitor's composition to the desktop; the files of monitor sizes
// other than the primary's are written only for a desktop that reads files.
Status SetAsWallpaper(const ComposeCommand& command, const WallpaperEntry& entry,
                      const LayoutComposition& composition, Desktop& desktop) {
  DesktopBackend* backend = desktop.get();
  std::vector<std::string> paths{command.output};
  std::vector<std::string> ours;
  if (backend->ShowsFromFile()) {
    const std::string folder = ResolveTempFolder();
    if (folder.empty()) return Status::Error("brak prywatnego katalogu na plik tapety");
    for (std::size_t c = 0; c < composition.canvases.size(); ++c) {
      const Canvas& canvas = composition.canvases[c];
      if (c == 0 && !command.output.empty()) continue;
      const std::string path = c == 0
                                   ? ComposedFilePath(folder, entry)
                                   : MonitorFilePath(folder, entry, {canvas.width, canvas.height});
      if (Status written = WriteBmp(path, canvas); !written) {
        for (const std::string& file : ours) RemoveFile(file);
        return written;
      }
      ours.push_back(path);
      if (c == 0)
        paths[0] = path;
      else
        paths.push_back(path);
    }
  }
  // The tool ends right away; the wallpaper must not end with it.
  backend->KeepAfterExit();
  Status status = backend->SetWallpapers(composition.View(paths));
  // The desktop got files of its own (links or copies); ours would only
  // pile up, one screen-sized bitmap per picture.
  for (const std::string& path : ours) RemoveFile(path);
  if (status && !backend->notice().empty()) ReportOnTerminal(backend->notice());
  return status;
}

// The picture's upright size.  JPEG headers are read directly: loading Qt's
// picture readers would cost this short-lived process more time than
// composing a small wallpaper.
// The picture's size, or why it cannot be read.
Result<ScreenSize> MeasuredSize(const std::string& path) {
  JpegReader jpeg;
  if (jpeg.Open(path)) {
    const bool turned = jpeg.orientation() >= 5;
    return ScreenSize{turned ? jpeg.height() : jpeg.width(), turned ? jpeg.width() : jpeg.height()};
  }
  const Result<PictureSize> measured = ProbePicture(path);
  if (!measured) return measured.status();
  return ScreenSize{measured->width, measured->height};
}

int Run(int argc, char** argv) {
  const ParsedComposeCommand parsed = ParseComposeCommand({argv + 1, argv + argc});
  if (!parsed.status) {
    Fail(parsed.status.message());
    if (parsed.misused)
      std::fprintf(stderr, "%sWięcej: „vendaro-compose --help”.\n", ComposeUsage());
    return kBadCommandLine;
  }
  if (parsed.action == ComposeAction::ShowHelp)
    return WriteStandardOutput(ComposeHelp()) ? EXIT_SUCCESS : kFailed;
  if (parsed.action == ComposeAction::ShowVersion)
    return WriteStandardOutput("vendaro-compose " VENDARO_VERSION "\n") ? EXIT_SUCCESS : kFailed;
  const ComposeCommand& command = parsed.command;

  const Result<ScreenSize> recorded = command.recordedSize
                                          ? Result<ScreenSize>(*command.recordedSize)
                                          : MeasuredSize(command.picture);
  if (!recorded)
    return Fail("nie można odczytać obrazka „" + command.picture + "”: " + recorded.message());

  // No windowing platform: the monitors are asked of the display server
  // directly, within a time limit, and a desktop is reached over D-Bus or
  // its own programs, for which an application object is enough.
  MonitorLayout display;
  if (!command.screen || command.set) {
    Result<MonitorLayout> monitors = QueryMonitors(CurrentEnvironment(), kChangeLimitMs);
    if (monitors)
      display = std::move(*monitors);
    else if (!command.screen)
      return Fail("tam, gdzie nie da się ustalić rozmiaru ekranu, potrzebne jest --screen SxW (" +
                  monitors.message() + ")");
  }
  std::unique_ptr<QCoreApplication> app;
  if (command.set) {
    // Started before Qt's threads: the library's start touches the
    // environment.  Otherwise it starts only if the picture needs it.
    if (NeedsPictureLibrary(command.picture)) StartPictureLibrary();
    app = std::make_unique<QCoreApplication>(argc, argv);
  }
  const MonitorLayout layout = CommandLayout(command.screen, display, command.set);
  const CheckedLayout checked = CheckLayout(layout);
  for (const std::string& problem : checked.problems) ReportOnTerminal(problem);
  if (checked.usable.empty()) return Fail("rozmiar ekranu jest nieznany");
  const ScreenSize screen = checked.usable.front().size();

  const WallpaperEntry entry = MakeEntry(command.picture, recorded->width, recorded->height);
  if (command.explain) {
    const Placement placement =
        PlacePicture(recorded->width, recorded->height, screen.width, screen.height,
                     command.options.DisplayMode, command.options.Alignment);
    std::fputs((ExplainOptions(command.options) + ExplainPlacement(placement)).c_str(), stdout);
    std::fflush(stdout);
  }

  Desktop desktop;
  // The desktop's colour and the change share one time limit.
  if (command.set) desktop.get()->BeginChange();
  const auto systemColor = [&desktop](int index) {
    return SystemColorRgb(index, index == 1 ? desktop.get() : nullptr);
  };
  const LayoutComposition rendered = RenderLayout(entry, command.options, layout, systemColor);
  if (!rendered.status) return Fail(rendered.status.message());
  if (!rendered.picture)
    return Fail("nie można narysować obrazka „" + command.picture +
                "”: " + rendered.picture.message());

  if (!command.output.empty()) {
    if (Status written = WriteBmp(command.output, rendered.primary()); !written)
      return Fail(written.message());
  }
  if (command.set) {
    if (Status set = SetAsWallpaper(command, entry, rendered, desktop); !set)
      return Fail(set.message());
  }
  return EXIT_SUCCESS;
}

}  // namespace
}  // namespace vendaro

int main(int argc, char** argv) {
  vendaro::QuietQtReaders();
  return vendaro::Run(argc, argv);
}
