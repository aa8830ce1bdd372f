// The settings file: reading every option, and a write read back.
#include "fuzz_support.h"
#include "model/ini_file.h"
#include "model/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vendaro;
  const std::string path = fuzz::WriteFile("vendaro.ini", fuzz::Text(data, size));
  (void)LoadSettings(path);
  IniFile file(path);
  const std::string before = file.ReadString("Opcje", "Wersja", "none");
  if (!file.WriteString("Zmiany", "Ostatnia pozycja", "17"))
    fuzz::Fail("a readable file refused a write");
  if (file.ReadInteger("Zmiany", "Ostatnia pozycja", -1) != 17) fuzz::Fail("write not read back");
  if (file.ReadString("Opcje", "Wersja", "none") != before) fuzz::Fail("another key changed");
  return 0;
}
