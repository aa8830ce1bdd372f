#include "app/command_line.h"

namespace vendaro {

ProgramRequest ParseProgramArguments(const std::vector<std::string>& arguments) {
  using Kind = ProgramRequest::Kind;
  if (arguments.empty()) return {Kind::Resident};
  if (arguments.size() > 1) return {Kind::Misuse};
  const std::string& word = arguments.front();
  if (word == "--help") return {Kind::Help};
  if (word == "--version") return {Kind::Version};
  if (const std::optional<RemoteCommand> command = ParseRemoteCommand(word))
    return {Kind::Command, *command};
  return {Kind::Misuse};
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
