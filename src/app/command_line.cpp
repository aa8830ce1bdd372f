#include "app/command_line.h"

namespace vendaro {
namespace {

using Kind = ProgramRequest::Kind;

ProgramRequest Request(Kind kind, RemoteCommand command = RemoteCommand::Next) {
  return {kind, command, {}};
}

ProgramRequest Misuse(const char* what, const std::string& argument) {
  return {Kind::Misuse, RemoteCommand::Next, std::string(what) + " „" + argument + "”"};
}

}  // namespace

ProgramRequest ParseProgramArguments(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return Request(Kind::Resident);
  if (arguments.size() > 1) return Misuse("zbędny argument", arguments[1]);
  const std::string& word = arguments.front();
  if (word == "--help") return Request(Kind::Help);
  if (word == "--version") return Request(Kind::Version);
  if (const std::optional<RemoteCommand> command = ParseRemoteCommand(word))
    return Request(Kind::Command, *command);
  return Misuse("nieznany argument", word);
}

std::string MisuseText(const ProgramRequest& request) {
  return "vendaro: " + request.problem + "\n" + ProgramUsage();
}

const char* ProgramUsage() {
  return "Użycie: vendaro [next|previous|settings|quit]\n"
         "       vendaro --help|--version\n"
         "\n"
         "Uruchomiony bez argumentów zostaje w zasobniku systemowym i zmienia tapety\n"
         "pulpitu.  Polecenie przekazuje działającej już kopii programu:\n"
         "  next         pokazuje następną tapetę z listy\n"
         "  previous     wraca do poprzedniej tapety\n"
         "  settings     otwiera okno ustawień\n"
         "  quit         zamyka program i przywraca dotychczasową tapetę\n"
         "\n"
         "Opcje:\n"
         "  --help       wypisuje ten opis\n"
         "  --version    wypisuje numer wersji programu\n";
}

}  // namespace vendaro
