#include "platform/desktops/xfce/xfce_desktop.h"

#include <gio/gio.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include "platform/ipc/session_bus.h"

namespace vendaro {
namespace {

constexpr BusService kXfconf{kXfconfBusName, "/org/xfce/Xfconf", "org.xfce.Xfconf",
                             "ustawień xfconfd"};
constexpr const char* kChannel = "xfce4-desktop";
constexpr const char* kBackdrop = "/backdrop";
constexpr const char* kImageSuffix = "/last-image";
constexpr const char* kStyleSuffix = "/image-style";
constexpr const char* kColorSuffix = "/rgba1";
// Used when xfdesktop has not stored a single image yet.
constexpr const char* kFirstImage = "/backdrop/screen0/monitor0/workspace0/last-image";
// xfdesktop's "zoomed": the canvas already has the screen's size.
constexpr int kZoomed = 5;

constexpr const char* kPropertyPrefix = "xfconf ";
// The value as GVariant text with its type.
constexpr const char* kValuePrefix = "value:";
// Written by earlier versions through xfconf-query: the bare text.
constexpr const char* kSetPrefix = "set:";
constexpr const char* kCreated = "created";

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

struct TextFree {
  void operator()(gchar* text) const { g_free(text); }
};

// Every property under /backdrop, sorted by name.
using Properties = std::map<std::string, VariantPtr>;

Status ReadAll(Properties& properties, WaitBudget& budget) {
  properties.clear();
  std::string error;
  const Result<VariantPtr> reply =
      CallSessionBus(kXfconf, "GetAllProperties", g_variant_new("(ss)", kChannel, kBackdrop),
                     "(a{sv})", budget, &error);
  if (!reply) {
    // A fresh account: xfdesktop has stored no backdrop yet.
    const bool none = error == "org.xfce.Xfconf.Error.PropertyNotFound" ||
                      error == "org.xfce.Xfconf.Error.ChannelNotFound";
    return none ? Status::Ok() : reply.status();
  }
  GVariantIter* iter = nullptr;
  g_variant_get(reply->get(), "(a{sv})", &iter);
  const gchar* name = nullptr;
  GVariant* value = nullptr;
  while (g_variant_iter_next(iter, "{&sv}", &name, &value)) properties[name].reset(value);
  g_variant_iter_free(iter);
  return Status::Ok();
}

Status SetProperty(const std::string& property, GVariant* value, WaitBudget& budget) {
  return CallSessionBus(kXfconf, "SetProperty",
                        g_variant_new("(ssv)", kChannel, property.c_str(), value), nullptr, budget)
      .status();
}

Status ResetProperty(const std::string& property, WaitBudget& budget) {
  return CallSessionBus(kXfconf, "ResetProperty",
                        g_variant_new("(ssb)", kChannel, property.c_str(), FALSE), nullptr, budget)
      .status();
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

// Our value for a property: the shown file's path, or "zoomed".
GVariant* OurValue(const std::string& property, const std::string& shownPath) {
  return EndsWith(property, kStyleSuffix) ? g_variant_new_int32(kZoomed)
                                          : g_variant_new_string(shownPath.c_str());
}

// The user's value from the journal; nothing for a property we created.
VariantPtr SavedValue(const std::string& property, const std::string& saved) {
  if (saved.rfind(kValuePrefix, 0) == 0) {
    const std::string text = saved.substr(std::string(kValuePrefix).size());
    return VariantPtr(g_variant_parse(nullptr, text.c_str(), nullptr, nullptr, nullptr));
  }
  if (saved.rfind(kSetPrefix, 0) == 0) {
    const std::string text = saved.substr(std::string(kSetPrefix).size());
    if (!g_utf8_validate(text.data(), gssize(text.size()), nullptr)) return nullptr;
    GVariant* value = EndsWith(property, kStyleSuffix)
                          ? g_variant_new_int32(std::atoi(text.c_str()))
                          : g_variant_new_string(text.c_str());
    return VariantPtr(g_variant_ref_sink(value));
  }
  return nullptr;
}

std::optional<ColorValue> ColorOf(const Properties& properties) {
  for (const auto& [name, value] : properties) {
    if (!EndsWith(name, kColorSuffix) || !g_variant_is_of_type(value.get(), G_VARIANT_TYPE("av")))
      continue;
    std::vector<double> parts;
    GVariantIter iter;
    g_variant_iter_init(&iter, value.get());
    while (GVariant* item = g_variant_iter_next_value(&iter)) {
      VariantPtr inner(g_variant_get_variant(item));
      g_variant_unref(item);
      if (g_variant_is_of_type(inner.get(), G_VARIANT_TYPE_DOUBLE))
        parts.push_back(g_variant_get_double(inner.get()));
    }
    if (parts.size() < 3) continue;
    auto channel = [](double v) {
      return std::uint8_t(v <= 0 ? 0 : v >= 1 ? 255 : int(v * 255 + 0.5));
    };
    return Rgb(channel(parts[0]), channel(parts[1]), channel(parts[2]));
  }
  return std::nullopt;
}

// Where an image property belongs:
// "/backdrop/<screen>/monitor<NAME>/<workspace>/last-image".
struct ImagePlace {
  std::string screen;
  std::string monitor;  // NAME
  std::string workspace;
};

std::optional<ImagePlace> PlaceOf(const std::string& property) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t slash; (slash = property.find('/', start)) != std::string::npos;
       start = slash + 1)
    parts.push_back(property.substr(start, slash - start));
  parts.push_back(property.substr(start));
  const std::string monitor = "monitor";
  if (parts.size() != 6 || !parts[0].empty() || "/" + parts[1] != kBackdrop ||
      parts[3].rfind(monitor, 0) != 0 || "/" + parts[5] != kImageSuffix)
    return std::nullopt;
  return ImagePlace{parts[2], parts[3].substr(monitor.size()), parts[4]};
}

std::string ImageProperty(const ImagePlace& place) {
  return std::string(kBackdrop) + "/" + place.screen + "/monitor" + place.monitor + "/" +
         place.workspace + kImageSuffix;
}

// xfconf refuses property names with other characters, so a monitor named
// with them cannot have a backdrop of its own.
bool FitsPropertyName(const std::string& name) {
  if (name.empty()) return false;
  for (const char c : name) {
    const bool fits = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      std::string_view("_-.:,[]{}<>").find(c) != std::string_view::npos;
    if (!fits) return false;
  }
  return true;
}

// Journals the user's values of an image property and its style, or that
// we create them.
void JournalImage(const Properties& properties, const std::string& image, RestoreJournal& journal) {
  for (const std::string& property : {image, StyleOf(image)}) {
    auto found = properties.find(property);
    std::string saved = kCreated;
    if (found != properties.end()) {
      std::unique_ptr<gchar, TextFree> text(g_variant_print(found->second.get(), TRUE));
      saved = kValuePrefix + std::string(text.get());
    }
    journal.Add(kPropertyPrefix + property, saved);
  }
}

// Journals every image property the journal does not hold yet, and, for
// each of `monitors` that has no image property, the ones we create for it:
// one for each workspace the other monitors have.  Whether it added any.
bool JournalNewImages(const Properties& properties, const MonitorLayout& monitors,
                      RestoreJournal& journal) {
  std::vector<std::string> known = JournaledProperties(journal);
  bool added = false;
  for (const auto& [name, value] : properties) {
    if (!EndsWith(name, kImageSuffix) || std::find(known.begin(), known.end(), name) != known.end())
      continue;
    JournalImage(properties, name, journal);
    known.push_back(name);
    added = true;
  }
  std::set<std::string> screens;
  std::set<std::string> workspaces;
  std::set<std::string> shown;  // monitors that have a backdrop
  for (const std::string& property : known) {
    if (const std::optional<ImagePlace> place = PlaceOf(property)) {
      screens.insert(place->screen);
      workspaces.insert(place->workspace);
      shown.insert(place->monitor);
    }
  }
  if (screens.empty()) screens.insert("screen0");
  if (workspaces.empty()) workspaces.insert("workspace0");
  for (const Monitor& monitor : monitors) {
    if (!FitsPropertyName(monitor.name) || !shown.insert(monitor.name).second) continue;
    for (const std::string& screen : screens) {
      for (const std::string& workspace : workspaces) {
        JournalImage(properties, ImageProperty({screen, monitor.name, workspace}), journal);
        added = true;
      }
    }
  }
  return added;
}

// The file for an image (or style) property: its monitor's picture, or the
// primary's for a monitor we have none for.
const std::string& FileFor(const std::string& property, const Wallpapers& wallpapers,
                           const MonitorSources& sources, const std::vector<std::string>& shown) {
  const std::string image =
      EndsWith(property, kStyleSuffix)
          ? property.substr(0, property.size() - std::strlen(kStyleSuffix)) + kImageSuffix
          : property;
  if (const std::optional<ImagePlace> place = PlaceOf(image); place && !place->monitor.empty()) {
    for (std::size_t i = 0; i < wallpapers.monitors.size(); ++i) {
      if (wallpapers.monitors[i].monitor.name == place->monitor) return shown[sources.sourceOf[i]];
    }
  }
  return shown.front();
}

// Writes each property its value and reads them back: what xfdesktop will
// be told is what we wrote.
Status WriteImages(const std::vector<std::string>& written, const Wallpapers& wallpapers,
                   const MonitorSources& sources, const std::vector<std::string>& shown,
                   WaitBudget& budget) {
  // xfconf's strings are UTF-8 (D-Bus carries no other).
  for (const std::string& path : shown) {
    if (!g_utf8_validate(path.data(), gssize(path.size()), nullptr))
      return Status::Error("ścieżka " + path + " nie jest tekstem UTF-8");
  }
  const auto value = [&](const std::string& property) {
    return OurValue(property, FileFor(property, wallpapers, sources, shown));
  };
  for (const std::string& property : written) {
    if (Status status = SetProperty(property, value(property), budget); !status) return status;
  }
  Properties now;
  if (Status status = ReadAll(now, budget); !status) return status;
  for (const std::string& property : written) {
    VariantPtr want(g_variant_ref_sink(value(property)));
    auto found = now.find(property);
    if (found == now.end() || !g_variant_equal(found->second.get(), want.get()))
      return Status::Error("właściwość " + property + " nie przyjęła nowej wartości");
  }
  return Status::Ok();
}

}  // namespace

Status XfceDesktop::Capture(RestoreJournal& journal, WaitBudget& budget) {
  Properties properties;
  if (Status status = ReadAll(properties, budget); !status) return status;
  if (!JournalNewImages(properties, {}, journal)) JournalImage(properties, kFirstImage, journal);
  RememberBackgroundColor(ColorOf(properties));
  return Status::Ok();
}

Status XfceDesktop::Show(const std::string& path, const Canvas& canvas, RestoreJournal& journal,
                         WaitBudget& budget) {
  return ShowMonitors(OneScreen(canvas, path), journal, budget);
}

Status XfceDesktop::ShowMonitors(const Wallpapers& wallpapers, RestoreJournal& journal,
                                 WaitBudget& budget) {
  if (wallpapers.monitors.empty()) return Status::Error("Pusty obraz tapety");
  // xfdesktop stores a backdrop for each monitor and workspace it finds, so
  // properties may have come since the journal was begun; a monitor of ours
  // that has none yet gets its own.  Their values are journaled before
  // anything is written to them.
  Properties properties;
  if (Status status = ReadAll(properties, budget); !status) return status;
  MonitorLayout named;
  if (wallpapers.monitors.size() > 1) {
    for (const MonitorPicture& picture : wallpapers.monitors) named.push_back(picture.monitor);
  }
  if (JournalNewImages(properties, named, journal)) {
    if (Status status = WriteJournal(stateFolder(), journal); !status) return status;
  }
  const MonitorSources sources = DistinctPictures(wallpapers);
  return ShowFiles(
      sources.sources, GdkPixbufFormat(), journal, [&](const std::vector<std::string>& shown) {
        return WriteImages(JournaledProperties(journal), wallpapers, sources, shown, budget);
      });
}

Status XfceDesktop::PutBack(const RestoreJournal& journal, WaitBudget& budget) {
  Status first;
  for (const std::string& property : JournaledProperties(journal)) {
    const std::string saved = journal.Find(kPropertyPrefix + property).value_or(kCreated);
    Status status;
    if (saved == kCreated) {
      status = ResetProperty(property, budget);
    } else if (VariantPtr value = SavedValue(property, saved)) {
      status = SetProperty(property, value.get(), budget);
    } else {
      status = Status::Error("nieczytelna zapisana wartość właściwości " + property);
    }
    if (first && !status) first = status;
  }
  return first;
}

Result<std::optional<ColorValue>> XfceDesktop::ReadBackgroundColor(WaitBudget& budget) {
  Properties properties;
  if (Status status = ReadAll(properties, budget); !status) return status;
  return ColorOf(properties);
}

}  // namespace vendaro
