#include "app/tray_menu.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <utility>

#include "vendaro_version.h"

namespace vendaro {

TrayMenu::TrayMenu(TrayItems& items, Handlers handlers, QObject* parent)
    : QObject(parent),
      items_(items),
      handlers_(std::move(handlers)),
      menu_(std::make_unique<QMenu>()) {
  PopupMenu1 = menu_.get();
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  AddItem("Vendaro1", QStringLiteral("Vendaro v" VENDARO_VERSION), "vendaro", items_.Vendaro1);
  PopupMenu1->addSeparator();
  AddItem("Nastpnatapeta1", QStringLiteral("Następna tapeta"), "next", items_.Nastpnatapeta1);
  AddItem("Poprzedniatapeta1", QStringLiteral("Poprzednia tapeta"), "previous",
          items_.Poprzedniatapeta1);
  AddItem("Pokazwmenedzerze1", QStringLiteral("Pokaż w menedżerze plików"), "folder",
          items_.Pokazwmenedzerze1);
  AddItem("Usunzlisty1", QStringLiteral("Usuń z listy"), "remove", items_.Usunzlisty1);
  PopupMenu1->addSeparator();
  AddItem("Ustawienia1", QStringLiteral("Ustawienia"), "settings", items_.Ustawienia1);
  AddItem("Zamknij1", QStringLiteral("Zamknij"), "close", items_.Zamknij1);
  connect(PopupMenu1, &QMenu::aboutToShow, this, [this] { handlers_.popup(); });

  TrayIcon1 = new QSystemTrayIcon(QIcon(QStringLiteral(":/app/vendaro.svg")), this);
  TrayIcon1->setObjectName(QStringLiteral("TrayIcon1"));
  TrayIcon1->setToolTip(QStringLiteral("Vendaro"));
  TrayIcon1->setContextMenu(PopupMenu1);
  connect(TrayIcon1, &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::DoubleClick ||
                (reason == QSystemTrayIcon::Trigger && handlers_.clickIsDoubleClick)) {
              // Later, not inside the tray's call: on a D-Bus tray the host
              // waits for our answer while the settings window is open.
              QTimer::singleShot(0, this, [this] { handlers_.doubleClick(); });
            }
          });
}

// The icon goes first: it refers to the menu.
TrayMenu::~TrayMenu() {
  delete TrayIcon1;
}

QAction* TrayMenu::AddItem(const char* name, const QString& caption, const char* icon,
                           MenuItem& item) {
  QAction* action = PopupMenu1->addAction(QIcon(QStringLiteral(":/app/%1.svg").arg(icon)), caption);
  action->setObjectName(QString::fromLatin1(name));
  // Clicks go through the item, which ignores them while it is disabled.
  connect(action, &QAction::triggered, this, [&item] { item.Click(); });
  actions_.emplace_back(action, &item);
  return action;
}

void TrayMenu::Sync() {
  // Which items show is asked again on every change, not only as the menu
  // opens: a D-Bus tray lays the menu out before it says it opens, so items
  // hidden or shown only then left blank space or a scroll arrow.  The
  // handler's own change comes back here.
  if (!refreshing_ && handlers_.popup) {
    refreshing_ = true;
    handlers_.popup();
    refreshing_ = false;
  }
  for (const auto& [action, item] : actions_) {
    action->setEnabled(item->enabled);
    action->setVisible(item->visible);
  }
}

void TrayMenu::Show() {
  TrayIcon1->show();
}

void TrayMenu::Hide() {
  TrayIcon1->hide();
}

bool TrayMenu::ShowBalloon(const QString& text) {
  if (!TrayIcon1->isVisible() || !QSystemTrayIcon::isSystemTrayAvailable() ||
      !QSystemTrayIcon::supportsMessages()) {
    return false;
  }
  TrayIcon1->showMessage(QStringLiteral("Vendaro"), text, QSystemTrayIcon::Warning);
  return true;
}

}  // namespace vendaro
