#include "compose/helper_protocol.h"

#include <charconv>

namespace vendaro {
namespace {

// A decimal number ended by `stop`, read from `bytes` at `at`.
RecordState ReadNumber(std::string_view bytes, std::size_t& at, char stop, std::size_t limit,
                       std::size_t& value) {
  const std::size_t end = bytes.find(stop, at);
  const std::size_t digits = (end == std::string_view::npos ? bytes.size() : end) - at;
  // More digits than the limit has cannot be a number we take.
  if (digits > 12) return RecordState::Malformed;
  if (end == std::string_view::npos) return RecordState::Incomplete;
  const char* first = bytes.data() + at;
  const auto [ptr, error] = std::from_chars(first, first + digits, value);
  if (digits == 0 || error != std::errc() || ptr != first + digits || value > limit)
    return RecordState::Malformed;
  at = end + 1;
  return RecordState::Whole;
}

RecordState Decode(std::string_view bytes, std::vector<std::string_view>* out, std::size_t& used) {
  std::size_t at = 0;
  std::size_t count = 0;
  if (RecordState s = ReadNumber(bytes, at, ';', kMaxFields, count); s != RecordState::Whole)
    return s;
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t length = 0;
    if (RecordState s = ReadNumber(bytes, at, ':', kMaxFieldBytes, length); s != RecordState::Whole)
      return s;
    if (bytes.size() - at < length) return RecordState::Incomplete;
    if (out) out->push_back(bytes.substr(at, length));
    at += length;
  }
  used = at;
  return RecordState::Whole;
}

}  // namespace

std::string EncodeRecord(const Record& fields) {
  std::string bytes = std::to_string(fields.size()) + ';';
  for (const std::string& field : fields) bytes += std::to_string(field.size()) + ':' + field;
  return bytes;
}

RecordState DecodeRecord(std::string_view bytes, DecodedRecord& out) {
  out = {};
  std::vector<std::string_view> fields;
  const RecordState state = DecodeRecordViews(bytes, fields, out.used);
  out.fields.assign(fields.begin(), fields.end());
  return state;
}

RecordState DecodeRecordViews(std::string_view bytes, std::vector<std::string_view>& fields,
                              std::size_t& used) {
  fields.clear();
  used = 0;
  const RecordState state = Decode(bytes, &fields, used);
  if (state != RecordState::Whole) {
    fields.clear();
    used = 0;
  }
  return state;
}

std::size_t RecordLength(std::string_view bytes) {
  std::size_t used = 0;
  switch (Decode(bytes, nullptr, used)) {
    case RecordState::Whole:
      return used;
    case RecordState::Incomplete:
      return 0;
    case RecordState::Malformed:
      break;
  }
  return bytes.size();
}

}  // namespace vendaro
