#pragma once

#include <string>

#include "model/canvas.h"
#include "system/status.h"

namespace vendaro {

// How a desktop wants the picture: a PNG of the canvas (for image loaders
// that may lack BMP) or the composed BMP itself.
enum class ShownFormat { Png, Bmp };

// The file handed to a desktop that reads the wallpaper from a file.  Two
// names beside the composed BMP take turns, so a second change that reuses
// the BMP's name still gives the desktop a new name and it loads the new
// pixels.
class ShownFiles {
 public:
  ShownFiles() = default;
  ShownFiles(const ShownFiles&) = delete;
  ShownFiles& operator=(const ShownFiles&) = delete;

  // Makes the next file; `shownPath` gets its path.
  Status Prepare(const std::string& bmpPath, const Canvas& canvas, ShownFormat format,
                 std::string& shownPath);
  // After the desktop took the new file, or failed to: drops the other one.
  void Commit();
  void Discard();
  // Forgets the files made here and removes them.
  void RemoveAll();
  const std::string& current() const { return current_; }

 private:
  std::string current_;
  std::string pending_;
};

// A file:// URI with every byte outside the unreserved set and '/'
// percent-encoded, so it is plain ASCII whatever the path holds.
std::string FileUrl(const std::string& path);

// Removes a file we made; a file already gone is fine.
void RemoveOwnFile(const std::string& path);

}  // namespace vendaro
