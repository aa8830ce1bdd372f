#include "model/settings.h"

#include "model/ini_file.h"

namespace vendaro {
namespace {

// The value lands in an 8-bit field, so only its low byte survives; that
// byte, taken as signed, becomes 0 when it lies outside 0..maximum.
std::int8_t SmallField(const IniFile& file, const char* key, std::int32_t defaultValue,
                       std::int8_t maximum) {
  const std::int32_t read = file.ReadInteger(ini::kChanges, key, defaultValue);
  const auto low = static_cast<std::int8_t>(static_cast<std::uint8_t>(read & 0xFF));
  return (low < 0 || low > maximum) ? std::int8_t(0) : low;
}

ColorValue ReadColor(const IniFile& file) {
  const std::string text = file.ReadString(ini::kChanges, ini::kColor, "clBackground");
  return StringToColor(text).value_or(kClBackground);
}

// "Info Zmiany" in the form the trigger gives it; the once-per-start trigger
// also records which system start it was.
Status StampChange(IniFile& file, int trigger, const ChangeStamp& now) {
  if (trigger == 1) return file.WriteDate(ini::kChanges, ini::kChangeInfo, now.today);
  if (trigger != 2) return Status::Ok();
  Status status = file.WriteInteger(ini::kChanges, ini::kChangeInfo, now.secondsSinceBoot);
  if (status && !now.bootId.empty())
    status = file.WriteString(ini::kChanges, ini::kBootId, now.bootId);
  return status;
}

}  // namespace

LoadedSettings LoadSettings(const std::string& iniPath) {
  const IniFile file(iniPath);
  LoadedSettings loaded;
  Settings& s = loaded.settings;
  s.IntervalMinutes = file.ReadInteger(ini::kChanges, ini::kInterval, 5);
  s.RandomOrder = file.ReadBool(ini::kChanges, ini::kRandom, false);
  s.Interpolation = SmallField(file, ini::kInterpolation, 2, 2);
  s.Smoothing = SmallField(file, ini::kSmoothing, 0, 1);
  s.CurrentPosition = file.ReadInteger(ini::kChanges, ini::kPosition, 0);
  s.FillColor = ReadColor(file);
  s.Alignment = SmallField(file, ini::kAlignment, 0, 8);
  s.GapFill = SmallField(file, ini::kGapFill, 0, 2);
  s.DisplayMode = SmallField(file, ini::kDisplayMode, 0, 4);
  s.ShowChangeWindow = file.ReadBool(ini::kChanges, ini::kShowChangeWindow, true);
  s.ChangeTrigger = SmallField(file, ini::kTrigger, 0, 2);
  loaded.versionCheck = file.ReadBool(ini::kOptions, ini::kVersion, true);
  return loaded;
}

Status SaveAllOptions(const std::string& iniPath, const OptionValues& values,
                      const ChangeStamp& now) {
  IniFile file(iniPath);
  const char* z = ini::kChanges;
  // Each write stops the run at the first refusal; the keys before it stay.
  Status status = file.WriteInteger(z, ini::kInterval, values.IntervalMinutes);
  if (status) status = file.WriteBool(z, ini::kRandom, values.RandomOrder);
  if (status) status = file.WriteInteger(z, ini::kDisplayMode, values.DisplayMode);
  if (status) status = file.WriteBool(ini::kOptions, ini::kVersion, values.VersionCheck);
  if (status) status = file.WriteString(z, ini::kColor, ColorToString(values.FillColor));
  if (status) status = file.WriteInteger(z, ini::kAlignment, values.Alignment);
  if (status) status = file.WriteInteger(z, ini::kGapFill, values.GapFill);
  if (status) status = file.WriteInteger(z, ini::kInterpolation, values.Interpolation);
  if (status) status = file.WriteInteger(z, ini::kSmoothing, values.Smoothing);
  if (status) status = file.WriteBool(z, ini::kShowChangeWindow, values.ShowChangeWindow);
  if (status) status = file.WriteInteger(z, ini::kTrigger, values.ChangeTrigger);
  if (status) status = StampChange(file, values.ChangeTrigger, now);
  return status;
}

Status SavePosition(const std::string& iniPath, std::int32_t position, int trigger,
                    const ChangeStamp& now) {
  IniFile file(iniPath);
  Status status = file.WriteInteger(ini::kChanges, ini::kPosition, position);
  if (status) status = StampChange(file, trigger, now);
  return status;
}

bool ReadVersionFlag(const std::string& iniPath) {
  return IniFile(iniPath).ReadBool(ini::kOptions, ini::kVersion, true);
}

}  // namespace vendaro
