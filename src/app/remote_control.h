#pragma once

// `vendaro next|previous|settings|quit`: commands sent to the running copy
// over a local socket in the user's runtime folder.

#include <QObject>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "system/status.h"

class QLocalServer;
class QLocalSocket;

namespace vendaro {

enum class RemoteCommand { Next, Previous, Settings, Quit };

std::optional<RemoteCommand> ParseRemoteCommand(std::string_view word);
const char* RemoteCommandName(RemoteCommand command);

// The socket's path for the executable called `executableName`, beside the
// single-instance lock.
std::string RemoteSocketPath(const std::string& executableName);

// Listens for commands; each is handed to `handler` and answered once the
// handler has returned, so a client waits until a change has been made.  A
// command the handler refuses (one that cannot run inside a change) is
// answered with the handler's reason.
class RemoteServer : public QObject {
  Q_OBJECT

 public:
  using Handler = std::function<Status(RemoteCommand)>;
  explicit RemoteServer(Handler handler, QObject* parent = nullptr);
  ~RemoteServer() override;

  // Only the same user can connect.  A socket left by a dead copy is
  // replaced: the caller holds the single-instance lock.
  Status Listen(const std::string& path);
  // Stops taking connections; a command being served is still answered.
  void Close();

 private:
  void Accept();
  void Serve(QLocalSocket* socket);

  Handler handler_;
  QLocalServer* server_;
};

// Sends `command` and waits for the answer.  Fails with a message when no copy
// listens, it does not answer in time or it refuses the command.
Status SendRemoteCommand(const std::string& socketPath, RemoteCommand command, int timeoutMs);

}  // namespace vendaro
