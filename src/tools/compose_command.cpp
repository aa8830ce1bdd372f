#include "tools/compose_command.h"

#include <algorithm>
#include <charconv>
#include <variant>

#include "model/color.h"
#include "model/settings.h"
#include "model/wallpaper_entry.h"
#include "system/files.h"

namespace vendaro {
namespace {

std::optional<int> WholeNumber(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || ptr != end) return std::nullopt;
  return value;
}

// "WxH" with both numbers at least `least`.
std::optional<ScreenSize> Dimensions(const std::string& text, int least) {
  const auto cross = text.find('x');
  if (cross == std::string::npos) return std::nullopt;
  const auto w = WholeNumber(text.substr(0, cross));
  const auto h = WholeNumber(text.substr(cross + 1));
  if (!w || !h || *w < least || *h < least) return std::nullopt;
  return ScreenSize{*w, *h};
}

// The choices vendaro-compose takes, in the settings file's order.
std::vector<ChoiceField> CommandLineChoices() {
  std::vector<ChoiceField> choices;
  for (const OptionKey& key : kOptionKeys) {
    const auto* choice = std::get_if<ChoiceField>(&key.field);
    if (choice && choice->info->onCommandLine) choices.push_back(*choice);
  }
  return choices;
}

std::string Range(const ChoiceInfo& choice) {
  return "0-" + std::to_string(choice.maximum());
}

// "  --mode 0-4       display mode: 0 stretch, 1 fit ...", wrapped at 79
// columns under the column the meanings start in.
std::string ChoiceHelp(const ChoiceInfo& choice) {
  const std::string indent(19, ' ');
  std::string head = std::string("  --") + choice.name + " " + Range(choice);
  head.resize(indent.size(), ' ');
  std::string text = head, line = std::string(choice.about) + ":";
  for (std::size_t i = 0; i < choice.meanings.size(); ++i) {
    const std::string item =
        std::to_string(i) + " " + choice.meanings[i] + (i + 1 < choice.meanings.size() ? "," : "");
    if (indent.size() + line.size() + 1 + item.size() > 79) {
      text += line + "\n" + indent;
      line = item;
    } else {
      line += " " + item;
    }
  }
  return text + line + "\n";
}

class Parser {
 public:
  // No file: every option at its default, as start-up without a file.
  explicit Parser(const std::vector<std::string>& arguments) : args_(arguments) {}

  ParsedComposeCommand Run() {
    std::vector<std::string> positional;
    for (next_ = 0; next_ < args_.size() && parsed_.status;) {
      const std::string& arg = args_[next_++];
      if (arg == "--help" || arg == "--version") {
        parsed_.action = arg == "--help" ? ComposeAction::ShowHelp : ComposeAction::ShowVersion;
        return parsed_;
      }
      if (arg.size() > 2 && arg.starts_with("--")) {
        Option(arg);
      } else {
        positional.push_back(arg);
      }
    }
    if (!parsed_.status) return parsed_;
    if (positional.empty() || positional.size() > 2)
      return Misuse("oczekiwano OBRAZEK [WYNIK.bmp]");
    if (!IsStorablePath(positional[0]))
      return Fail("ścieżka obrazka zawiera znacznik wpisu listy lub koniec wiersza");
    parsed_.command.picture = positional[0];
    if (positional.size() == 2) parsed_.command.output = positional[1];
    return parsed_;
  }

 private:
  ParsedComposeCommand Fail(const std::string& message) {
    parsed_.status = Status::Error(message);
    return parsed_;
  }

  ParsedComposeCommand Misuse(const std::string& message) {
    parsed_.misused = true;
    return Fail(message);
  }

  std::optional<std::string> Value(const std::string& option) {
    if (next_ >= args_.size()) {
      Misuse(option + " wymaga wartości");
      return std::nullopt;
    }
    return args_[next_++];
  }

  void Index(const std::string& option, const ChoiceField& field) {
    const auto text = Value(option);
    if (!text) return;
    const auto value = WholeNumber(*text);
    const int last = field.info->maximum();
    if (!value || *value < 0 || *value > last)
      Fail(option + " przyjmuje liczbę od 0 do " + std::to_string(last) + ", nie „" + *text + "”");
    else
      field.set(parsed_.command.options, *value);
  }

  void Size(const std::string& option, int least, std::optional<ScreenSize>& field) {
    const auto text = Value(option);
    if (!text) return;
    field = Dimensions(*text, least);
    if (!field) Fail(option + " przyjmuje SZEROKOŚĆxWYSOKOŚĆ, nie „" + *text + "”");
  }

  void Colour(const std::string& option) {
    const auto text = Value(option);
    if (!text) return;
    const auto value = StringToColor(*text);
    if (!value)
      Fail(option + " przyjmuje nazwę koloru albo $ i 8 cyfr szesnastkowych, nie „" + *text + "”");
    else
      parsed_.command.options.FillColor = *value;
  }

  void SettingsFile(const std::string& option) {
    const auto path = Value(option);
    if (!path) return;
    if (!InputFile(*path).isOpen())
      Fail("nie można odczytać pliku ustawień „" + *path + "”");
    else
      parsed_.command.options = LoadOptions(*path);
  }

  void Option(const std::string& arg) {
    for (const ChoiceField& choice : CommandLineChoices()) {
      if (arg == std::string("--") + choice.info->name) return Index(arg, choice);
    }
    if (arg == "--screen")
      Size(arg, 1, parsed_.command.screen);
    else if (arg == "--size")
      Size(arg, 0, parsed_.command.recordedSize);
    else if (arg == "--color")
      Colour(arg);
    else if (arg == "--settings")
      SettingsFile(arg);
    else if (arg == "--explain")
      parsed_.command.explain = true;
    else if (arg == "--set")
      parsed_.command.set = true;
    else
      Misuse("nieznana opcja " + arg);
  }

  const std::vector<std::string>& args_;
  std::size_t next_ = 0;
  ParsedComposeCommand parsed_;
};

}  // namespace

ParsedComposeCommand ParseComposeCommand(const std::vector<std::string>& arguments) {
  return Parser(arguments).Run();
}

MonitorLayout CommandLayout(const std::optional<ScreenSize>& screen, const MonitorLayout& display,
                            bool everyMonitor) {
  if (display.empty()) {
    if (!screen) return {};
    return {{"screen", {0, 0, screen->width, screen->height}, true}};
  }
  MonitorLayout layout = display;
  auto primary =
      std::find_if(layout.begin(), layout.end(), [](const Monitor& m) { return m.primary; });
  if (primary == layout.end()) primary = layout.begin();
  std::rotate(layout.begin(), primary, primary + 1);
  layout.front().primary = true;
  if (screen) {
    layout.front().area.width = screen->width;
    layout.front().area.height = screen->height;
  }
  if (!everyMonitor) layout.resize(1);
  return layout;
}

const char* ComposeUsage() {
  return "Użycie: vendaro-compose [OPCJA]... OBRAZEK [WYNIK.bmp]\n"
         "       vendaro-compose --help|--version\n";
}

std::string ComposeHelp() {
  std::string choices;
  for (const ChoiceField& choice : CommandLineChoices()) choices += ChoiceHelp(*choice.info);
  return std::string(ComposeUsage()) +
         "\n"
         "Składa z OBRAZKA jedną tapetę dokładnie tak jak vendaro, zapisuje ją do pliku\n"
         "WYNIK.bmp jako 24-bitowy BMP lub ustawia jako tapetę pulpitu (--set), albo oba.\n"
         "Wartości opcji to numery, które zapisuje plik ustawień; bez --settings każda\n"
         "opcja ma wartość domyślną pliku ustawień.\n"
         "\n"
         "Opcje:\n"
         "  --screen SxW     rozmiar ekranu (domyślnie ekranu głównego; potrzebny tam,\n"
         "                   gdzie nie ma ekranu)\n"
         "  --size SxW       rozmiar obrazka zapisany na liście (domyślnie zmierzony)\n" +
         choices +
         "  --color TEKST    kolor zapisany jak w pliku ustawień: clRed, clBackground,\n"
         "                   $00BBGGRR\n"
         "  --settings PLIK  opcje wyświetlania z pliku ustawień (vendaro.ini); opcje\n"
         "                   podane po nim mają pierwszeństwo\n"
         "  --explain        najpierw wypisuje opcje i położenie obrazka, każde w wierszu\n"
         "  --set            ustawia złożoną tapetę na pulpicie\n"
         "  --help           wypisuje ten opis i kończy\n"
         "  --version        wypisuje numer wersji i kończy\n"
         "\n"
         "Kod wyjścia: 0 gotowe, 1 błąd obrazka, pliku wynikowego lub pulpitu,\n"
         "2 błędne wywołanie.\n";
}

std::string ExplainOptions(const Options& o) {
  std::string text = "options:";
  for (const ChoiceField& choice : CommandLineChoices())
    text += std::string(" ") + choice.info->name + "=" + std::to_string(choice.get(o));
  return text + " color=" + ColorToString(o.FillColor) + "\n";
}

std::string ExplainPlacement(const Placement& p) {
  return std::string("placement: ") + PlacementKindName(p.kind) + " x=" + std::to_string(p.x) +
         " y=" + std::to_string(p.y) + " w=" + std::to_string(p.w) + " h=" + std::to_string(p.h) +
         " edgeFill=" + (p.edgeFill ? "1" : "0") + "\n";
}

}  // namespace vendaro
