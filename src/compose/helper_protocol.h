#pragma once

// The messages between the program and its picture helper: a record is a
// list of byte strings, each prefixed by its length, so a path or a canvas
// of any bytes travels as it is.  "3;5:probe4:/a/b1:x" is a record of three
// fields.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vendaro {

using Record = std::vector<std::string>;

std::string EncodeRecord(const Record& fields);

// The first record in `bytes`, and how many bytes it took.
struct DecodedRecord {
  Record fields;
  std::size_t used = 0;
};
enum class RecordState { Whole, Incomplete, Malformed };
// Whole with `out` filled, Incomplete while more bytes may finish it, or
// Malformed when no continuation can: a bad number, too many fields, a
// field beyond kMaxFieldBytes.
RecordState DecodeRecord(std::string_view bytes, DecodedRecord& out);
// The same with the fields as views into `bytes`: a canvas is not copied.
RecordState DecodeRecordViews(std::string_view bytes, std::vector<std::string_view>& fields,
                              std::size_t& used);
// Only the length of the first whole record: 0 while it is incomplete, and
// all of `bytes` when it is malformed (the reader stops and DecodeRecord
// tells).
std::size_t RecordLength(std::string_view bytes);

inline constexpr std::size_t kMaxFields = 16;
// A canvas of 16384 × 16384 pixels is the largest field sent.
inline constexpr std::size_t kMaxFieldBytes = std::size_t{16384} * 16384 * 3;

}  // namespace vendaro
