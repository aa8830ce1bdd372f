#pragma once

#include <array>
#include <cstdint>
#include <variant>

#include "model/color.h"

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

// The options the user chooses in the settings windows.  Choices are the
// zero-based index of the item offered; each default is the value given
// here, the one place it is written.
struct Options {
  std::int32_t IntervalMinutes = 5;
  bool RandomOrder = false;
  std::int8_t DisplayMode = 0;  // 0 stretch, 1 fit, 2 fill, 3 original size, 4 tiles
  bool VersionCheck = true;
  ColorValue FillColor = kClBackground;
  std::int8_t Alignment = 0;      // 0 centre, then clockwise from the top left
  std::int8_t GapFill = 0;        // 0 desktop colour, 1 chosen colour, 2 edge copy
  std::int8_t Interpolation = 2;  // 0 nearest, 1 bilinear, 2 bicubic
  std::int8_t Smoothing = 0;      // 0 none, 1 antialiasing
  bool ShowChangeWindow = true;
  std::int8_t ChangeTrigger = 0;  // 0 every N minutes, 1 once a day, 2 once per start
};

// Where an option is stored and how its text reads back.
struct OptionKey {
  const char* section;
  const char* key;
  std::variant<std::int32_t Options::*, bool Options::*, std::int8_t Options::*,
               ColorValue Options::*>
      field;
  // A choice keeps the low byte of the number read, and a byte outside
  // 0..maximum reads as 0 (not as the default).
  std::int8_t maximum = 0;
};

// Every option, in the order the settings file is written.
inline constexpr std::array<OptionKey, 11> kOptionKeys{{
    {ini::kChanges, ini::kInterval, &Options::IntervalMinutes},
    {ini::kChanges, ini::kRandom, &Options::RandomOrder},
    {ini::kChanges, ini::kDisplayMode, &Options::DisplayMode, 4},
    {ini::kOptions, ini::kVersion, &Options::VersionCheck},
    {ini::kChanges, ini::kColor, &Options::FillColor},
    {ini::kChanges, ini::kAlignment, &Options::Alignment, 8},
    {ini::kChanges, ini::kGapFill, &Options::GapFill, 2},
    {ini::kChanges, ini::kInterpolation, &Options::Interpolation, 2},
    {ini::kChanges, ini::kSmoothing, &Options::Smoothing, 1},
    {ini::kChanges, ini::kShowChangeWindow, &Options::ShowChangeWindow},
    {ini::kChanges, ini::kTrigger, &Options::ChangeTrigger, 2},
}};

}  // namespace vendaro
