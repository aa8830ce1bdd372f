#include "platform/session/answering_wait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <memory>
#include <thread>

namespace vendaro {
namespace {

// What the worker shares with the waiting side; it outlives a wait that
// gave up.
struct Outcome {
  std::atomic<bool> done{false};
  std::atomic<bool> result{false};
};

}  // namespace

bool RunWhileAnswering(std::function<bool()> work, int pollMs) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr || QThread::currentThread() != app->thread()) return work();
  auto outcome = std::make_shared<Outcome>();
  std::thread([work = std::move(work), outcome] {
    outcome->result = work();
    outcome->done = true;
  }).detach();
  // Polled rather than signalled: the worker never touches a Qt object, so
  // it cannot reach one that is gone.
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (outcome->done) loop.quit();
  });
  poll.start(pollMs);
  loop.exec();
  return outcome->done && outcome->result;
}

}  // namespace vendaro
