#pragma once

#include <cstdint>
#include <string>

#include "model/color.h"
#include "model/local_date.h"
#include "system/status.h"

namespace vendaro {

// Section and key names of "vendaro.ini".
namespace ini {
inline constexpr const char* kChanges = "Zmiany";
inline constexpr const char* kOptions = "Opcje";
inline constexpr const char* kInterval = "Czas zmian";
inline constexpr const char* kRandom = "Zmiana losowa";
inline constexpr const char* kDisplayMode = "Rozciagniecie";
inline constexpr const char* kColor = "Kolor";
inline constexpr const char* kAlignment = "Wyrownanie";
inline constexpr const char* kGapFill = "Braki";
inline constexpr const char* kInterpolation = "Interpolacja";
inline constexpr const char* kSmoothing = "Wygladzenie";
inline constexpr const char* kShowChangeWindow = "Okno informacji";
inline constexpr const char* kTrigger = "Kiedy zmiana";
inline constexpr const char* kPosition = "Ostatnia pozycja";
inline constexpr const char* kChangeInfo = "Info Zmiany";
inline constexpr const char* kVersion = "Wersja";
// Our own addition: the identity of the system start (Linux boot_id) at the
// last change under the once-per-start trigger.
inline constexpr const char* kBootId = "Start systemu";
}  // namespace ini

inline constexpr const char* kSettingsFileName = "vendaro.ini";
inline constexpr const char* kDefaultListName = "default.vdl";
inline constexpr const char* kLegacyListName = "vendaro.cfg";

// The main form's working copy of the options.
struct Settings {
  std::int32_t IntervalMinutes = 0;
  bool RandomOrder = false;
  std::int8_t DisplayMode = 0;
  std::int8_t Alignment = 0;
  std::int8_t GapFill = 0;
  ColorValue FillColor = 0;
  std::int8_t Interpolation = 0;
  std::int8_t Smoothing = 0;
  bool ShowChangeWindow = false;
  std::int8_t ChangeTrigger = 0;
  std::int32_t CurrentPosition = 0;
  std::int32_t PreviousPosition = 0;
  DateTime LastChangeDate = 0;
  std::int64_t ElapsedSeconds = 0;
};

// What start-up reads: the record with every default and range rule applied
// (IntervalMinutes is left as read; start-up raises it to 5 after the version
// check), and the version-check flag.
struct LoadedSettings {
  Settings settings;
  bool versionCheck = true;
};
LoadedSettings LoadSettings(const std::string& iniPath);

// The moment a change or an Apply is stamped with.
struct ChangeStamp {
  DateTime today = 0;                  // local date at midnight
  std::uint32_t secondsSinceBoot = 0;  // whole seconds since the system started
  std::string bootId;                  // empty where the system has none
};

// The option values Apply writes, taken from the windows' controls.
struct OptionValues {
  std::int32_t IntervalMinutes = 5;
  bool RandomOrder = false;
  int DisplayMode = 0;
  bool VersionCheck = true;
  ColorValue FillColor = kClBackground;
  int Alignment = 0;
  int GapFill = 0;
  int Interpolation = 2;
  int Smoothing = 0;
  bool ShowChangeWindow = true;
  int ChangeTrigger = 0;
};

// Apply: every option key in order, then "Info Zmiany" by the new trigger.
Status SaveAllOptions(const std::string& iniPath, const OptionValues& values,
                      const ChangeStamp& now);

// Next, Previous and close: "Ostatnia pozycja", then "Info Zmiany" by trigger.
Status SavePosition(const std::string& iniPath, std::int32_t position, int trigger,
                    const ChangeStamp& now);

// "Opcje"/"Wersja", default true.
bool ReadVersionFlag(const std::string& iniPath);

}  // namespace vendaro
