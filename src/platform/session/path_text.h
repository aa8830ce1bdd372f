#pragma once

#include <QString>
#include <string>

namespace vendaro {

// Paths are bytes as the file system gives them; Qt names files with
// Unicode text.  These two are the one way between them, the same as Qt's own
// file functions use, so a name that is not valid in the locale's encoding
// still comes back to the same bytes.
QString PathText(const std::string& path);
std::string PathBytes(const QString& path);

}  // namespace vendaro
