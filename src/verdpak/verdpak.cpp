#include <cstdint>

// Our version-check library.  There is no update service to ask, so the
// answer is always "go on".
extern "C" __attribute__((visibility("default"))) std::int32_t _SprVer(const char* id,
                                                                       const char* version,
                                                                       const char* product,
                                                                       std::int32_t flag) {
  (void)id;
  (void)version;
  (void)product;
  (void)flag;
  return 0;
}
