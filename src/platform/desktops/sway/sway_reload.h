#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/ipc/unique_fd.h"

namespace vendaro {

// Listens on sway's IPC socket for a reload of its config: sway then starts
// the background of the config's `output … bg` lines again, over ours.
// `reloaded` runs on the listening thread, once for each reload.
class SwayReloadWatcher {
 public:
  SwayReloadWatcher(const SwayReloadWatcher&) = delete;
  SwayReloadWatcher& operator=(const SwayReloadWatcher&) = delete;
  ~SwayReloadWatcher();

  // Nothing when the socket does not answer the subscription.
  static std::unique_ptr<SwayReloadWatcher> Start(const std::string& socketPath,
                                                  std::function<void()> reloaded);

 private:
  SwayReloadWatcher(UniqueFd socket, std::function<void()> reloaded);
  void Listen();

  UniqueFd socket_;
  UniqueFd stopRead_;
  UniqueFd stopWrite_;
  std::function<void()> reloaded_;
  std::thread thread_;
};

// One message of sway's IPC protocol: "i3-ipc", the payload's length and
// the type, in the machine's byte order, then the payload.
std::string SwayIpcMessage(unsigned type, const std::string& payload);
// Whether an event (its type and payload) tells of a reload.
bool IsSwayReloadEvent(unsigned type, const std::string& payload);

}  // namespace vendaro
