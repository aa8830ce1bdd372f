// The restore journal: what reads writes back and reads the same.
#include "fuzz_support.h"
#include "platform/restore_journal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vendaro;
  const std::string folder = vendaro::fuzz::Folder() + "/";
  const std::string path = JournalPath(folder);
  fuzz::WriteFile(path.substr(folder.size()), fuzz::Text(data, size));
  Status status;
  const auto journal = ReadJournal(folder, status);
  if (!journal || !status) return 0;
  if (!WriteJournal(folder, *journal)) fuzz::Fail("cannot write back");
  Status again;
  const auto reread = ReadJournal(folder, again);
  if (!reread || *reread != *journal) fuzz::Fail("round trip");
  return 0;
}
