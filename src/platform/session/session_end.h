#pragma once

#include <QObject>

#include "system/status.h"

class QSocketNotifier;

namespace vendaro {

// Turns SIGTERM, SIGHUP and SIGINT into a Qt signal on the GUI thread: the
// handler only writes a byte to a socket pair, which a notifier reads.  The
// loss of the session bus ends the session too: the bus goes with the
// session, and a program left without one can only fail at every change.
class SessionEndWatcher : public QObject {
  Q_OBJECT

 public:
  explicit SessionEndWatcher(QObject* parent = nullptr);
  ~SessionEndWatcher() override;

  // Catches the signals from now on; an error when the socket pair cannot
  // be made (the signals then end the program as they would without us).
  Status Watch();

 signals:
  void sessionEnding();

 private slots:
  void BusGone();

 private:
  void Drain();

  int fds_[2] = {-1, -1};
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace vendaro
