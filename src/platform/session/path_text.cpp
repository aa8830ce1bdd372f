#include "platform/session/path_text.h"

#include <QFile>

namespace vendaro {

QString PathText(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string PathBytes(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

}  // namespace vendaro
