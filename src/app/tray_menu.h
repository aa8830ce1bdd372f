#pragma once

// The tray icon and its menu, mirroring the state of the TrayItems that the
// commands work on.  Without a tray the object still exists; the commands
// are then reached from the command line.

#include <QObject>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "app/change_scheduler.h"

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace vendaro {

class TrayMenu : public QObject {
  Q_OBJECT

 public:
  struct Handlers {
    std::function<void()> popup;        // the menu is about to open
    std::function<void()> doubleClick;  // TrayIcon1DblClick
    // A D-Bus (StatusNotifierItem) tray reports a click only as Trigger,
    // never as DoubleClick: there the click stands for the double click.
    bool clickIsDoubleClick = false;
  };
  TrayMenu(TrayItems& items, Handlers handlers, QObject* parent = nullptr);
  ~TrayMenu() override;

  // Copies each item's enabled and visible state to its menu entry.
  void Sync();
  void Show();
  void Hide();
  // A warning balloon titled "Vendaro"; false where no tray can show it.
  bool ShowBalloon(const QString& text);

  QSystemTrayIcon* TrayIcon1 = nullptr;
  QMenu* PopupMenu1 = nullptr;

 private:
  QAction* AddItem(const char* name, const QString& caption, const char* icon, MenuItem& item);

  TrayItems& items_;
  Handlers handlers_;
  std::unique_ptr<QMenu> menu_;
  std::vector<std::pair<QAction*, const MenuItem*>> actions_;
  bool refreshing_ = false;
};

}  // namespace vendaro
