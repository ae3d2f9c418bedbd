// The decision-record reader on the seed corpus of its fuzz target: each
// damaged record is refused with the fault named, a record rcgate wrote
// reads back whole.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "foundation/plain_text.h"
#include "records/decision_store.h"

namespace {

std::string seed(const std::string& name) {
  std::ifstream in(std::string(ORV_SOURCE_DIR) + "/fuzz/corpus/decision_record/" + name);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(DecisionRecordReader, NamesTheFaultOfADamagedRecord) {
  struct Case {
    const char* file;
    const char* why;  // the start of the refusal
  } cases[] = {
      {"empty.txt", "truncated: the file is empty"},
      {"truncated.json", "truncated: the text ends inside the record"},
      {"truncated_in_text.json", "truncated: the text ends inside the record"},
      {"trailing_text.json", "not JSON: "},
      {"not_json.txt", "not JSON: parse error at line 1, column 2"},
      {"array.json", "not a decision record: the text is JSON but not an object"},
      {"deep.json", "not a decision record: the text is JSON but not an object"},
      {"exit_code_text.json", "not a decision record: field \"exit_code\" must be a whole number"},
      {"huge_number.json", "not a decision record: field \"exit_code\" must be a whole number in range"},
      {"impossible_date.json", "not a decision record: field \"start\" must be a UTC time"},
      {"input_list.json", "not a decision record: rule input \"StatusRCLink\" must be"},
      {"command_fields.json", "not a decision record: command 0: \"path\" is missing"},
  };
  for (const Case& c : cases) {
    orv_decisions::Record r;
    std::string why;
    EXPECT_FALSE(orv_decisions::parse(seed(c.file), r, why)) << c.file;
    EXPECT_EQ(why.compare(0, std::string(c.why).size(), c.why), 0) << c.file << ": " << why;
  }
}

TEST(DecisionRecordReader, ReadsWhatRcgateWrote) {
  orv_decisions::Record r;
  std::string why;
  ASSERT_TRUE(orv_decisions::parse(seed("healthy_start.json"), r, why)) << why;
  EXPECT_EQ(r.node, "nodea1");
  EXPECT_EQ(r.site, "A");
  EXPECT_TRUE(r.hasAction);
  EXPECT_EQ(r.action, "ca_takeover_nop");
  EXPECT_EQ(r.matched.size(), 6u);
  EXPECT_EQ(r.matched[1], std::make_pair(5, std::string("StatusLocalReplicationRole = Primary")));
  ASSERT_EQ(r.commands.size(), 4u);
  EXPECT_EQ(r.commands[1].array, "vexab");
  EXPECT_EQ(r.commands[1].path, "cli");
  EXPECT_EQ(orv_decisions::isoTime(r.startTime), r.start);
  // A start-up failure has no inputs to replay.
  ASSERT_TRUE(orv_decisions::parse(seed("site_not_found.json"), r, why)) << why;
  EXPECT_FALSE(r.hasInputs);
  EXPECT_FALSE(r.hasAction);
  EXPECT_EQ(r.exitCode, 1);
}

TEST(DecisionRecordNames, OnlyTheWritersNamesCountAsRecords) {
  const std::string written = orv_decisions::recordName(42, 1796803200, 7, 4321);
  EXPECT_EQ(written, "s0000000042-20261209T080000.007Z-4321.json");
  EXPECT_EQ(orv_decisions::recordSequence(written), 42u);
  EXPECT_TRUE(orv_decisions::isRecordName(written));
  EXPECT_TRUE(orv_decisions::isRecordName("20261209T080000.007Z-4321.json"));
  EXPECT_EQ(orv_decisions::recordSequence("20261209T080000.007Z-4321.json"), 0u);
  EXPECT_EQ(orvVisibleText("a\x1b[2Jb\tc\x7f"), "a?[2Jb?c?");
  for (const char* other : {".tmp-4321-0", "20261209T080000.007Z-.json", "notes.json",
                            "s42-20261209T080000.007Z-4321.json",
                            "20261209T080000.007Z-4321.json.bak", "2026112XT080000.007Z-1.json"})
    EXPECT_FALSE(orv_decisions::isRecordName(other)) << other;
}

}  // namespace
