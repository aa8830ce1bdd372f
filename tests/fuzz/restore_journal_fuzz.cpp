// The restore journal: what reads writes back and reads the same.
#include "fuzz_support.h"
#include "platform/desktop/restore_journal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vendaro;
  const std::string folder = vendaro::fuzz::Folder() + "/";
  const std::string path = JournalPath(folder);
  fuzz::WriteFile(path.substr(folder.size()), fuzz::Text(data, size));
  const auto journal = ReadJournal(folder);
  if (!journal || !*journal) return 0;
  if (!WriteJournal(folder, **journal)) fuzz::Fail("cannot write back");
  const auto reread = ReadJournal(folder);
  if (!reread || *reread != *journal) fuzz::Fail("round trip");
  return 0;
}
