#include "platform/xfce_desktop.h"

#include <gio/gio.h>

#include <cstdlib>
#include <map>
#include <vector>

#include "platform/session_bus.h"

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

}  // namespace

Status XfceDesktop::Capture(RestoreJournal& journal, WaitBudget& budget) {
  Properties properties;
  if (Status status = ReadAll(properties, budget); !status) return status;
  std::vector<std::string> images;
  for (const auto& [name, value] : properties) {
    if (EndsWith(name, kImageSuffix)) images.push_back(name);
  }
  if (images.empty()) images.push_back(kFirstImage);
  for (const std::string& image : images) {
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
  RememberBackgroundColor(ColorOf(properties));
  return Status::Ok();
}

Status XfceDesktop::Show(const std::string& path, const Canvas& canvas, RestoreJournal& journal,
                         WaitBudget& budget) {
  return ShowFile(path, canvas, GdkPixbufFormat(), journal, [&](const std::string& shownPath) {
    // xfconf's strings are UTF-8 (D-Bus carries no other).
    if (!g_utf8_validate(shownPath.data(), gssize(shownPath.size()), nullptr))
      return Status::Error("ścieżka " + shownPath + " nie jest tekstem UTF-8");
    const std::vector<std::string> written = JournaledProperties(journal);
    for (const std::string& property : written) {
      if (Status status = SetProperty(property, OurValue(property, shownPath), budget); !status)
        return status;
    }
    // Read back: what xfdesktop will be told is what we wrote.
    Properties now;
    if (Status status = ReadAll(now, budget); !status) return status;
    for (const std::string& property : written) {
      VariantPtr want(g_variant_ref_sink(OurValue(property, shownPath)));
      auto found = now.find(property);
      if (found == now.end() || !g_variant_equal(found->second.get(), want.get()))
        return Status::Error("właściwość " + property + " nie przyjęła nowej wartości");
    }
    return Status::Ok();
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
