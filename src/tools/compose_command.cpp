#include "tools/compose_command.h"

#include <algorithm>
#include <charconv>

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
    if (positional.empty() || positional.size() > 2) return Misuse("expected PICTURE [OUTPUT.bmp]");
    if (!IsStorablePath(positional[0]))
      return Fail("the picture path holds an entry tag or a line break");
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
      Misuse(option + " needs a value");
      return std::nullopt;
    }
    return args_[next_++];
  }

  void Index(const std::string& option, int last, std::int8_t& field) {
    const auto text = Value(option);
    if (!text) return;
    const auto value = WholeNumber(*text);
    if (!value || *value < 0 || *value > last)
      Fail(option + " takes 0 to " + std::to_string(last) + ", not '" + *text + "'");
    else
      field = static_cast<std::int8_t>(*value);
  }

  void Size(const std::string& option, int least, std::optional<ScreenSize>& field) {
    const auto text = Value(option);
    if (!text) return;
    field = Dimensions(*text, least);
    if (!field) Fail(option + " takes WIDTHxHEIGHT, not '" + *text + "'");
  }

  void Colour(const std::string& option) {
    const auto text = Value(option);
    if (!text) return;
    const auto value = StringToColor(*text);
    if (!value)
      Fail(option + " takes a colour name or $ and 8 hex digits, not '" + *text + "'");
    else
      parsed_.command.options.FillColor = *value;
  }

  void SettingsFile(const std::string& option) {
    const auto path = Value(option);
    if (!path) return;
    if (!InputFile(*path).isOpen())
      Fail("cannot read the settings file '" + *path + "'");
    else
      parsed_.command.options = LoadOptions(*path);
  }

  void Option(const std::string& arg) {
    Options& o = parsed_.command.options;
    if (arg == "--screen")
      Size(arg, 1, parsed_.command.screen);
    else if (arg == "--size")
      Size(arg, 0, parsed_.command.recordedSize);
    else if (arg == "--mode")
      Index(arg, 4, o.DisplayMode);
    else if (arg == "--align")
      Index(arg, 8, o.Alignment);
    else if (arg == "--fill")
      Index(arg, 2, o.GapFill);
    else if (arg == "--interp")
      Index(arg, 2, o.Interpolation);
    else if (arg == "--smooth")
      Index(arg, 1, o.Smoothing);
    else if (arg == "--color")
      Colour(arg);
    else if (arg == "--settings")
      SettingsFile(arg);
    else if (arg == "--explain")
      parsed_.command.explain = true;
    else if (arg == "--set")
      parsed_.command.set = true;
    else
      Misuse("unknown option " + arg);
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
  return "Usage: vendaro-compose [OPTION]... PICTURE [OUTPUT.bmp]\n"
         "       vendaro-compose --help|--version\n";
}

std::string ComposeHelp() {
  return std::string(ComposeUsage()) +
         "\n"
         "Composes one wallpaper from PICTURE exactly as vendaro would, writes it to\n"
         "OUTPUT.bmp as a 24-bit BMP and/or makes it the wallpaper (--set).\n"
         "Option values are the indices the settings file stores; without --settings\n"
         "every option starts at the settings file's default.\n"
         "\n"
         "Options:\n"
         "  --screen WxH     the screen's size (default: the primary screen's; needed\n"
         "                   where there is no display)\n"
         "  --size WxH       the picture's size recorded in the list (default: measured)\n"
         "  --mode 0-4       0 stretch, 1 fit keeping proportions, 2 cover and crop,\n"
         "                   3 original size, 4 tiles\n"
         "  --align 0-8      0 centre, then clockwise from 1 top left to 8 left centre\n"
         "  --fill 0-2       margins: 0 desktop colour, 1 the --color colour,\n"
         "                   2 the picture's edges drawn out\n"
         "  --color TEXT     a colour as the settings file writes it: clRed, clBackground,\n"
         "                   $00BBGGRR\n"
         "  --interp 0-2     scaling filter: 0 none, 1 bilinear, 2 bicubic\n"
         "  --smooth 0-1     edge smoothing: 0 off, 1 on\n"
         "  --settings FILE  the display options of a settings file (vendaro.ini);\n"
         "                   options after it override them\n"
         "  --explain        first print the options and the placement, one line each\n"
         "  --set            make the composition the desktop wallpaper\n"
         "  --help           print this help and exit\n"
         "  --version        print the version and exit\n"
         "\n"
         "Exit status: 0 done, 1 the picture, output or desktop failed, 2 a bad command\n"
         "line.\n";
}

std::string ExplainOptions(const Options& o) {
  return "options: mode=" + std::to_string(o.DisplayMode) +
         " align=" + std::to_string(o.Alignment) + " fill=" + std::to_string(o.GapFill) +
         " color=" + ColorToString(o.FillColor) + " interp=" + std::to_string(o.Interpolation) +
         " smooth=" + std::to_string(o.Smoothing) + "\n";
}

std::string ExplainPlacement(const Placement& p) {
  return std::string("placement: ") + PlacementKindName(p.kind) + " x=" + std::to_string(p.x) +
         " y=" + std::to_string(p.y) + " w=" + std::to_string(p.w) + " h=" + std::to_string(p.h) +
         " edgeFill=" + (p.edgeFill ? "1" : "0") + "\n";
}

}  // namespace vendaro
