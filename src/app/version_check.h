#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vendaro {

// Shows a warning box: text, caption.
using WarningBox = std::function<void(const std::string& text, const std::string& caption)>;

// Hands the program's identity to the version-check library at
// `libraryPath` and returns whether the program is to end now (the low 8 bits
// of the answer, non-zero).  A library that cannot be loaded is warned about
// and counts as false; one without the entry point counts as false silently.
bool RunVersionCheck(std::int32_t flag, const std::string& libraryPath, const WarningBox& warn);

}  // namespace vendaro
