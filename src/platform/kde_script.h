#pragma once

#include <string>

namespace vendaro {

// The scripts sent to Plasma's evaluateScript.  Text from outside (a path,
// the values read back from Plasma) enters them only as escaped string
// literals or JSON, never as script.

// A single-quoted JavaScript string literal in plain ASCII: quotes,
// backslash, line ends (including U+2028/U+2029) and every other character
// outside printable ASCII are escaped; bytes that are not UTF-8 become U+FFFD.
std::string JsStringLiteral(const std::string& text);

// Prints a JSON array with each desktop's id, wallpaper plugin, and those of
// the image plugin's Image, FillMode and Color that are set (a key the user
// never had stays out, so that giving back does not add it).
std::string ReadDesktopsScript();

// Shows the file (a file:// URL) on every desktop through the image plugin,
// and prints a JSON array of the Image each desktop holds afterwards.
std::string SetImageScript(const std::string& url);

// Puts back what ReadDesktopsScript printed (given as its JSON text).
std::string RestoreDesktopsScript(const std::string& savedJson);

}  // namespace vendaro
