#include "platform/desktops/sway/sway_reload.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdint>
#include <cstring>
#include <utility>

namespace vendaro {
namespace {

constexpr char kMagic[] = "i3-ipc";
constexpr std::size_t kMagicSize = sizeof kMagic - 1;
constexpr std::size_t kHeaderSize = kMagicSize + 8;
constexpr unsigned kSubscribe = 2;
// Events have the high bit set; a workspace event says "reload" after sway
// read its config again.
constexpr unsigned kWorkspaceEvent = 0x80000000u;
// The subscription's answer comes at once from a live sway.
constexpr int kAnswerMs = 1000;
// A payload larger than this is no event we want, and no sway sends one.
constexpr std::uint32_t kMaxPayload = 1 << 24;

bool ReadAll(int fd, char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t got = read(fd, data, size);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    data += got;
    size -= std::size_t(got);
  }
  return true;
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t wrote = send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += std::size_t(wrote);
  }
  return true;
}

// Reads one message; false when the socket closed or sent no protocol.
bool ReadMessage(int fd, unsigned& type, std::string& payload) {
  char header[kHeaderSize];
  if (!ReadAll(fd, header, sizeof header) || std::memcmp(header, kMagic, kMagicSize) != 0)
    return false;
  std::uint32_t length = 0;
  std::uint32_t kind = 0;
  std::memcpy(&length, header + kMagicSize, 4);
  std::memcpy(&kind, header + kMagicSize + 4, 4);
  if (length > kMaxPayload) return false;
  payload.assign(length, '\0');
  type = kind;
  return length == 0 || ReadAll(fd, payload.data(), length);
}

bool Readable(int fd, int timeoutMs) {
  pollfd entry{fd, POLLIN, 0};
  return poll(&entry, 1, timeoutMs) == 1;
}

}  // namespace

std::string SwayIpcMessage(unsigned type, const std::string& payload) {
  std::string message(kMagic, kMagicSize);
  const std::uint32_t length = std::uint32_t(payload.size());
  const std::uint32_t kind = type;
  message.append(reinterpret_cast<const char*>(&length), 4);
  message.append(reinterpret_cast<const char*>(&kind), 4);
  return message + payload;
}

bool IsSwayReloadEvent(unsigned type, const std::string& payload) {
  if (type != kWorkspaceEvent) return false;
  const QJsonObject event = QJsonDocument::fromJson(QByteArray::fromStdString(payload)).object();
  return event.value("change").toString() == QLatin1String("reload");
}

std::unique_ptr<SwayReloadWatcher> SwayReloadWatcher::Start(const std::string& socketPath,
                                                            std::function<void()> reloaded) {
  sockaddr_un address{};
  if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path) return nullptr;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
  UniqueFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!socket.valid() ||
      connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
    return nullptr;
  unsigned type = 0;
  std::string answer;
  if (!WriteAll(socket.get(), SwayIpcMessage(kSubscribe, R"(["workspace"])")) ||
      !Readable(socket.get(), kAnswerMs) || !ReadMessage(socket.get(), type, answer) ||
      type != kSubscribe ||
      !QJsonDocument::fromJson(QByteArray::fromStdString(answer))
           .object()
           .value("success")
           .toBool())
    return nullptr;
  return std::unique_ptr<SwayReloadWatcher>(
      new SwayReloadWatcher(std::move(socket), std::move(reloaded)));
}

SwayReloadWatcher::SwayReloadWatcher(UniqueFd socket, std::function<void()> reloaded)
    : socket_(std::move(socket)), reloaded_(std::move(reloaded)) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) == 0) {
    stopRead_.reset(ends[0]);
    stopWrite_.reset(ends[1]);
  }
  thread_ = std::thread([this] { Listen(); });
}

SwayReloadWatcher::~SwayReloadWatcher() {
  // Closing the pipe's end wakes the thread wherever it waits.
  stopWrite_.reset();
  if (!stopRead_.valid()) shutdown(socket_.get(), SHUT_RDWR);
  thread_.join();
}

void SwayReloadWatcher::Listen() {
  for (;;) {
    pollfd entries[2] = {{socket_.get(), POLLIN, 0}, {stopRead_.get(), POLLIN, 0}};
    const int count = stopRead_.valid() ? 2 : 1;
    if (poll(entries, nfds_t(count), -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (count == 2 && entries[1].revents != 0) return;
    unsigned type = 0;
    std::string payload;
    // sway went away: nothing to listen for any more.
    if (!ReadMessage(socket_.get(), type, payload)) return;
    if (IsSwayReloadEvent(type, payload)) reloaded_();
  }
}

}  // namespace vendaro
