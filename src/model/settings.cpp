#include "model/settings.h"

#include <optional>
#include <string>
#include <vector>

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
int ChoiceIndex(const std::optional<std::string>& text, int maximum, int defaultValue) {
  const std::int32_t read = IniFile::IntegerFrom(text, defaultValue);
  const auto low = static_cast<std::int8_t>(static_cast<std::uint8_t>(read & 0xFF));
  return (low < 0 || low > maximum) ? 0 : low;
}

// One option from its text as read (nothing: the key is missing), by the
// rules IniFile's typed reads apply.
void ReadOption(const std::optional<std::string>& text, const OptionKey& key, Options& options) {
  std::visit(Overloaded{
                 [&](std::int32_t Options::*field) {
                   options.*field = IniFile::IntegerFrom(text, options.*field);
                 },
                 [&](bool Options::*field) {
                   options.*field = IniFile::IntegerFrom(text, options.*field ? 1 : 0) != 0;
                 },
                 [&](const ChoiceField& field) {
                   field.set(options, ChoiceIndex(text, field.info->maximum(), field.get(options)));
                 },
                 [&](ColorValue Options::*field) {
                   const ColorValue fallback = options.*field;
                   options.*field =
                       StringToColor(text.value_or(ColorToString(fallback))).value_or(fallback);
                 },
             },
             key.field);
}

// Every option, and "Ostatnia pozycja" after them, from one reading of the
// file.
std::vector<std::optional<std::string>> ReadOptionTexts(const std::string& iniPath) {
  std::vector<IniFile::Key> keys;
  for (const OptionKey& key : kOptionKeys) keys.push_back({key.section, key.key});
  keys.push_back({ini::kChanges, ini::kPosition});
  return IniFile(iniPath).ReadStrings(keys);
}

Options OptionsFrom(const std::vector<std::optional<std::string>>& texts) {
  Options options;
  for (std::size_t i = 0; i < kOptionKeys.size(); ++i)
    ReadOption(texts[i], kOptionKeys[i], options);
  return options;
}

Status WriteOption(IniFile& file, const OptionKey& key, const Options& options) {
  return std::visit(Overloaded{
                        [&](std::int32_t Options::*field) {
                          return file.WriteInteger(key.section, key.key, options.*field);
                        },
                        [&](bool Options::*field) {
                          return file.WriteBool(key.section, key.key, options.*field);
                        },
                        [&](const ChoiceField& field) {
                          return file.WriteInteger(key.section, key.key, field.get(options));
                        },
                        [&](ColorValue Options::*field) {
                          return file.WriteString(key.section, key.key,
                                                  ColorToString(options.*field));
                        },
                    },
                    key.field);
}

bool SameOption(const OptionKey& key, const Options& a, const Options& b) {
  return std::visit(Overloaded{
                        [&](const ChoiceField& field) { return field.get(a) == field.get(b); },
                        [&](auto Options::*field) { return a.*field == b.*field; },
                    },
                    key.field);
}

// "Info Zmiany" in the form the trigger gives it; the once-per-start trigger
// also records which system start it was.
Status StampChange(IniFile& file, ChangeWhen trigger, const ChangeStamp& now) {
  if (trigger == ChangeWhen::OnceADay)
    return file.WriteDate(ini::kChanges, ini::kChangeInfo, now.today);
  if (trigger != ChangeWhen::OncePerStart) return Status::Ok();
  Status status = file.WriteInteger(ini::kChanges, ini::kChangeInfo, now.secondsSinceBoot);
  if (status && !now.bootId.empty())
    status = file.WriteString(ini::kChanges, ini::kBootId, now.bootId);
  return status;
}

}  // namespace

Options LoadOptions(const std::string& iniPath) {
  return OptionsFrom(ReadOptionTexts(iniPath));
}

Settings LoadSettings(const std::string& iniPath) {
  const std::vector<std::optional<std::string>> texts = ReadOptionTexts(iniPath);
  Settings settings;
  static_cast<Options&>(settings) = OptionsFrom(texts);
  settings.CurrentPosition = IniFile::IntegerFrom(texts.back(), 0);
  return settings;
}

Status SaveAllOptions(const std::string& iniPath, const Options& values, const ChangeStamp& now) {
  IniFile file(iniPath);
  const std::vector<std::optional<std::string>> present = ReadOptionTexts(iniPath);
  const Options defaults;
  // Each write stops the run at the first refusal; the keys before it stay.
  for (std::size_t i = 0; i < kOptionKeys.size(); ++i) {
    const OptionKey& key = kOptionKeys[i];
    if (key.added && !present[i] && SameOption(key, values, defaults)) continue;
    if (Status status = WriteOption(file, key, values); !status) return status;
  }
  return StampChange(file, values.ChangeTrigger, now);
}

Status SavePosition(const std::string& iniPath, std::int32_t position, Choice<ChangeWhen> trigger,
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
