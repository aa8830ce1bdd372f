// List files: the lines hold no line ends, and writing them reads back the
// same.
#include "fuzz_support.h"
#include "model/entry_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vendaro;
  const ListLines lines = ListLines(std::string(fuzz::Text(data, size)));
  std::string written;
  for (const std::string_view line : lines) {
    if (line.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
      fuzz::Fail("a line holds a line end");
    written.append(line).append("\r\n");
  }
  if (ListLines(written).Strings() != lines.Strings()) fuzz::Fail("round trip");
  EntryList list;
  EntriesFromPaths(lines, list, [](const std::string&) -> Result<PictureSize> {
    return PictureSize{1, 1};
  });
  return 0;
}
