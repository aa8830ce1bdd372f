// The records between the program and its picture helper: whatever bytes
// come, a record is whole, incomplete or malformed, and a whole one encodes
// back to the bytes it took.
#include "compose/helper_protocol.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vendaro;
  const std::string_view bytes = fuzz::Text(data, size);
  DecodedRecord decoded;
  const RecordState state = DecodeRecord(bytes, decoded);
  const std::size_t length = RecordLength(bytes);
  if (state == RecordState::Whole) {
    if (length != decoded.used) fuzz::Fail("length differs from the decoding");
    if (decoded.fields.size() > kMaxFields) fuzz::Fail("too many fields");
    // Leading zeros in a number decode but encode shorter.
    if (EncodeRecord(decoded.fields).size() > decoded.used) fuzz::Fail("encoding grew");
  } else if (!decoded.fields.empty()) {
    fuzz::Fail("fields of a record that is not whole");
  } else if ((state == RecordState::Incomplete) != (length == 0) && !bytes.empty()) {
    fuzz::Fail("length disagrees with the state");
  }
  return 0;
}
