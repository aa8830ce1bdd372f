#pragma once

#include <cstdint>
#include <string>

namespace vendaro {

// The result of calling the version-check library's `_SprVer` entry point.
struct VersionLibraryCall {
  enum class Outcome { NotLoaded, NoEntryPoint, Called };
  Outcome outcome = Outcome::NotLoaded;
  std::int32_t result = 0;  // the entry point's return value when Called
};

// The file name of the library on this platform ("libverdpak.so").
const char* VersionLibraryFileName();

// Loads the library at `path` by full path, calls
// _SprVer(id, version, product, flag) with the C convention and unloads it.
VersionLibraryCall CallVersionLibrary(const std::string& path, const char* id, const char* version,
                                      const char* product, std::int32_t flag);

}  // namespace vendaro
