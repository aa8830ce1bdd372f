// GIO first: its headers use a member named `signals`, which Qt defines.
#define G_SETTINGS_ENABLE_BACKEND
#include "platform/desktops/gsettings/gsettings_desktop.h"

#include <gio/gio.h>
#include <gio/gsettingsbackend.h>

#include <QColor>
#include <array>
#include <cstring>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "platform/ipc/session_bus.h"

namespace vendaro {
namespace {

struct GObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
struct SchemaUnref {
  void operator()(GSettingsSchema* schema) const { g_settings_schema_unref(schema); }
};
struct KeyUnref {
  void operator()(GSettingsSchemaKey* key) const { g_settings_schema_key_unref(key); }
};
struct GFree {
  void operator()(gpointer memory) const { g_free(memory); }
};
using SettingsPtr = std::unique_ptr<GSettings, GObjectUnref>;
using SchemaPtr = std::unique_ptr<GSettingsSchema, SchemaUnref>;
using KeyPtr = std::unique_ptr<GSettingsSchemaKey, KeyUnref>;
using TextPtr = std::unique_ptr<gchar, GFree>;

constexpr const char* kUserPrefix = "user:";
constexpr const char* kNeverSet = "default";

constexpr BusService kDconfWriter{"ca.desrt.dconf", "/ca/desrt/dconf/Writer/user",
                                  "ca.desrt.dconf.Writer", "ustawień dconf"};

SchemaPtr LookupSchema(const std::string& id) {
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  return SchemaPtr(source ? g_settings_schema_source_lookup(source, id.c_str(), TRUE) : nullptr);
}

// The background settings of one desktop, or an error when the schema is not
// installed (GIO would abort the program for a missing schema).
class Background {
 public:
  explicit Background(DesktopKind kind) : id_(GSettingsSchemaOf(kind)), schema_(LookupSchema(id_)) {
    if (schema_) settings_.reset(g_settings_new_full(schema_.get(), nullptr, nullptr));
  }
  Status Problem() const {
    return settings_ ? Status::Ok() : Status::Error("brak schematu ustawień " + id_);
  }
  const std::string& id() const { return id_; }
  GSettings* settings() const { return settings_.get(); }
  // Older schemas lack some keys (picture-uri-dark before GNOME 42).
  bool HasKey(const char* key) const { return g_settings_schema_has_key(schema_.get(), key); }
  // A value of the key's type from its printed form; nothing when it does not parse.
  VariantPtr Parse(const char* key, const std::string& text) const {
    KeyPtr schemaKey(g_settings_schema_get_key(schema_.get(), key));
    return VariantPtr(g_variant_parse(g_settings_schema_key_get_value_type(schemaKey.get()),
                                      text.c_str(), nullptr, nullptr, nullptr));
  }
  // dconf's name for the key: the schema's path and the key.
  std::string DconfPath(const char* key) const {
    const gchar* path = g_settings_schema_get_path(schema_.get());
    return std::string(path ? path : "") + key;
  }

 private:
  std::string id_;
  SchemaPtr schema_;
  SettingsPtr settings_;
};

// One key as a change wants it: a value, or reset (nothing).
struct KeyChange {
  const char* key;
  VariantPtr value;
};

// One screen's picture fills it; the whole layout's picture is spread over
// every monitor, each part where its monitor lies.
constexpr const char* kOneScreen = "zoom";
constexpr const char* kWholeLayout = "spanned";

// How each desktop of the family keeps its background.
struct Family {
  DesktopKind kind;
  const char* schema;
  // The picture as a file name rather than a file URL.
  bool pictureByName;
  // GNOME has a second picture for the dark style.
  bool darkPicture;
};

constexpr std::array kFamilies{
    Family{DesktopKind::Gnome, "org.gnome.desktop.background", false, true},
    Family{DesktopKind::Cinnamon, "org.cinnamon.desktop.background", false, false},
    Family{DesktopKind::Mate, "org.mate.background", true, false},
};

// Another kind's settings are GNOME's.
const Family& FamilyOf(DesktopKind kind) {
  for (const Family& family : kFamilies) {
    if (family.kind == kind) return family;
  }
  return kFamilies.front();
}

// The keys a change writes, with the values for the shown file.
std::vector<std::pair<const char*, std::string>> WallpaperKeys(DesktopKind kind,
                                                               const std::string& shownPath,
                                                               const char* options = kOneScreen) {
  const Family& family = FamilyOf(kind);
  if (family.pictureByName) return {{"picture-filename", shownPath}, {"picture-options", options}};
  const std::string url = FileUrl(shownPath);
  if (family.darkPicture)
    return {{"picture-uri", url}, {"picture-uri-dark", url}, {"picture-options", options}};
  return {{"picture-uri", url}, {"picture-options", options}};
}

std::string JournalKey(const std::string& schema, const char* key) {
  return schema + " " + key;
}

bool SettingsLiveInDconf() {
  GSettingsBackend* backend = g_settings_backend_get_default();
  const bool dconf = std::strcmp(G_OBJECT_TYPE_NAME(backend), "DConfSettingsBackend") == 0;
  g_object_unref(backend);
  return dconf;
}

// dconf's writer takes a serialised a{smv}: each key's full path and its new
// value, or nothing to reset it.
Status WriteThroughDconf(const Background& background, const std::vector<KeyChange>& changes,
                         WaitBudget& budget) {
  GVariantBuilder builder;
  g_variant_builder_init(&builder, G_VARIANT_TYPE("a{smv}"));
  for (const KeyChange& change : changes) {
    g_variant_builder_add(&builder, "{smv}", background.DconfPath(change.key).c_str(),
                          change.value.get());
  }
  VariantPtr table(g_variant_ref_sink(g_variant_builder_end(&builder)));
  GVariant* bytes = g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, g_variant_get_data(table.get()),
                                              g_variant_get_size(table.get()), 1);
  return CallSessionBus(kDconfWriter, "Change", g_variant_new_tuple(&bytes, 1), "(s)", budget)
      .status();
}

// Other backends (a key file, memory) answer at once.
Status WriteThroughGSettings(const Background& background, const std::vector<KeyChange>& changes) {
  for (const KeyChange& change : changes) {
    if (!change.value) {
      g_settings_reset(background.settings(), change.key);
    } else if (!g_settings_set_value(background.settings(), change.key, change.value.get())) {
      return Status::Error("nie można zapisać ustawienia " + background.id() + " " + change.key);
    }
  }
  g_settings_sync();
  return Status::Ok();
}

// Whether the settings now hold what the change wrote.
Status ReadBack(const Background& background, const std::vector<KeyChange>& changes) {
  for (const KeyChange& change : changes) {
    VariantPtr now(g_settings_get_user_value(background.settings(), change.key));
    const bool took = change.value ? now && g_variant_equal(now.get(), change.value.get()) : !now;
    if (!took) {
      return Status::Error("ustawienie " + background.id() + " " + change.key +
                           " nie przyjęło nowej wartości");
    }
  }
  return Status::Ok();
}

Status Write(const Background& background, const std::vector<KeyChange>& changes,
             WaitBudget& budget) {
  if (changes.empty()) return Status::Ok();
  Status status = SettingsLiveInDconf() ? WriteThroughDconf(background, changes, budget)
                                        : WriteThroughGSettings(background, changes);
  return status ? ReadBack(background, changes) : status;
}

}  // namespace

const char* GSettingsSchemaOf(DesktopKind kind) {
  return FamilyOf(kind).schema;
}

bool GSettingsSchemaInstalled(const std::string& schema) {
  return LookupSchema(schema) != nullptr;
}

GSettingsDesktop::GSettingsDesktop(DesktopKind kind, std::string stateFolder)
    : FileShowingDesktop(std::move(stateFolder)), kind_(kind) {}

GSettingsDesktop::~GSettingsDesktop() {
  ForgetPreparedWallpapers();
}

void GSettingsDesktop::PrepareWallpapers(const Wallpapers& ahead) {
  ForgetPreparedWallpapers();
  if (ahead.monitors.size() < 2) return;
  Readied readied{WallpapersStamp(ahead), {}};
  if (readied.stamp.empty()) return;
  std::deque<Canvas> loaded;
  const Result<Wallpapers> pictures = WithPixels(ahead, loaded);
  if (!pictures) return;
  const Canvas whole = LayoutPicture(*pictures);
  loaded.clear();
  if (whole.empty()) return;
  Result<std::string> shown = WriteShownFile(stateFolder(), "", whole, GdkPixbufFormat());
  if (!shown) return;
  readied.shownPath = std::move(*shown);
  readied_ = std::move(readied);
}

void GSettingsDesktop::ForgetPreparedWallpapers() {
  if (readied_) RemoveOwnFile(readied_->shownPath);
  readied_.reset();
}

Status GSettingsDesktop::Capture(RestoreJournal& journal, WaitBudget&) {
  const Background background(kind_);
  if (Status problem = background.Problem(); !problem) return problem;
  for (const auto& [key, unused] : WallpaperKeys(kind_, {})) {
    if (!background.HasKey(key)) continue;
    VariantPtr user(g_settings_get_user_value(background.settings(), key));
    std::string value = kNeverSet;
    if (user) value = kUserPrefix + std::string(TextPtr(g_variant_print(user.get(), TRUE)).get());
    journal.Add(JournalKey(background.id(), key), value);
  }
  return Status::Ok();
}

Status GSettingsDesktop::Show(const std::string& path, const Canvas& canvas,
                              RestoreJournal& journal, WaitBudget& budget) {
  return ShowPicture({path, &canvas, {}}, kOneScreen, journal, budget);
}

Status GSettingsDesktop::ShowMonitors(const Wallpapers& wallpapers, RestoreJournal& journal,
                                      WaitBudget& budget) {
  // What was made ahead serves this change or none.
  const std::optional<Readied> readied = std::exchange(readied_, std::nullopt);
  const bool ready =
      readied && wallpapers.monitors.size() > 1 && readied->stamp == WallpapersStamp(wallpapers);
  if (readied && !ready) RemoveOwnFile(readied->shownPath);
  if (wallpapers.monitors.size() < 2)
    return FileShowingDesktop::ShowMonitors(wallpapers, journal, budget);
  // These desktops take one picture for all monitors: the whole layout, made
  // ahead of the change, or here, with each monitor's composition where the
  // monitor lies.
  if (ready) return ShowPicture({"", nullptr, readied->shownPath}, kWholeLayout, journal, budget);
  std::deque<Canvas> loaded;
  const Result<Wallpapers> pictures = WithPixels(wallpapers, loaded);
  if (!pictures) return pictures.status();
  const Canvas whole = LayoutPicture(*pictures);
  if (whole.empty()) return Status::Error("układ monitorów jest za duży na jeden obraz tapety");
  return ShowPicture({"", &whole, {}}, kWholeLayout, journal, budget);
}

Status GSettingsDesktop::ShowPicture(const ShownSource& picture, const char* options,
                                     RestoreJournal& journal, WaitBudget& budget) {
  const Background background(kind_);
  if (Status problem = background.Problem(); !problem) return problem;
  return ShowFiles(
      {picture}, GdkPixbufFormat(), journal, [&](const std::vector<std::string>& shown) {
        const std::string& shownPath = shown.front();
        std::vector<KeyChange> changes;
        for (const auto& [key, value] : WallpaperKeys(kind_, shownPath, options)) {
          if (!background.HasKey(key)) continue;
          // GSettings strings are UTF-8; a plain path (MATE) may not be.
          if (!g_utf8_validate(value.data(), gssize(value.size()), nullptr))
            return Status::Error("ścieżka " + shownPath + " nie jest tekstem UTF-8");
          changes.push_back(
              {key, VariantPtr(g_variant_ref_sink(g_variant_new_string(value.c_str())))});
        }
        return Write(background, changes, budget);
      });
}

Status GSettingsDesktop::PutBack(const RestoreJournal& journal, WaitBudget& budget) {
  const Background background(journal.kind);
  if (Status problem = background.Problem(); !problem) return problem;
  std::vector<KeyChange> changes;
  for (const auto& [key, unused] : WallpaperKeys(journal.kind, {})) {
    std::optional<std::string> saved = journal.Find(JournalKey(background.id(), key));
    if (!saved || !background.HasKey(key)) continue;
    if (*saved == kNeverSet) {
      changes.push_back({key, nullptr});
      continue;
    }
    const std::string text = saved->rfind(kUserPrefix, 0) == 0 ? saved->substr(5) : std::string();
    VariantPtr value = background.Parse(key, text);
    if (!value) {
      return Status::Error("nieczytelna zapisana wartość ustawienia " + background.id() + " " +
                           key);
    }
    changes.push_back({key, std::move(value)});
  }
  return Write(background, changes, budget);
}

Result<std::optional<ColorValue>> GSettingsDesktop::ReadBackgroundColor(WaitBudget&) {
  const Background background(kind_);
  if (!background.Problem() || !background.HasKey("primary-color"))
    return std::optional<ColorValue>();
  TextPtr text(g_settings_get_string(background.settings(), "primary-color"));
  const QColor color(QString::fromUtf8(text.get()));
  if (!color.isValid()) return std::optional<ColorValue>();
  return std::optional<ColorValue>(
      Rgb(std::uint8_t(color.red()), std::uint8_t(color.green()), std::uint8_t(color.blue())));
}

}  // namespace vendaro
