#include "platform/xfce_desktop.h"

#include <algorithm>
#include <charconv>
#include <sstream>
#include <vector>

#include "platform/child_process.h"

namespace vendaro {
namespace {

constexpr const char* kProgram = "xfconf-query";
constexpr const char* kChannel = "--channel=xfce4-desktop";
constexpr const char* kImageSuffix = "/last-image";
constexpr const char* kStyleSuffix = "/image-style";
// Used when xfdesktop has not stored a single image yet.
constexpr const char* kFirstImage = "/backdrop/screen0/monitor0/workspace0/last-image";
// xfdesktop's "zoomed": the canvas already has the screen's size.
constexpr const char* kZoomed = "5";

constexpr const char* kPropertyPrefix = "xfconf ";
constexpr const char* kSetPrefix = "set:";
constexpr const char* kCreated = "created";

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string WithoutNewline(std::string text) {
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The value a property holds, or nothing when it does not exist.
Status Read(const std::string& property, std::optional<std::string>& value) {
  ProgramResult result = RunProgram(kProgram, {kChannel, "--property=" + property});
  value.reset();
  if (result.status) value = WithoutNewline(result.out);
  // xfconf-query ends with 1 for a property that does not exist.
  return result.exitCode == 1 || result.status ? Status::Ok() : result.status;
}

const char* TypeOf(const std::string& property) {
  return EndsWith(property, kStyleSuffix) ? "int" : "string";
}

Status Write(const std::string& property, const std::string& value) {
  // --set=VALUE keeps a value that starts with '-' from being read as an option.
  return RunProgram(kProgram, {kChannel, "--property=" + property, "--create",
                               std::string("--type=") + TypeOf(property), "--set=" + value})
      .status;
}

Status Remove(const std::string& property) {
  return RunProgram(kProgram, {kChannel, "--property=" + property, "--reset"}).status;
}

std::string StyleOf(const std::string& imageProperty) {
  return imageProperty.substr(0, imageProperty.size() - std::string(kImageSuffix).size()) +
         kStyleSuffix;
}

std::vector<std::string> JournaledProperties(const RestoreJournal& journal) {
  std::vector<std::string> properties;
  for (const auto& [key, value] : journal.entries) {
    if (key.rfind(kPropertyPrefix, 0) == 0)
      properties.push_back(key.substr(std::string(kPropertyPrefix).size()));
  }
  return properties;
}

}  // namespace

Status XfceDesktop::Capture(RestoreJournal& journal) {
  ProgramResult list = RunProgram(kProgram, {kChannel, "--list"});
  if (!list.status) return list.status;
  std::vector<std::string> images;
  for (const std::string& line : Lines(list.out)) {
    if (EndsWith(line, kImageSuffix)) images.push_back(line);
  }
  if (images.empty()) images.push_back(kFirstImage);
  for (const std::string& image : images) {
    for (const std::string& property : {image, StyleOf(image)}) {
      std::optional<std::string> value;
      if (Status status = Read(property, value); !status) return status;
      journal.Add(kPropertyPrefix + property, value ? kSetPrefix + *value : kCreated);
    }
  }
  return Status::Ok();
}

Status XfceDesktop::Show(const std::string& path, const Canvas& canvas, RestoreJournal& journal) {
  return ShowFile(path, canvas, ShownFormat::Png, journal, [&](const std::string& shownPath) {
    for (const std::string& property : JournaledProperties(journal)) {
      Status status = Write(property, EndsWith(property, kStyleSuffix) ? kZoomed : shownPath);
      if (!status) return status;
    }
    return Status::Ok();
  });
}

Status XfceDesktop::PutBack(const RestoreJournal& journal) {
  Status first;
  for (const std::string& property : JournaledProperties(journal)) {
    const std::string saved = journal.Find(kPropertyPrefix + property).value_or(kCreated);
    Status status = saved.rfind(kSetPrefix, 0) == 0
                        ? Write(property, saved.substr(std::string(kSetPrefix).size()))
                        : Remove(property);
    if (first && !status) first = status;
  }
  return first;
}

std::optional<ColorValue> XfceDesktop::BackgroundColor() {
  if (color_) return *color_;
  ProgramResult list = RunProgram(kProgram, {kChannel, "--list"});
  std::optional<ColorValue> color;
  for (const std::string& line : Lines(list.status ? list.out : std::string())) {
    if (!EndsWith(line, "/rgba1")) continue;
    ProgramResult value = RunProgram(kProgram, {kChannel, "--property=" + line});
    // An array prints as a heading and one number a line.
    std::vector<double> parts;
    for (const std::string& item : Lines(value.out)) {
      // The number is printed in xfconf-query's locale: a decimal comma is possible.
      std::string text = item;
      std::replace(text.begin(), text.end(), ',', '.');
      double number = 0;
      auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
      if (error == std::errc() && end == text.data() + text.size()) parts.push_back(number);
    }
    if (parts.size() >= 3) {
      auto channel = [](double v) {
        return std::uint8_t(v <= 0 ? 0 : v >= 1 ? 255 : int(v * 255 + 0.5));
      };
      color = Rgb(channel(parts[0]), channel(parts[1]), channel(parts[2]));
    }
    break;
  }
  // Asked once: every composition asks, and a slow service must not slow each one.
  if (list.status) color_ = color;
  return color;
}

}  // namespace vendaro
