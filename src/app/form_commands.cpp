// The main form's tray commands, remote commands and messages to the user.

#include <QCoreApplication>
#include <QMessageBox>
#include <QTimer>

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

void TForm2::RunRemoteCommand(RemoteCommand command) {
  ResidentSession& session = *impl_->session;
  switch (command) {
    case RemoteCommand::Next:
      session.items().Nastpnatapeta1.Click();
      break;
    case RemoteCommand::Previous:
      session.items().Poprzedniatapeta1.Click();
      break;
    // Answered first: the modal window would keep the caller waiting.
    case RemoteCommand::Settings:
      QTimer::singleShot(0, this, [this] { impl_->session->items().Ustawienia1.Click(); });
      break;
    case RemoteCommand::Quit:
      session.items().Zamknij1.Click();
      break;
  }
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
