#include "model/wallpaper_entry.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "model/picture_formats.h"
#include "model/text_rules.h"

namespace vendaro {

WallpaperEntry MakeEntry(std::string_view path, int width, int height) {
  return {std::string(path), width, height};
}

std::string EntryText(const WallpaperEntry& entry) {
  std::string text;
  text.reserve(entry.path.size() + 40);
  text.append("<n>").append(entry.path).append("</n><w>");
  text.append(std::to_string(entry.width)).append("</w><h>");
  text.append(std::to_string(entry.height)).append("</h>");
  return text;
}

std::string TagValue(std::string_view entry, std::string_view tag) {
  if (tag.empty()) return {};
  const std::size_t tagPos = entry.find(tag);
  if (tagPos == std::string_view::npos) return {};
  std::string closing(tag);
  closing.insert(1, 1, '/');
  // The closing tag is searched from the start of the entry, not from the
  // value, so a closing tag before the opening one yields empty text.
  const std::size_t closePos = entry.find(closing);
  if (closePos == std::string_view::npos) return {};
  const std::size_t start = tagPos + tag.size();
  if (closePos <= start || start > entry.size()) return {};
  return std::string(entry.substr(start, closePos - start));
}

bool IsStorablePath(std::string_view path) {
  static constexpr std::array<std::string_view, 6> kTags = {"<n>",  "</n>", "<w>",
                                                            "</w>", "<h>",  "</h>"};
  for (std::string_view tag : kTags) {
    if (path.find(tag) != std::string_view::npos) return false;
  }
  return path.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::string FileNamePart(std::string_view path) {
  // A path with a '/' is a path of this system, where '\\' and ':' are
  // ordinary characters of a name.
  std::size_t cut = path.find_last_of('/');
  if (cut == std::string_view::npos) cut = path.find_last_of("\\:");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

bool IsAcceptedPictureName(std::string_view path) {
  const std::string name = FileNamePart(path);
  const std::size_t dot = name.rfind('.');
  return dot != std::string::npos && IsAcceptedExtension(std::string_view(name).substr(dot));
}

}  // namespace vendaro
