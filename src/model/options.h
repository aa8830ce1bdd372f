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
// Later additions, which older versions pass over: random order without
// repeats, Previous walking back through the pictures shown, and where the
// change is announced when "Okno informacji" is on.
inline constexpr const char* kNoRepeats = "Bez powtorzen";
inline constexpr const char* kHistory = "Historia zmian";
inline constexpr const char* kNoticeWay = "Sposob informacji";
// Our own addition: each monitor its own picture of the list.
inline constexpr const char* kPicturePerMonitor = "Tapeta na monitor";
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
// Where a change is announced while announcing is on ("Okno informacji").
enum class NoticeWay : std::int8_t { OwnWindow = 0, Desktop = 1 };
// Not a setting: the desktop's autostart folders hold it.
enum class AutostartChoice : std::int8_t { None = 0, CurrentUser = 1, AllUsers = 2 };

// The items of each choice as the windows show them and as --help and the
// manual pages explain them, index for index.
namespace items {
inline constexpr const char* kModeCaptions[] = {
    "Rozciągnięcie do rozmiaru ekranu", "Rozciągnięcie z zachowaniem proporcji",
    "Rozc. z zach. proporcji + przycięcie", "Oryginalny rozmiar", "Kafelkowanie"};
inline constexpr const char* kModeMeanings[] = {"rozciągnięcie", "dopasowanie z proporcjami",
                                                "pokrycie z przycięciem", "oryginalny rozmiar",
                                                "kafelki"};
inline constexpr const char* kAlignCaptions[] = {
    "Do środka",   "Lewy górny",     "Środkowy górny", "Prawy górny",  "Prawy środkowy",
    "Prawy dolny", "Środkowy dolny", "Lewy dolny",     "Lewy środkowy"};
inline constexpr const char* kAlignMeanings[] = {"środek",
                                                 "lewy górny róg",
                                                 "środek górnej krawędzi",
                                                 "prawy górny róg",
                                                 "środek prawej krawędzi",
                                                 "prawy dolny róg",
                                                 "środek dolnej krawędzi",
                                                 "lewy dolny róg",
                                                 "środek lewej krawędzi"};
inline constexpr const char* kFillCaptions[] = {"Kolor pulpitu", "Wybrany kolor",
                                                "Kopiowanie brzegów"};
inline constexpr const char* kFillMeanings[] = {"kolor pulpitu", "kolor z --color",
                                                "przedłużone brzegi obrazka"};
inline constexpr const char* kInterpCaptions[] = {"Brak", "Bilinear", "Bicubic"};
inline constexpr const char* kInterpMeanings[] = {"brak (najbliższy sąsiad)", "dwuliniowa",
                                                  "dwusześcienna"};
inline constexpr const char* kSmoothCaptions[] = {"Brak", "AntiAliasing"};
inline constexpr const char* kSmoothMeanings[] = {"wyłączone", "antyaliasing"};
inline constexpr const char* kTriggerCaptions[] = {"Po podanym czasie", "Raz dziennie",
                                                   "Raz na jedną sesję"};
inline constexpr const char* kTriggerMeanings[] = {"co podaną liczbę minut", "raz dziennie",
                                                   "raz po każdym starcie systemu"};
inline constexpr const char* kNoticeCaptions[] = {"Okno programu", "Powiadomienie pulpitu"};
inline constexpr const char* kNoticeMeanings[] = {"okno programu w rogu ekranu",
                                                  "powiadomienie usługi powiadomień pulpitu"};
inline constexpr const char* kAutostartCaptions[] = {"Nie uruchamiaj", "Dla aktualnego użytkownika",
                                                     "Dla wszystkich użytkowników"};
inline constexpr const char* kAutostartMeanings[] = {"nie", "dla bieżącego użytkownika",
                                                     "dla wszystkich użytkowników"};
}  // namespace items

inline constexpr ChoiceInfo kModeChoice{
    .name = "mode",
    .title = "Sposób wyświetlania tapety :",
    .about = "sposób wyświetlania",
    .onCommandLine = true,
    .captions = items::kModeCaptions,
    .meanings = items::kModeMeanings,
    .detail =
        "Rozciągnięcie pomija proporcje obrazka. Dopasowanie skaluje z zachowaniem proporcji, "
        "aż jeden bok wypełni ekran; na drugiej osi zostają marginesy. Pokrycie skaluje z "
        "zachowaniem proporcji, aż obrazek zakryje cały ekran, i obcina nadmiar. Oryginalny "
        "rozmiar nie skaluje, a kafelki to nieskalowane kopie ułożone na całym ekranie.",
};
inline constexpr ChoiceInfo kAlignChoice{
    .name = "align",
    .title = "Wyrównanie tapety : ",
    .about = "wyrównanie",
    .onCommandLine = true,
    .captions = items::kAlignCaptions,
    .meanings = items::kAlignMeanings,
    .detail = "Najpierw środek, potem zgodnie z ruchem wskazówek zegara od lewego górnego rogu.",
};
inline constexpr ChoiceInfo kFillChoice{
    .name = "fill",
    .title = "Wypełnienie braków : ",
    .about = "wypełnienie marginesów",
    .onCommandLine = true,
    .captions = items::kFillCaptions,
    .meanings = items::kFillMeanings,
    .detail =
        "Przedłużenie brzegów powtarza skrajne wiersze i kolumny obrazka aż do krawędzi "
        "ekranu.",
};
inline constexpr ChoiceInfo kInterpChoice{
    .name = "interp",
    .title = "Typ skalowania (interpolacja) :",
    .about = "filtr skalowania",
    .onCommandLine = true,
    .captions = items::kInterpCaptions,
    .meanings = items::kInterpMeanings,
};
inline constexpr ChoiceInfo kSmoothChoice{
    .name = "smooth",
    .title = "Wygładzanie krawędzi :",
    .about = "wygładzanie krawędzi",
    .onCommandLine = true,
    .captions = items::kSmoothCaptions,
    .meanings = items::kSmoothMeanings,
    .detail =
        "Obrazek jest rysowany prosto, na całych pikselach, więc nie ma krawędzi do "
        "wygładzenia i wybór niczego nie zmienia; zostaje zapisany w pliku ustawień.",
};
inline constexpr ChoiceInfo kTriggerChoice{
    .name = "trigger",
    .title = "Zmiana tapety :",
    .about = "kiedy zmieniać tapetę",
    .onCommandLine = false,
    .captions = items::kTriggerCaptions,
    .meanings = items::kTriggerMeanings,
};
inline constexpr ChoiceInfo kNoticeChoice{
    .name = "notice",
    .title = "Informacja o zmianie tapety :",
    .about = "sposób informowania o zmianie",
    .onCommandLine = false,
    .captions = items::kNoticeCaptions,
    .meanings = items::kNoticeMeanings,
};
inline constexpr ChoiceInfo kAutostartChoice{
    .name = "autostart",
    .title = "Uruchamianie programu przy starcie systemu :",
    .about = "uruchamianie po zalogowaniu",
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
  // Each monitor shows its own picture: the current one, then those after it.
  bool PicturePerMonitor = false;
  // With RandomOrder: every picture once before any repeats.
  bool NoRepeats = false;
  // Previous steps back through the pictures shown, Next forward again.
  bool WalkHistory = false;
  Choice<NoticeWay> Notice = NoticeWay::OwnWindow;
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
inline constexpr ChoiceField kNoticeField = ChoiceOf<&Options::Notice>(kNoticeChoice);

// Where an option is stored and how its text reads back.
struct OptionKey {
  const char* section;
  const char* key;
  // A choice keeps the low byte of the number read, and a byte outside
  // 0..maximum reads as 0 (not as the default).
  std::variant<std::int32_t Options::*, bool Options::*, ChoiceField, ColorValue Options::*> field;
  // A later addition: written once it differs from its default or the file
  // has it already, so a file of someone who never chose it stays as an
  // older version wrote it.
  bool added = false;
};

// Every option, in the order the settings file is written.
inline constexpr std::array<OptionKey, 15> kOptionKeys{{
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
    {ini::kChanges, ini::kPicturePerMonitor, &Options::PicturePerMonitor, true},
    {ini::kChanges, ini::kNoRepeats, &Options::NoRepeats, true},
    {ini::kChanges, ini::kHistory, &Options::WalkHistory, true},
    {ini::kChanges, ini::kNoticeWay, kNoticeField, true},
}};

}  // namespace vendaro
