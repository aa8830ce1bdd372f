#include "platform/desktop/environment.h"

#include <string_view>

extern char** environ;

namespace vendaro {

Environment CurrentEnvironment() {
  Environment env;
  for (char** entry = environ; entry && *entry; ++entry) {
    std::string_view text(*entry);
    std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) continue;
    env.emplace(std::string(text.substr(0, equals)), std::string(text.substr(equals + 1)));
  }
  return env;
}

}  // namespace vendaro
