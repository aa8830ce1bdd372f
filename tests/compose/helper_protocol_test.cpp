#include "compose/helper_protocol.h"

#include <gtest/gtest.h>

#include <string>

namespace vendaro {
namespace {

TEST(HelperProtocol, RecordsComeBackAsTheyWentWhateverTheirBytes) {
  const Record records[] = {
      {},
      {""},
      {"probe", "/a/b.png"},
      {"3;1:x", std::string("nul\0in", 6), "new\nline", ":"},
      {"ok", std::string(70000, '\xff')},
  };
  for (const Record& record : records) {
    const std::string bytes = EncodeRecord(record);
    SCOPED_TRACE(bytes.substr(0, 40));
    DecodedRecord decoded;
    ASSERT_EQ(DecodeRecord(bytes + "2;", decoded), RecordState::Whole);
    EXPECT_EQ(decoded.fields, record);
    EXPECT_EQ(decoded.used, bytes.size());
    EXPECT_EQ(RecordLength(bytes + "junk"), bytes.size());
    // Every shorter start waits for more.
    for (std::size_t cut = 0; cut < bytes.size(); cut += 1 + cut / 8) {
      EXPECT_EQ(DecodeRecord(bytes.substr(0, cut), decoded), RecordState::Incomplete) << cut;
      EXPECT_EQ(RecordLength(bytes.substr(0, cut)), 0u) << cut;
    }
  }
}

TEST(HelperProtocol, WhatNoContinuationCanMendIsMalformed) {
  const std::string inputs[] = {
      "x;",                                             // no number
      ";",                                              // an empty count
      "-1;",                                            // a sign
      "17;",                                            // more fields than any request has
      "1;x:",                                           // a field without a length
      "1;1234567890123",                                // a length no field can have, still unended
      "99999999999999999999",                           // a count that never ends
      "1;" + std::to_string(kMaxFieldBytes + 1) + ":",  // one byte past a field's bound
  };
  for (const std::string& input : inputs) {
    SCOPED_TRACE(input);
    DecodedRecord decoded;
    EXPECT_EQ(DecodeRecord(input, decoded), RecordState::Malformed);
    EXPECT_TRUE(decoded.fields.empty());
    EXPECT_EQ(RecordLength(input), input.size());
  }
}

}  // namespace
}  // namespace vendaro
