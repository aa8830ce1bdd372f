#pragma once

#include <string>
#include <vector>

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

// Prints a JSON array of each screen's geometry ({x, y, width, height}, in
// Plasma's logical pixels), indexed by Plasma's screen number.
std::string ReadScreensScript();

// Shows on each desktop the file (a file:// URL) of its screen from
// `byScreen`, indexed by Plasma's screen number, and `other` on desktops of
// screens past its end or of no screen; prints a JSON array of each
// desktop's screen and the Image it holds afterwards ({screen, image}).
std::string SetScreenImagesScript(const std::vector<std::string>& byScreen,
                                  const std::string& other);

// Puts back what ReadDesktopsScript printed (given as its JSON text).
std::string RestoreDesktopsScript(const std::string& savedJson);

}  // namespace vendaro
