// GIO first: its headers use a member named `signals`, which Qt defines.
#include "platform/gsettings_desktop.h"

#include <gio/gio.h>

#include <QColor>
#include <memory>
#include <vector>

namespace vendaro {
namespace {

struct GObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
struct VariantUnref {
  void operator()(GVariant* value) const { g_variant_unref(value); }
};
struct SchemaUnref {
  void operator()(GSettingsSchema* schema) const { g_settings_schema_unref(schema); }
};
struct GFree {
  void operator()(gpointer memory) const { g_free(memory); }
};
using SettingsPtr = std::unique_ptr<GSettings, GObjectUnref>;
using VariantPtr = std::unique_ptr<GVariant, VariantUnref>;
using SchemaPtr = std::unique_ptr<GSettingsSchema, SchemaUnref>;
using TextPtr = std::unique_ptr<gchar, GFree>;

constexpr const char* kUserPrefix = "user:";
constexpr const char* kNeverSet = "default";

SchemaPtr LookupSchema(const std::string& id) {
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  return SchemaPtr(source ? g_settings_schema_source_lookup(source, id.c_str(), TRUE) : nullptr);
}

// A GSettings object, or nothing when the schema is not installed (GIO would
// abort the program for a missing schema).
SettingsPtr OpenSettings(const std::string& id, SchemaPtr* schemaOut = nullptr) {
  SchemaPtr schema = LookupSchema(id);
  if (!schema) return nullptr;
  SettingsPtr settings(g_settings_new_full(schema.get(), nullptr, nullptr));
  if (schemaOut) *schemaOut = std::move(schema);
  return settings;
}

struct KeyValue {
  const char* key;
  std::string value;
};

// The keys a change writes, with the values for the shown file.
std::vector<KeyValue> WallpaperKeys(DesktopKind kind, const std::string& shownPath) {
  const std::string url = FileUrl(shownPath);
  switch (kind) {
    case DesktopKind::Gnome:
      return {{"picture-uri", url}, {"picture-uri-dark", url}, {"picture-options", "zoom"}};
    case DesktopKind::Cinnamon:
      return {{"picture-uri", url}, {"picture-options", "zoom"}};
    case DesktopKind::Mate:
      return {{"picture-filename", shownPath}, {"picture-options", "zoom"}};
    default:
      return {};
  }
}

// Older schemas lack some keys (picture-uri-dark before GNOME 42).
bool HasKey(const SchemaPtr& schema, const char* key) {
  return g_settings_schema_has_key(schema.get(), key);
}

std::string JournalKey(const std::string& schema, const char* key) {
  return schema + " " + key;
}

}  // namespace

const char* GSettingsSchemaOf(DesktopKind kind) {
  switch (kind) {
    case DesktopKind::Cinnamon:
      return "org.cinnamon.desktop.background";
    case DesktopKind::Mate:
      return "org.mate.background";
    default:
      return "org.gnome.desktop.background";
  }
}

bool GSettingsSchemaInstalled(const std::string& schema) {
  return LookupSchema(schema) != nullptr;
}

GSettingsDesktop::GSettingsDesktop(DesktopKind kind, std::string stateFolder)
    : FileShowingDesktop(std::move(stateFolder)), kind_(kind) {}

Status GSettingsDesktop::Capture(RestoreJournal& journal) {
  const std::string id = GSettingsSchemaOf(kind_);
  SchemaPtr schema;
  SettingsPtr settings = OpenSettings(id, &schema);
  if (!settings) return Status::Error("Brak schematu ustawień " + id);
  for (const KeyValue& entry : WallpaperKeys(kind_, {})) {
    if (!HasKey(schema, entry.key)) continue;
    VariantPtr user(g_settings_get_user_value(settings.get(), entry.key));
    std::string value = kNeverSet;
    if (user) value = kUserPrefix + std::string(TextPtr(g_variant_print(user.get(), TRUE)).get());
    journal.Add(JournalKey(id, entry.key), value);
  }
  return Status::Ok();
}

Status GSettingsDesktop::Show(const std::string& path, const Canvas& canvas,
                              RestoreJournal& journal) {
  const std::string id = GSettingsSchemaOf(kind_);
  SchemaPtr schema;
  SettingsPtr settings = OpenSettings(id, &schema);
  if (!settings) return Status::Error("Brak schematu ustawień " + id);
  return ShowFile(path, canvas, ShownFormat::Png, journal, [&](const std::string& shownPath) {
    Status status;
    for (const KeyValue& entry : WallpaperKeys(kind_, shownPath)) {
      if (!HasKey(schema, entry.key)) continue;
      // GSettings strings are UTF-8; a plain path (MATE) may not be.
      if (!g_utf8_validate(entry.value.data(), gssize(entry.value.size()), nullptr) ||
          !g_settings_set_string(settings.get(), entry.key, entry.value.c_str())) {
        status = Status::Error("Nie można zapisać ustawienia " + id + " " + entry.key);
        break;
      }
    }
    g_settings_sync();
    return status;
  });
}

Status GSettingsDesktop::PutBack(const RestoreJournal& journal) {
  const std::string id = GSettingsSchemaOf(journal.kind);
  SchemaPtr schema;
  SettingsPtr settings = OpenSettings(id, &schema);
  if (!settings) return Status::Error("Brak schematu ustawień " + id);
  Status status;
  for (const KeyValue& entry : WallpaperKeys(journal.kind, {})) {
    std::optional<std::string> saved = journal.Find(JournalKey(id, entry.key));
    if (!saved || !HasKey(schema, entry.key)) continue;
    if (*saved == kNeverSet) {
      g_settings_reset(settings.get(), entry.key);
      continue;
    }
    const std::string text = saved->rfind(kUserPrefix, 0) == 0 ? saved->substr(5) : std::string();
    VariantPtr current(g_settings_get_value(settings.get(), entry.key));
    VariantPtr value(g_variant_parse(g_variant_get_type(current.get()), text.c_str(), nullptr,
                                     nullptr, nullptr));
    if (!value || !g_settings_set_value(settings.get(), entry.key, value.get())) {
      status = Status::Error("Nie można przywrócić ustawienia " + id + " " + entry.key);
    }
  }
  g_settings_sync();
  return status;
}

std::optional<ColorValue> GSettingsDesktop::BackgroundColor() {
  SchemaPtr schema;
  SettingsPtr settings = OpenSettings(GSettingsSchemaOf(kind_), &schema);
  if (!settings || !HasKey(schema, "primary-color")) return std::nullopt;
  TextPtr text(g_settings_get_string(settings.get(), "primary-color"));
  const QColor color(QString::fromUtf8(text.get()));
  if (!color.isValid()) return std::nullopt;
  return Rgb(std::uint8_t(color.red()), std::uint8_t(color.green()), std::uint8_t(color.blue()));
}

}  // namespace vendaro
