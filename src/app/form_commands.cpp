// The main form's tray commands, remote commands and messages to the user.

#include <QCoreApplication>
#include <QMessageBox>
#include <QTimer>
#include <optional>

#include "app/main_form.h"
#include "app/main_form_impl.h"

namespace vendaro {
namespace {

QMessageBox::Icon BoxIcon(UserMessage::Icon icon) {
  switch (icon) {
    case UserMessage::Icon::Information:
      return QMessageBox::Information;
    case UserMessage::Icon::Warning:
      return QMessageBox::Warning;
    case UserMessage::Icon::Error:
      return QMessageBox::Critical;
  }
  return QMessageBox::Warning;
}

}  // namespace

void TForm2::Ustawienia1Click() {
  OpenSettings(hooks_.showSettings);
}

void TForm2::OpenSettings(const std::function<void()>& show) {
  ResidentSession& session = *impl_->session;
  TrayItems& tray = session.items();
  tray.Ustawienia1.enabled = false;
  session.state().settingsWindowOpen = true;
  ItemsChanged();
  if (show) show();
  session.state().settingsWindowOpen = false;
  tray.Ustawienia1.enabled = !session.changing();
  ItemsChanged();
}

void TForm2::Vendaro1Click() {
  TrayItems& tray = impl_->session->items();
  tray.Vendaro1.enabled = false;
  ItemsChanged();
  if (hooks_.showAbout) hooks_.showAbout();
  tray.Vendaro1.enabled = true;
  ItemsChanged();
}

void TForm2::Zamknij1Click() {
  // Inside a change (a command arriving during the notification window's
  // message pumps) the change finishes first, or it would set our wallpaper
  // again after the user's had been given back.
  if (impl_->session->changing()) {
    impl_->closePending = true;
    return;
  }
  FormClose();
  // exit, not quit: a quit request can be refused by an open window.
  QCoreApplication::exit(0);
}

void TForm2::ItemsChanged() {
  impl_->tray->Sync();
  if (impl_->closePending && !impl_->session->changing()) {
    impl_->closePending = false;
    QTimer::singleShot(0, this, [this] { Zamknij1Click(); });
  }
}

Status TForm2::RunRemoteCommand(RemoteCommand command) {
  ResidentSession& session = *impl_->session;
  TrayItems& items = session.items();
  // What the tray would not do now is refused with the reason, not ignored:
  // the change items are off only inside a change, the settings item also
  // while its window is open.
  const auto refused = [&session](const MenuItem& item) -> std::optional<Status> {
    if (item.enabled) return std::nullopt;
    if (&item == &session.items().Ustawienia1 && !session.changing())
      return Status::Error("Okno ustawień jest już otwarte.");
    return Status::Error("Trwa zmiana tapety; polecenie nie zostało wykonane, spróbuj za chwilę.");
  };
  switch (command) {
    case RemoteCommand::Next:
      if (auto no = refused(items.Nastpnatapeta1)) return *no;
      items.Nastpnatapeta1.Click();
      break;
    case RemoteCommand::Previous:
      if (auto no = refused(items.Poprzedniatapeta1)) return *no;
      items.Poprzedniatapeta1.Click();
      break;
    // Answered first: the modal window would keep the caller waiting.
    case RemoteCommand::Settings:
      if (auto no = refused(items.Ustawienia1)) return *no;
      QTimer::singleShot(0, this, [this] { impl_->session->items().Ustawienia1.Click(); });
      break;
    case RemoteCommand::Quit:
      items.Zamknij1.Click();
      break;
  }
  return Status::Ok();
}

void TForm2::Tell(const UserMessage& message) {
  if (const auto& tellUser = impl_->session->services().tellUser) {
    tellUser(message);
    return;
  }
  QString text = QString::fromStdString(message.text);
  if (message.way == UserMessage::Way::Balloon && impl_->tray->ShowBalloon(text)) return;
  QString caption = QString::fromStdString(message.caption);
  if (message.way == UserMessage::Way::ModalBox) {
    QMessageBox box(BoxIcon(message.icon), caption, text, QMessageBox::Ok);
    box.exec();
    return;
  }
  // Later messages must not stop the timer, the commands or a change.
  auto* box = new QMessageBox(BoxIcon(message.icon), caption, text, QMessageBox::Ok);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
}

}  // namespace vendaro
