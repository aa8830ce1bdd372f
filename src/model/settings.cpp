#include "model/settings.h"

#include "model/ini_file.h"

namespace vendaro {
namespace {

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

// The value lands in an 8-bit field, so only its low byte survives; that
// byte, taken as signed, becomes 0 when it lies outside 0..maximum.
std::int8_t SmallField(const IniFile& file, const OptionKey& key, std::int8_t defaultValue) {
  const std::int32_t read = file.ReadInteger(key.section, key.key, defaultValue);
  const auto low = static_cast<std::int8_t>(static_cast<std::uint8_t>(read & 0xFF));
  return (low < 0 || low > key.maximum) ? std::int8_t(0) : low;
}

void ReadOption(const IniFile& file, const OptionKey& key, Options& options) {
  std::visit(Overloaded{
                 [&](std::int32_t Options::*field) {
                   options.*field = file.ReadInteger(key.section, key.key, options.*field);
                 },
                 [&](bool Options::*field) {
                   options.*field = file.ReadBool(key.section, key.key, options.*field);
                 },
                 [&](std::int8_t Options::*field) {
                   options.*field = SmallField(file, key, options.*field);
                 },
                 [&](ColorValue Options::*field) {
                   const ColorValue fallback = options.*field;
                   const std::string text =
                       file.ReadString(key.section, key.key, ColorToString(fallback));
                   options.*field = StringToColor(text).value_or(fallback);
                 },
             },
             key.field);
}

Status WriteOption(IniFile& file, const OptionKey& key, const Options& options) {
  return std::visit(Overloaded{
                        [&](std::int32_t Options::*field) {
                          return file.WriteInteger(key.section, key.key, options.*field);
                        },
                        [&](bool Options::*field) {
                          return file.WriteBool(key.section, key.key, options.*field);
                        },
                        [&](std::int8_t Options::*field) {
                          return file.WriteInteger(key.section, key.key, options.*field);
                        },
                        [&](ColorValue Options::*field) {
                          return file.WriteString(key.section, key.key,
                                                  ColorToString(options.*field));
                        },
                    },
                    key.field);
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

Options LoadOptions(const std::string& iniPath) {
  const IniFile file(iniPath);
  Options options;
  for (const OptionKey& key : kOptionKeys) ReadOption(file, key, options);
  return options;
}

Settings LoadSettings(const std::string& iniPath) {
  Settings settings;
  static_cast<Options&>(settings) = LoadOptions(iniPath);
  settings.CurrentPosition = IniFile(iniPath).ReadInteger(ini::kChanges, ini::kPosition, 0);
  return settings;
}

Status SaveAllOptions(const std::string& iniPath, const Options& values, const ChangeStamp& now) {
  IniFile file(iniPath);
  // Each write stops the run at the first refusal; the keys before it stay.
  for (const OptionKey& key : kOptionKeys) {
    if (Status status = WriteOption(file, key, values); !status) return status;
  }
  return StampChange(file, values.ChangeTrigger, now);
}

Status SavePosition(const std::string& iniPath, std::int32_t position, int trigger,
                    const ChangeStamp& now) {
  IniFile file(iniPath);
  Status status = file.WriteInteger(ini::kChanges, ini::kPosition, position);
  if (status) status = StampChange(file, trigger, now);
  return status;
}

bool ReadVersionFlag(const std::string& iniPath) {
  return LoadOptions(iniPath).VersionCheck;
}

}  // namespace vendaro
