#pragma once

#include <array>
#include <cstdint>
#include <variant>

#include "model/choice.h"
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

// The choices, each enumerator worth the index the settings file stores.
enum class PictureMode : std::int8_t {
  Stretch = 0,
  Fit = 1,
  FillAndCrop = 2,
  OriginalSize = 3,
  Tiles = 4
};
// The centre, then clockwise from the top-left corner.
enum class PictureAlign : std::int8_t {
  Centre = 0,
  TopLeft = 1,
  TopCentre = 2,
  TopRight = 3,
  RightCentre = 4,
  BottomRight = 5,
  BottomCentre = 6,
  BottomLeft = 7,
  LeftCentre = 8
};
enum class MarginFill : std::int8_t { DesktopColour = 0, ChosenColour = 1, EdgeCopy = 2 };
enum class ScaleFilter : std::int8_t { Nearest = 0, Bilinear = 1, Bicubic = 2 };
enum class EdgeSmoothing : std::int8_t { None = 0, AntiAliasing = 1 };
enum class ChangeWhen : std::int8_t { AfterInterval = 0, OnceADay = 1, OncePerStart = 2 };
// Not a setting: the desktop's autostart folders hold it.
enum class AutostartChoice : std::int8_t { None = 0, CurrentUser = 1, AllUsers = 2 };

// The items of each choice as the windows show them and as --help and the
// manual pages explain them, index for index.
namespace items {
inline constexpr const char* kModeCaptions[] = {
    "Rozciągnięcie do rozmiaru ekranu", "Rozciągnięcie z zachowaniem proporcji",
    "Rozc. z zach. proporcji + przycięcie", "Oryginalny rozmiar", "Kafelkowanie"};
inline constexpr const char* kModeMeanings[] = {"stretch", "fit keeping proportions",
                                                "cover and crop", "original size", "tiles"};
inline constexpr const char* kAlignCaptions[] = {
    "Do środka",   "Lewy górny",     "Środkowy górny", "Prawy górny",  "Prawy środkowy",
    "Prawy dolny", "Środkowy dolny", "Lewy dolny",     "Lewy środkowy"};
inline constexpr const char* kAlignMeanings[] = {"centre",        "top left",     "top centre",
                                                 "top right",     "right centre", "bottom right",
                                                 "bottom centre", "bottom left",  "left centre"};
inline constexpr const char* kFillCaptions[] = {"Kolor pulpitu", "Wybrany kolor",
                                                "Kopiowanie brzegów"};
inline constexpr const char* kFillMeanings[] = {"desktop colour", "the --color colour",
                                                "the picture's edges drawn out"};
inline constexpr const char* kInterpCaptions[] = {"Brak", "Bilinear", "Bicubic"};
inline constexpr const char* kInterpMeanings[] = {"none (nearest neighbour)", "bilinear",
                                                  "bicubic"};
inline constexpr const char* kSmoothCaptions[] = {"Brak", "AntiAliasing"};
inline constexpr const char* kSmoothMeanings[] = {"off", "anti-aliasing"};
inline constexpr const char* kTriggerCaptions[] = {"Po podanym czasie", "Raz dziennie",
                                                   "Raz na jedną sesję"};
inline constexpr const char* kTriggerMeanings[] = {"every so many minutes", "once a day",
                                                   "once per system start"};
inline constexpr const char* kAutostartCaptions[] = {"Nie uruchamiaj", "Dla aktualnego użytkownika",
                                                     "Dla wszystkich użytkowników"};
inline constexpr const char* kAutostartMeanings[] = {"no", "for the current user", "for all users"};
}  // namespace items

inline constexpr ChoiceInfo kModeChoice{
    .name = "mode",
    .title = "Sposób wyświetlania tapety :",
    .about = "display mode",
    .onCommandLine = true,
    .captions = items::kModeCaptions,
    .meanings = items::kModeMeanings,
    .detail =
        "Stretching ignores the picture's proportions. Fitting scales until one side fills "
        "the screen, keeping proportions; margins remain on the other axis. Covering "
        "scales until the screen is covered, keeping proportions, and cuts the overflow "
        "off. Original size does not scale, and tiles are unscaled copies laid across the "
        "screen.",
};
inline constexpr ChoiceInfo kAlignChoice{
    .name = "align",
    .title = "Wyrównanie tapety : ",
    .about = "alignment",
    .onCommandLine = true,
    .captions = items::kAlignCaptions,
    .meanings = items::kAlignMeanings,
    .detail = "The centre, then clockwise from the top-left corner.",
};
inline constexpr ChoiceInfo kFillChoice{
    .name = "fill",
    .title = "Wypełnienie braków : ",
    .about = "margins",
    .onCommandLine = true,
    .captions = items::kFillCaptions,
    .meanings = items::kFillMeanings,
    .detail =
        "Drawing the edges out repeats the picture's outermost rows and columns to the "
        "screen's edges.",
};
inline constexpr ChoiceInfo kInterpChoice{
    .name = "interp",
    .title = "Typ skalowania (interpolacja) :",
    .about = "scaling filter",
    .onCommandLine = true,
    .captions = items::kInterpCaptions,
    .meanings = items::kInterpMeanings,
};
inline constexpr ChoiceInfo kSmoothChoice{
    .name = "smooth",
    .title = "Wygładzanie krawędzi :",
    .about = "edge smoothing",
    .onCommandLine = true,
    .captions = items::kSmoothCaptions,
    .meanings = items::kSmoothMeanings,
    .detail =
        "The picture is drawn upright on whole pixels, so there is no edge to smooth and "
        "the choice changes nothing; it is kept for the settings file.",
};
inline constexpr ChoiceInfo kTriggerChoice{
    .name = "trigger",
    .title = "Zmiana tapety :",
    .about = "when to change",
    .onCommandLine = false,
    .captions = items::kTriggerCaptions,
    .meanings = items::kTriggerMeanings,
};
inline constexpr ChoiceInfo kAutostartChoice{
    .name = "autostart",
    .title = "Uruchamianie programu przy starcie systemu :",
    .about = "start at login",
    .onCommandLine = false,
    .captions = items::kAutostartCaptions,
    .meanings = items::kAutostartMeanings,
};

// The options the user chooses in the settings windows; each default is the
// value given here, the one place it is written.
struct Options {
  std::int32_t IntervalMinutes = 5;
  bool RandomOrder = false;
  Choice<PictureMode> DisplayMode = PictureMode::Stretch;
  bool VersionCheck = true;
  ColorValue FillColor = kClBackground;
  Choice<PictureAlign> Alignment = PictureAlign::Centre;
  Choice<MarginFill> GapFill = MarginFill::DesktopColour;
  Choice<ScaleFilter> Interpolation = ScaleFilter::Bicubic;
  // Stored and shown only: pictures land upright on whole pixels, so no edge is left to smooth.
  Choice<EdgeSmoothing> Smoothing = EdgeSmoothing::None;
  bool ShowChangeWindow = true;
  Choice<ChangeWhen> ChangeTrigger = ChangeWhen::AfterInterval;
};

// A choice field of Options reached through its index, with what the user
// sees of it.
struct ChoiceField {
  int (*get)(const Options&);
  void (*set)(Options&, int index);
  const ChoiceInfo* info;
};

template <auto Field>
constexpr ChoiceField ChoiceOf(const ChoiceInfo& info) {
  return {[](const Options& o) { return static_cast<int>(o.*Field); },
          [](Options& o, int index) { o.*Field = index; }, &info};
}

inline constexpr ChoiceField kModeField = ChoiceOf<&Options::DisplayMode>(kModeChoice);
inline constexpr ChoiceField kAlignField = ChoiceOf<&Options::Alignment>(kAlignChoice);
inline constexpr ChoiceField kFillField = ChoiceOf<&Options::GapFill>(kFillChoice);
inline constexpr ChoiceField kInterpField = ChoiceOf<&Options::Interpolation>(kInterpChoice);
inline constexpr ChoiceField kSmoothField = ChoiceOf<&Options::Smoothing>(kSmoothChoice);
inline constexpr ChoiceField kTriggerField = ChoiceOf<&Options::ChangeTrigger>(kTriggerChoice);

// Where an option is stored and how its text reads back.
struct OptionKey {
  const char* section;
  const char* key;
  // A choice keeps the low byte of the number read, and a byte outside
  // 0..maximum reads as 0 (not as the default).
  std::variant<std::int32_t Options::*, bool Options::*, ChoiceField, ColorValue Options::*> field;
};

// Every option, in the order the settings file is written.
inline constexpr std::array<OptionKey, 11> kOptionKeys{{
    {ini::kChanges, ini::kInterval, &Options::IntervalMinutes},
    {ini::kChanges, ini::kRandom, &Options::RandomOrder},
    {ini::kChanges, ini::kDisplayMode, kModeField},
    {ini::kOptions, ini::kVersion, &Options::VersionCheck},
    {ini::kChanges, ini::kColor, &Options::FillColor},
    {ini::kChanges, ini::kAlignment, kAlignField},
    {ini::kChanges, ini::kGapFill, kFillField},
    {ini::kChanges, ini::kInterpolation, kInterpField},
    {ini::kChanges, ini::kSmoothing, kSmoothField},
    {ini::kChanges, ini::kShowChangeWindow, &Options::ShowChangeWindow},
    {ini::kChanges, ini::kTrigger, kTriggerField},
}};

}  // namespace vendaro
