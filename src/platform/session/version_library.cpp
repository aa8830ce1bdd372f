#include "platform/session/version_library.h"

#include <QLibrary>

#include "platform/session/path_text.h"

namespace vendaro {

const char* VersionLibraryFileName() {
  return "libverdpak.so";
}

VersionLibraryCall CallVersionLibrary(const std::string& path, const char* id, const char* version,
                                      const char* product, std::int32_t flag) {
  VersionLibraryCall call;
  QLibrary library(PathText(path));
  if (!library.load()) return call;
  using Entry = std::int32_t (*)(const char*, const char*, const char*, std::int32_t);
  auto entry = reinterpret_cast<Entry>(library.resolve("_SprVer"));
  if (!entry) {
    call.outcome = VersionLibraryCall::Outcome::NoEntryPoint;
  } else {
    call.outcome = VersionLibraryCall::Outcome::Called;
    call.result = entry(id, version, product, flag);
  }
  library.unload();
  return call;
}

}  // namespace vendaro
