#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string_view>

#include "app/command_line.h"
#include "app/main_form.h"
#include "app/remote_control.h"
#include "app/resident_session.h"
#include "compose/picture_helpers.h"
#include "model/wallpaper_entry.h"
#include "platform/display/windowing.h"
#include "platform/session/folders.h"
#include "platform/session/session_end.h"
#include "platform/session/session_guard.h"
#include "system/process.h"
#include "system/report.h"
#include "ui/windows.h"
#include "vendaro_version.h"

namespace {

using namespace vendaro;

constexpr int kBadCommandLine = 2;

// `vendaro next|previous|settings|quit`: hands the command to the running
// copy and ends.
int SendCommand(int argc, char** argv, RemoteCommand command) {
  QCoreApplication app(argc, argv);
  // A change of a large picture may take a few seconds before the answer.
  Status sent = SendRemoteCommand(RemoteSocketPath(FileNamePart(ExecutablePath())), command, 60000);
  if (!sent) {
    ReportOnTerminal(sent);
    return 1;
  }
  return 0;
}

// The splash stays one more second, with events handled meanwhile.
void WaitOneSecond() {
  QEventLoop loop;
  QTimer::singleShot(1000, &loop, &QEventLoop::quit);
  loop.exec();
}

int RunResident(int argc, char** argv) {
  // No picture library here: pictures are measured and drawn in helpers
  // (RunPictureHelper), so none of its memory stays in the resident program.
  ChooseWindowingPlatform();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vendaro"));
  ReportOnTerminal(LoadQtPolish());
  QApplication::setQuitOnLastWindowClosed(false);

  std::unique_ptr<QWidget> splash(CreateSplash());
  TForm2 form(AppServices::System());
  form.SetWindowHooks({[&form] { ShowSettingsWindow(form.session()); }, [] { ShowAboutModal(); },
                       [&form] { ShowSettingsWindow(form.session(), true); }});

  SessionEndWatcher sessionEnd;
  SessionGuard guard;
  bool ending = false;
  // exit, not quit: a quit request can be refused by an open window.
  auto end = [&form, &ending, &guard] {
    ending = true;
    form.FormClose();
    guard.Release();
    QCoreApplication::exit(0);
  };
  QObject::connect(&sessionEnd, &SessionEndWatcher::sessionEnding, &form, end);
  ReportOnTerminal(sessionEnd.Watch());
  // The session manager's logout: the user's wallpaper comes back now, as
  // the process may be ended without another word.
  QObject::connect(&app, &QGuiApplication::commitDataRequest, &form, end);
  QObject::connect(&app, &QCoreApplication::aboutToQuit, &form, [&form, &guard] {
    form.FormClose();
    guard.Release();
  });

  // Started before the start lowers our priority, which the guard would
  // inherit and could not raise again when it is needed (mending at the
  // session's end, a busy moment); it mends nothing while another copy runs.
  ReportOnTerminal(guard.Start(ExecutablePath()));
  bool resident = form.FormCreate();
  if (ending) {
    // The session ended inside a start-up message box: start-up went on
    // after it, so close what it set up.
    form.FormClose();
    return 0;
  }
  WaitOneSecond();
  splash.reset();
  if (!resident || !form.resident()) {
    guard.Release();
    return 0;
  }
  return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
  // The locale's short date format is what the settings file stores dates in.
  std::setlocale(LC_ALL, "");
  // The resident copy's helper for pictures: no windows, no Qt application.
  if (argc == 2 && std::string_view(argv[1]) == kPictureHelperArgument) return RunPictureHelper();
  if (argc == 2 && std::string_view(argv[1]) == kSessionGuardArgument)
    return RunSessionGuard(ResolveTempFolder(), FileNamePart(ExecutablePath()));
  using Kind = ProgramRequest::Kind;
  const ProgramRequest request = ParseProgramArguments({argv + 1, argv + argc});
  switch (request.kind) {
    case Kind::Help:
      return WriteStandardOutput(ProgramUsage()) ? EXIT_SUCCESS : EXIT_FAILURE;
    case Kind::Version:
      return WriteStandardOutput("vendaro " VENDARO_VERSION "\n") ? EXIT_SUCCESS : EXIT_FAILURE;
    case Kind::Misuse:
      std::fputs(MisuseText(request).c_str(), stderr);
      return kBadCommandLine;
    case Kind::Command:
      return SendCommand(argc, argv, request.command);
    case Kind::Resident:
      break;
  }
  try {
    return RunResident(argc, argv);
  } catch (const std::exception& error) {
    QMessageBox::critical(nullptr, QStringLiteral("Vendaro"), QString::fromLocal8Bit(error.what()));
  }
  return 1;
}
