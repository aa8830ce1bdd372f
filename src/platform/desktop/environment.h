#pragma once

#include <map>
#include <string>

namespace vendaro {

using Environment = std::map<std::string, std::string>;

// The environment of this process as a map, for DetectDesktop.
Environment CurrentEnvironment();

}  // namespace vendaro
