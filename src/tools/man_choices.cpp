// Fills the manual pages' lists of choices from the options table, so the
// pages cannot drift from what the windows and vendaro-compose offer.
//
//   vendaro-man-choices TEMPLATE OUTPUT
//
// Every "{{NAME.WHAT}}" in TEMPLATE is replaced, NAME being a choice's
// command-line name ("mode", "trigger", ...) or "choices":
//   NAME.title     the label the window shows above the items
//   NAME.key       the settings file's key
//   NAME.range     the indices, "0\-4"
//   NAME.N         the caption of item N
//   NAME.items     (alone on a line) the items as an indented list of index,
//                  caption and meaning
//   choices.synopsis  the [--NAME RANGE] of every choice vendaro-compose takes
//   choices.defaults  "NAME INDEX" of each of those, at the default
//   choices.explain   --explain's "options:" line, as .BI arguments
//   choices.options   (alone on a line) the OPTIONS entry of each of those
// An unknown name stops the build.
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <variant>

#include "model/options.h"

namespace vendaro {
namespace {

struct Row {
  const ChoiceInfo* choice;
  const char* key;  // nullptr: not stored in the settings file
};

std::optional<Row> FindChoice(const std::string& name) {
  for (const OptionKey& key : kOptionKeys) {
    const auto* field = std::get_if<ChoiceField>(&key.field);
    if (field && name == field->info->name) return Row{field->info, key.key};
  }
  if (name == kAutostartChoice.name) return Row{&kAutostartChoice, nullptr};
  return std::nullopt;
}

// Text as troff prints it: "--" would be taken for a dash.
std::string Troff(std::string text) {
  for (std::size_t at = 0; (at = text.find('-', at)) != std::string::npos; at += 2)
    text.replace(at, 1, "\\-");
  return text;
}

std::string Trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::string Items(const ChoiceInfo& choice) {
  std::string text = ".RS\n.PD 0\n";
  for (std::size_t i = 0; i < choice.captions.size(); ++i) {
    text += (i == 0 ? ".TP 4\n.B " : ".TP\n.B ") + std::to_string(i) + "\n\\(lq" +
            Troff(choice.captions[i]) + "\\(rq: " + Troff(choice.meanings[i]) + "\n";
  }
  return text + ".PD\n.RE";
}

std::string Range(const ChoiceInfo& choice) {
  return "0\\-" + std::to_string(choice.maximum());
}

std::string Capitalised(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = char(text[0] - 'a' + 'A');
  return text;
}

// The option and its value, what it decides, the items and the detail.
std::string OptionEntry(const ChoiceInfo& choice, const char* key) {
  std::string text = ".TP\n.BI \\-\\-" + std::string(choice.name) + " \" N\"\n" +
                     Capitalised(choice.about) + " (\\(lq" + Troff(Trimmed(choice.title)) +
                     "\\(rq, klucz w pliku ustawień \\(lq" + key + "\\(rq):\n" + Items(choice) +
                     "\n";
  if (*choice.detail) text += ".IP\n" + Troff(choice.detail) + "\n";
  return text;
}

std::string EveryCommandLineChoice(const std::string& what) {
  std::string text;
  const Options defaults;
  for (const OptionKey& key : kOptionKeys) {
    const auto* field = std::get_if<ChoiceField>(&key.field);
    if (!field || !field->info->onCommandLine) continue;
    const std::string name = field->info->name;
    if (what == "synopsis") {
      text += ".RB [ \\-\\-" + name + "\n.IR " + Range(*field->info) + " ]\n";
    } else if (what == "options") {
      text += OptionEntry(*field->info, key.key);
    } else if (what == "defaults") {
      text += (text.empty() ? "" : ", ") + name + " " + std::to_string(field->get(defaults));
    } else {
      text += (text.empty() ? "\"options: " : " \" ") + name + "=\" N";
    }
  }
  if ((what == "synopsis" || what == "options") && !text.empty()) text.pop_back();
  return text;
}

std::optional<std::string> Expand(const std::string& token) {
  const std::size_t dot = token.find('.');
  if (dot == std::string::npos) return std::nullopt;
  const std::string name = token.substr(0, dot), what = token.substr(dot + 1);
  if (name == "choices") {
    if (what == "synopsis" || what == "defaults" || what == "explain" || what == "options")
      return EveryCommandLineChoice(what);
    return std::nullopt;
  }
  const std::optional<Row> row = FindChoice(name);
  if (!row) return std::nullopt;
  const ChoiceInfo& choice = *row->choice;
  if (what == "title") return Troff(Trimmed(choice.title));
  if (what == "key" && row->key) return row->key;
  if (what == "range") return Range(choice);
  if (what == "items") return Items(choice);
  if (!what.empty() && what.find_first_not_of("0123456789") == std::string::npos) {
    const std::size_t item = std::stoul(what);
    if (item < choice.captions.size()) return Troff(choice.captions[item]);
  }
  return std::nullopt;
}

int Run(const char* templatePath, const std::string& outputPath) {
  std::ifstream in(templatePath, std::ios::binary);
  std::stringstream read;
  read << in.rdbuf();
  if (!in) {
    std::fprintf(stderr, "vendaro-man-choices: cannot read %s\n", templatePath);
    return 1;
  }
  std::string text = read.str();
  for (std::size_t at = 0; (at = text.find("{{", at)) != std::string::npos;) {
    const std::size_t end = text.find("}}", at + 2);
    const std::string token = text.substr(at + 2, end == std::string::npos ? 0 : end - at - 2);
    const std::optional<std::string> value = Expand(token);
    if (end == std::string::npos || !value) {
      std::fprintf(stderr, "vendaro-man-choices: %s: unknown {{%s}}\n", templatePath,
                   token.c_str());
      return 1;
    }
    text.replace(at, end + 2 - at, *value);
    at += value->size();
  }
  // Written whole under another name first: a failed build leaves no half page.
  const std::string partial = outputPath + ".partial";
  std::ofstream out(partial, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out || std::rename(partial.c_str(), outputPath.c_str()) != 0) {
    std::fprintf(stderr, "vendaro-man-choices: cannot write %s\n", outputPath.c_str());
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace vendaro

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: vendaro-man-choices TEMPLATE OUTPUT\n", stderr);
    return 2;
  }
  return vendaro::Run(argv[1], argv[2]);
}
