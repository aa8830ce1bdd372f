#include "app/remote_control.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <array>
#include <utility>

#include "platform/session/path_text.h"

namespace vendaro {
namespace {

constexpr std::array<std::pair<RemoteCommand, const char*>, 4> kCommands{{
    {RemoteCommand::Next, "next"},
    {RemoteCommand::Previous, "previous"},
    {RemoteCommand::Settings, "settings"},
    {RemoteCommand::Quit, "quit"},
}};

// A command is one short line; anything longer is not ours.
constexpr qint64 kMaxLine = 64;
// The answer to a refused command starts so; the reason follows.
constexpr std::string_view kRefused = "refused ";

}  // namespace

std::optional<RemoteCommand> ParseRemoteCommand(std::string_view word) {
  for (const auto& [command, name] : kCommands) {
    if (word == name) return command;
  }
  return std::nullopt;
}

const char* RemoteCommandName(RemoteCommand command) {
  for (const auto& [known, name] : kCommands) {
    if (known == command) return name;
  }
  return "";
}

std::string RemoteSocketPath(const std::string& executableName) {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) folder = QDir::tempPath();
  return PathBytes(QDir(folder).filePath(PathText(executableName) + ".socket"));
}

RemoteServer::RemoteServer(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)), server_(new QLocalServer(this)) {
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, &RemoteServer::Accept);
}

RemoteServer::~RemoteServer() {
  server_->close();
}

Status RemoteServer::Listen(const std::string& path) {
  QString name = PathText(path);
  QLocalServer::removeServer(name);
  if (!server_->listen(name)) {
    return Status::Error("Nie można nasłuchiwać poleceń na " + path + ": " +
                         server_->errorString().toStdString());
  }
  return Status::Ok();
}

void RemoteServer::Close() {
  server_->close();
}

void RemoteServer::Accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Serve(socket); });
    if (socket->bytesAvailable() > 0) Serve(socket);
  }
}

void RemoteServer::Serve(QLocalSocket* socket) {
  if (!socket->canReadLine()) {
    if (socket->bytesAvailable() > kMaxLine) socket->abort();
    return;
  }
  QByteArray line = socket->readLine(kMaxLine + 1).trimmed();
  std::optional<RemoteCommand> command = ParseRemoteCommand(line.toStdString());
  if (!command) {
    socket->write("unknown\n");
    socket->flush();
    return;
  }
  // The socket may go away while the handler runs nested event loops.
  QPointer<QLocalSocket> guard(socket);
  const Status done = handler_(*command);
  if (!guard) return;
  // One line: the reason's own line breaks would end the answer early.
  QByteArray reason = QByteArray::fromStdString(done.message()).replace('\n', ' ');
  guard->write(done ? QByteArray("ok\n") : QByteArray(kRefused.data()) + reason + '\n');
  guard->flush();
}

Status SendRemoteCommand(const std::string& socketPath, RemoteCommand command, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(PathText(socketPath));
  if (!socket.waitForConnected(timeoutMs)) {
    return Status::Error("Vendaro nie jest uruchomiony (brak " + socketPath + ").");
  }
  socket.write(QByteArray(RemoteCommandName(command)) + '\n');
  if (!socket.waitForBytesWritten(timeoutMs)) {
    return Status::Error("Nie można wysłać polecenia: " + socket.errorString().toStdString());
  }
  while (!socket.canReadLine()) {
    if (!socket.waitForReadyRead(timeoutMs)) {
      return Status::Error("Vendaro nie odpowiedział na polecenie.");
    }
  }
  QByteArray answer = socket.readLine().trimmed();
  if (answer.startsWith(QByteArray(kRefused.data())))
    return Status::Error(answer.mid(static_cast<qsizetype>(kRefused.size())).toStdString());
  if (answer != "ok") return Status::Error("Vendaro odrzucił polecenie: " + answer.toStdString());
  return Status::Ok();
}

}  // namespace vendaro
