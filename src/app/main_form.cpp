#include "app/main_form.h"

#include <QTimer>

#include "app/first_start.h"
#include "app/main_form_impl.h"
#include "model/wallpaper_entry.h"
#include "platform/desktop/desktop.h"
#include "system/report.h"

namespace vendaro {

TForm2::TForm2(AppServices services, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), impl_(std::make_unique<Impl>()) {
  setObjectName(QStringLiteral("TForm2"));
  const int settleMs = services.screenSettleMs > 0 ? services.screenSettleMs : kScreenSettleMs;
  impl_->session = std::make_unique<ResidentSession>(
      std::move(services),
      ResidentSession::Hooks{[this](const UserMessage& message) { Tell(message); },
                             [this] { ItemsChanged(); }});
  Timer2 = impl_->session->changeTimer();
  BuildTray();
  impl_->screens = std::make_unique<ScreenChanges>([this] { ScreensChanged(); }, settleMs);
}

TForm2::~TForm2() = default;

ResidentSession& TForm2::session() {
  return *impl_->session;
}

void TForm2::SetWindowHooks(WindowHooks hooks) {
  hooks_ = std::move(hooks);
}

void TForm2::BuildTray() {
  ResidentSession& session = *impl_->session;
  TrayItems& tray = session.items();
  tray.Vendaro1.onClick = [this] { Vendaro1Click(); };
  tray.Ustawienia1.onClick = [this] { Ustawienia1Click(); };
  tray.Zamknij1.onClick = [this] { Zamknij1Click(); };
  const bool statusNotifier =
      session.services().statusNotifierTray && session.services().statusNotifierTray();
  impl_->tray = std::make_unique<TrayMenu>(
      tray,
      TrayMenu::Handlers{[this] { impl_->session->scheduler().MenuOpening(); },
                         [this] { impl_->session->items().Ustawienia1.Click(); }, statusNotifier});
}

bool TForm2::FormCreate() {
  ResidentSession& session = *impl_->session;
  AppServices& services = session.services();
  // The form itself is never shown, so it has no window and no taskbar entry.
  if (services.lowerPriority) services.lowerPriority();

  impl_->lock = std::make_unique<InstanceLock>(FileNamePart(services.executablePath));
  if (!impl_->lock->TryAcquire()) {
    Tell({UserMessage::Icon::Warning, UserMessage::Way::ModalBox, "Informacja",
          "Program jest już uruchomiony"});
    return false;
  }
  if (!session.Load()) return false;

  impl_->tray->Show();
  // A stand-in for the desktop's own way (the X root window under a desktop
  // whose service is missing) is said once.
  if (session.desktop() && !session.desktop()->notice().empty())
    Tell({UserMessage::Icon::Warning, UserMessage::Way::Balloon, "Vendaro",
          session.desktop()->notice()});
  impl_->resident = true;
  // Before the first change, so that a command sent as soon as the first
  // wallpaper shows is heard.
  StartRemoteControl();
  impl_->screens->Watch();
  session.Begin();
  // Later, from the event loop: start-up has to finish first.
  if (TakeFirstStart(session.dataFolder(), session.activeList().empty())) {
    QTimer::singleShot(0, this, [this] { OpenSettings(hooks_.showFirstStart); });
  }
  return true;
}

void TForm2::StartRemoteControl() {
  const AppServices& services = impl_->session->services();
  if (!services.remoteControl) return;
  impl_->remote = std::make_unique<RemoteServer>(
      [this](RemoteCommand command) { return RunRemoteCommand(command); });
  Status status = impl_->remote->Listen(RemoteSocketPath(FileNamePart(services.executablePath)));
  ReportOnTerminal(status);
}

void TForm2::FormClose() {
  if (!impl_->resident || impl_->closed) return;
  impl_->closed = true;
  impl_->resident = false;
  if (impl_->remote) impl_->remote->Close();
  impl_->session->End();
  impl_->tray->Hide();
}

void TForm2::ScreensChanged() {
  KeepWindowsOnScreens();
  if (!resident()) return;
  impl_->session->ComposeForNewScreens();
}

bool TForm2::resident() const {
  return impl_->resident;
}

QSystemTrayIcon* TForm2::trayIcon() const {
  return impl_->tray->TrayIcon1;
}

QMenu* TForm2::popupMenu() const {
  return impl_->tray->PopupMenu1;
}

}  // namespace vendaro
