#include "platform/desktop/restore_journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "system/files.h"

namespace vendaro {
namespace {

constexpr const char* kBackendKey = "backend";

// Values may hold any byte; the few that would break a line are escaped.
std::string Escape(const std::string& value) {
  std::string out;
  for (unsigned char c : value) {
    if (c == '%' || c == '=' || c == '\n' || c == '\r' || c == 0) {
      char buffer[4];
      std::snprintf(buffer, sizeof buffer, "%%%02X", c);
      out += buffer;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    int high = HexDigit(text[i + 1]);
    int low = HexDigit(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

}  // namespace

std::optional<std::string> RestoreJournal::Find(const std::string& key) const {
  for (const auto& [k, v] : entries) {
    if (k == key) return v;
  }
  return std::nullopt;
}

std::vector<std::string> RestoreJournal::All(const std::string& key) const {
  std::vector<std::string> values;
  for (const auto& [k, v] : entries) {
    if (k == key) values.push_back(v);
  }
  return values;
}

void RestoreJournal::Set(const std::string& key, std::string value) {
  Erase(key);
  Add(key, std::move(value));
}

void RestoreJournal::Erase(const std::string& key) {
  std::erase_if(entries, [&](const auto& entry) { return entry.first == key; });
}

std::string JournalPath(const std::string& stateFolder) {
  std::string path = stateFolder;
  if (!path.empty() && path.back() != '/') path += '/';
  return path + "restore";
}

Status WriteJournal(const std::string& stateFolder, const RestoreJournal& journal) {
  std::string text = std::string(kBackendKey) + "=" + DesktopKindName(journal.kind) + "\n";
  for (const auto& [key, value] : journal.entries) text += Escape(key) + "=" + Escape(value) + "\n";
  const std::string path = JournalPath(stateFolder);
  if (int error = ReplaceFileContents(path, text); error != 0) {
    return Status::Error("Nie można zapisać pliku " + path + ": " + ErrorText(error));
  }
  return Status::Ok();
}

Result<std::optional<RestoreJournal>> ReadJournal(const std::string& stateFolder) {
  const std::string path = JournalPath(stateFolder);
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (access(path.c_str(), F_OK) == 0) return Status::Error("Nie można odczytać pliku " + path);
    return std::optional<RestoreJournal>();
  }
  RestoreJournal journal;
  std::string line;
  bool first = true;
  while (std::getline(in, line)) {
    std::size_t equals = line.find('=');
    std::optional<std::string> key = Unescape(line.substr(0, equals));
    std::optional<std::string> value =
        equals == std::string::npos ? std::nullopt : Unescape(line.substr(equals + 1));
    if (!key || !value) break;
    if (first) {
      if (*key != kBackendKey) break;
      journal.kind = DesktopKindNamed(*value);
      first = false;
    } else {
      journal.Add(*key, *value);
    }
  }
  if (first || journal.kind == DesktopKind::Unknown || !in.eof())
    return Status::Error("Uszkodzony plik " + path);
  return std::optional<RestoreJournal>(std::move(journal));
}

Status RemoveJournal(const std::string& stateFolder) {
  const std::string path = JournalPath(stateFolder);
  if (unlink(path.c_str()) != 0 && errno != ENOENT) {
    return Status::Error("Nie można usunąć pliku " + path + ": " + std::strerror(errno));
  }
  return Status::Ok();
}

}  // namespace vendaro

namespace vendaro {

JournalLock::JournalLock(const std::string& stateFolder, int waitMs) {
  // The folder itself: a lock file would outlive us there, and removing
  // it would let two processes lock two different files.
  const std::string folder = stateFolder.empty() ? "." : stateFolder;
  UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid()) return;
  // Polled, not blocking: a holder that hangs must not hang us.
  constexpr int kStepMs = 10;
  for (int waited = 0;; waited += kStepMs) {
    if (flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
      fd_ = std::move(fd);
      return;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) return;
    if (waited >= waitMs) {
      busy_ = true;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kStepMs));
  }
}

}  // namespace vendaro
