// Qt's BMP and PNG reading: a picture of the size claimed, NotMine, or a
// reason.
#include "compose/qt_picture.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vendaro;
  const auto read =
      ReadWithQt(fuzz::WriteFile("picture", fuzz::Text(data, size)), true, 2048LL * 2048LL);
  if (!read && read.message().empty()) fuzz::Fail("no reason");
  if (read && read->mine() && read->value().isNull()) fuzz::Fail("an empty picture");
  return 0;
}
