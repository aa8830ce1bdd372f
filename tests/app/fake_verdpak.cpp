#include <cstdint>
#include <cstring>

#include "vendaro_version.h"

// Version-check libraries for the tests: each answers FAKE_RESULT when it is
// called with the program's identity, and 0 otherwise.  With
// FAKE_NO_ENTRY_POINT the library exports something else instead.
#ifdef FAKE_NO_ENTRY_POINT
extern "C" __attribute__((visibility("default"))) std::int32_t SprVerOther() {
  return 1;
}
#else
extern "C" __attribute__((visibility("default"))) std::int32_t _SprVer(const char* id,
                                                                       const char* version,
                                                                       const char* product,
                                                                       std::int32_t flag) {
  bool ours = std::strcmp(id, "vendaro") == 0 && std::strcmp(version, VENDARO_VERSION) == 0 &&
              std::strcmp(product, "Vendaro") == 0 && flag == 1;
  return ours ? FAKE_RESULT : 0;
}
#endif
