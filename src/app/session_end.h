#pragma once

#include <QObject>

class QSocketNotifier;

namespace vendaro {

// Turns SIGTERM, SIGHUP and SIGINT into a Qt signal on the GUI thread: the
// handler only writes a byte to a socket pair, which a notifier reads.
class SessionEndWatcher : public QObject {
  Q_OBJECT

 public:
  explicit SessionEndWatcher(QObject* parent = nullptr);
  ~SessionEndWatcher() override;

 signals:
  void sessionEnding();

 private:
  void Drain();

  int fds_[2] = {-1, -1};
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace vendaro
