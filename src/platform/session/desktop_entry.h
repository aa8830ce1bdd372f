#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vendaro {

// The Exec key of a desktop entry for one program path with no arguments:
// quoted when it holds a reserved character, '%' doubled, and escaped again
// as a desktop-entry string value (so a backslash ends up as four).
std::string ExecValueFor(const std::string& programPath);

// The arguments an Exec value stands for (string escapes undone, quotes
// removed, "%%" made '%', field codes dropped); nothing when it is malformed.
std::optional<std::vector<std::string>> ParseExecValue(const std::string& value);

// The raw value of `key` in the [Desktop Entry] group of an entry's text.
std::optional<std::string> DesktopEntryValue(const std::string& text, const std::string& key);

}  // namespace vendaro
