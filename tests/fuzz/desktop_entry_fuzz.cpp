// Desktop entries: reading a key and its Exec value; a program path written
// as an Exec value reads back as itself.
#include "fuzz_support.h"
#include "platform/session/desktop_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vendaro;
  const std::string text(fuzz::Text(data, size));
  if (const auto exec = DesktopEntryValue(text, "Exec")) (void)ParseExecValue(*exec);
  const std::string path = text.substr(0, text.find('\0'));
  if (path.empty() || path.find_first_of("\r\n") != std::string::npos) return 0;
  const auto args = ParseExecValue(ExecValueFor(path));
  if (!args || *args != std::vector<std::string>{path}) fuzz::Fail("round trip");
  return 0;
}
