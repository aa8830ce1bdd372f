#pragma once

#include <cstdint>
#include <string>

#include "model/local_date.h"
#include "model/options.h"
#include "system/status.h"

namespace vendaro {

inline constexpr const char* kSettingsFileName = "vendaro.ini";
inline constexpr const char* kDefaultListName = "default.vdl";
inline constexpr const char* kLegacyListName = "vendaro.cfg";

// The main form's working copy of the options, and where the changes stand.
struct Settings : Options {
  std::int32_t CurrentPosition = 0;
  std::int32_t PreviousPosition = 0;
  DateTime LastChangeDate = 0;
  std::int64_t ElapsedSeconds = 0;
};

// The options in "vendaro.ini", each key read with its default and range
// rule (IntervalMinutes is left as read; start-up raises it to 5 after the
// version check).
Options LoadOptions(const std::string& iniPath);
// The options and "Ostatnia pozycja".
Settings LoadSettings(const std::string& iniPath);

// The moment a change or an Apply is stamped with.
struct ChangeStamp {
  DateTime today = 0;                  // local date at midnight
  std::uint32_t secondsSinceBoot = 0;  // whole seconds since the system started
  std::string bootId;                  // empty where the system has none
};

// Apply: every option key in order, then "Info Zmiany" by the new trigger.
Status SaveAllOptions(const std::string& iniPath, const Options& values, const ChangeStamp& now);

// Next, Previous and close: "Ostatnia pozycja", then "Info Zmiany" by trigger.
Status SavePosition(const std::string& iniPath, std::int32_t position, Choice<ChangeWhen> trigger,
                    const ChangeStamp& now);

// "Opcje"/"Wersja" as the file holds it now.
bool ReadVersionFlag(const std::string& iniPath);

}  // namespace vendaro
