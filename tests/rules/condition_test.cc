#include "rules/orv_condition.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "objectdb/orv_object.h"
#include "objectdb/orv_object_db.h"
#include "rules/orv_exception.h"
#include "rules/orv_object_names.h"
#include "tests/rules/rules_test_util.h"

namespace {

struct ParseCase {
  const char* text;
  const char* name;
  int op;
  const char* value;
};

class ConditionParseTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ConditionParseTest, SplitsAtTheFirstOperatorCharacter) {
  const ParseCase& c = GetParam();
  OrvCondition condition(nullptr, c.text);
  EXPECT_STREQ(c.name, condition.getObjectName().getValue());
  EXPECT_EQ(c.op, condition.getOperator());
  EXPECT_STREQ(c.value, condition.getValueText().getValue());
  EXPECT_EQ(0, condition.hasError());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ConditionParseTest,
    testing::Values(
        ParseCase{"StatusRCLink = Not Started", "StatusRCLink", OrvCondition::kEqual, "Not Started"},
        ParseCase{"StatusRCVolumeGroup= New", "StatusRCVolumeGroup", OrvCondition::kEqual, "New"},
        ParseCase{"X<5", "X", OrvCondition::kLess, "5"},
        ParseCase{"X < 5", "X", OrvCondition::kLess, "5"},
        ParseCase{"X<=5", "X", OrvCondition::kLessOrEqual, "5"},
        ParseCase{"X > 5", "X", OrvCondition::kGreater, "5"},
        ParseCase{"X>=5", "X", OrvCondition::kGreaterOrEqual, "5"},
        ParseCase{"X != 5", "X", OrvCondition::kNotEqual, "5"},
        ParseCase{"A = x = y", "A", OrvCondition::kEqual, "x = y"},
        ParseCase{"A => x", "A", OrvCondition::kEqual, "> x"},
        ParseCase{"A <> x", "A", OrvCondition::kLess, "> x"},
        ParseCase{"\tA \t=\t x \r\n", "A", OrvCondition::kEqual, "x"},
        ParseCase{"A =", "A", OrvCondition::kEqual, ""},
        ParseCase{"= x", "", OrvCondition::kEqual, "x"},
        // The character after '!' is consumed as the '=' of "!=", even at
        // the very end of the text.
        ParseCase{"A !", "A", OrvCondition::kNotEqual, ""},
        ParseCase{"A<", "A", OrvCondition::kLess, ""}));

TEST(ConditionParse, TextWithoutOperatorThrows) {
  for (const char* text : {"StatusRCLink Up", "", "   ", "act;"}) {
    try {
      OrvCondition condition(nullptr, text);
      ADD_FAILURE() << "no exception for '" << text << "'";
    } catch (const OrvException& e) {
      EXPECT_STREQ("Condition operator is not in main condition list!", e.what()) << text;
    }
  }
}

TEST(ConditionParse, BindsObjectAndValueObjectIndices) {
  OrvObjectDb db;
  OrvCondition literal(&db, "StatusRCLink = Up");
  EXPECT_EQ(61, literal.getObjectIndex());
  EXPECT_EQ(-1, literal.getValueObjectIndex());

  OrvCondition objects(&db, "StatusRCLink = StatusRCLinkAfter");
  EXPECT_EQ(61, objects.getObjectIndex());
  EXPECT_EQ(62, objects.getValueObjectIndex());

  OrvCondition unknown(&db, "NoSuchObject = Up");
  EXPECT_EQ(-1, unknown.getObjectIndex());
  EXPECT_EQ(0, unknown.hasError());  // reported only when evaluated
}

TEST(ConditionText, WritesNameOperatorAndValue) {
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"StatusForceFlag=yes", "StatusForceFlag = yes"},
      {"A<=1", "A <= 1"},
      {"A!=b", "A != b"},
      {"A >x", "A > x"},
      {"A>= x", "A >= x"},
      {"A< x", "A < x"},
      {" StatusRCLink =  Not Started ", "StatusRCLink = Not Started"},
  };
  for (const auto& c : cases) {
    OrvCondition condition(nullptr, c.text);
    EXPECT_STREQ(c.expected, condition.getConditionStr().getValue()) << c.text;
    std::ostringstream os;
    os << condition;
    EXPECT_EQ(c.expected, os.str());
  }
}

TEST(ConditionEquality, ComparesParsedPartsNotSpelling) {
  OrvObjectDb db;
  EXPECT_TRUE(OrvCondition(&db, "StatusRCLink = Up") == OrvCondition(&db, "StatusRCLink=Up"));
  EXPECT_FALSE(OrvCondition(&db, "StatusRCLink = Up") == OrvCondition(&db, "StatusRCLink = UP"));
  EXPECT_FALSE(OrvCondition(&db, "StatusRCLink = Up") == OrvCondition(&db, "StatusRCLink != Up"));
  EXPECT_FALSE(OrvCondition(&db, "StatusRCLink = Up") ==
               OrvCondition(&db, "StatusRCLinkAfter = Up"));
  // The database pointer and the error flag take no part.
  OrvCondition failed(nullptr, "StatusRCLink = Up");
  failed.evaluate();
  ASSERT_EQ(1, failed.hasError());
  OrvCondition bound(&db, "StatusRCLink = Up");
  OrvCondition unbound(nullptr, "StatusRCLink = Up");
  EXPECT_FALSE(bound == unbound);  // different object index
  EXPECT_TRUE(failed == unbound);
}

struct EvalCase {
  const char* text;
  int holds;
  int error;
};

class ConditionEvaluateTest : public testing::TestWithParam<EvalCase> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rules_test::set(db_, "StatusReplicationMode", "SYNC"));
    ASSERT_TRUE(rules_test::set(db_, "StatusRCLink", "not started"));
    ASSERT_TRUE(rules_test::set(db_, "StatusRCVolumeGroup", "Stopped"));
    ASSERT_TRUE(rules_test::set(db_, "StatusRCVolumeGroupAfter", "stopped"));
    ASSERT_TRUE(rules_test::set(db_, "StatusRCVGVirtualVolume", "Stale"));
  }
  OrvObjectDb db_;
};

TEST_P(ConditionEvaluateTest, Evaluates) {
  const EvalCase& c = GetParam();
  OrvCondition condition(&db_, c.text);
  EXPECT_EQ(c.holds, condition.evaluate()) << c.text;
  EXPECT_EQ(c.error, condition.hasError()) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ConditionEvaluateTest,
    testing::Values(
        // Strings ignore case.
        EvalCase{"StatusReplicationMode = sync", 1, 0},
        EvalCase{"StatusReplicationMode = Async", 0, 0},
        EvalCase{"StatusRCLink = Not Started", 1, 0},
        EvalCase{"StatusRCLink != Not Started", 0, 0},
        // String order is alphabetical, ignoring case.
        EvalCase{"StatusRCVGVirtualVolume < stopped", 1, 0},
        EvalCase{"StatusRCVGVirtualVolume > Stale", 0, 0},
        EvalCase{"StatusRCVGVirtualVolume >= STALE", 1, 0},
        EvalCase{"StatusRCVGVirtualVolume <= Stale", 1, 0},
        // Integers compare numerically (RESYNC_WAIT_TIMEOUT holds 90).
        EvalCase{"RESYNC_WAIT_TIMEOUT = 90", 1, 0},
        EvalCase{"RESYNC_WAIT_TIMEOUT < 100", 1, 0},
        EvalCase{"RESYNC_WAIT_TIMEOUT < 9", 0, 0},
        EvalCase{"RESYNC_WAIT_TIMEOUT <= 90", 1, 0},
        EvalCase{"RESYNC_WAIT_TIMEOUT > 89", 1, 0},
        EvalCase{"RESYNC_WAIT_TIMEOUT > 90", 0, 0},
        EvalCase{"RESYNC_WAIT_TIMEOUT >= 91", 0, 0},
        // A non-numeric value against an integer: "=" fails, "!=" holds.
        EvalCase{"RESYNC_WAIT_TIMEOUT = abc", 0, 0},
        EvalCase{"RESYNC_WAIT_TIMEOUT != abc", 1, 0},
        EvalCase{"RESYNC_WAIT_TIMEOUT < abc", 0, 0},
        // No value: the positive kinds fail, the negated kinds hold, no error.
        EvalCase{"PackageName = x", 0, 0},
        EvalCase{"PackageName < x", 0, 0},
        EvalCase{"PackageName <= x", 0, 0},
        EvalCase{"PackageName != x", 1, 0},
        EvalCase{"PackageName > x", 1, 0},
        EvalCase{"PackageName >= x", 1, 0},
        EvalCase{"AUTO_NONCURDATA = 1", 0, 0},
        // Action and list objects cannot be compared with a literal.
        EvalCase{"StatusActionFunction = ca_takeover_nop", 0, 0},
        EvalCase{"DC1_NODE_LIST = node1", 0, 0},
        // Two objects.
        EvalCase{"StatusRCVolumeGroup = StatusRCVolumeGroupAfter", 1, 0},
        EvalCase{"StatusRCVolumeGroup != StatusRCVolumeGroupAfter", 0, 0},
        EvalCase{"StatusRCVolumeGroup = PackageName", 0, 0},
        // An unknown object: false (true when negated) and an error.
        EvalCase{"NoSuchObject = x", 0, 1},
        EvalCase{"NoSuchObject != x", 1, 1}));

TEST(ConditionEvaluate, FollowsTheCurrentValueAndKeepsTheErrorFlag) {
  OrvObjectDb db;
  OrvCondition condition(&db, "StatusRCVolumeGroup = StatusRCVolumeGroupAfter");
  EXPECT_EQ(1, condition.evaluate());  // both at their default UNKNOWN
  ASSERT_TRUE(rules_test::set(db, "StatusRCVolumeGroupAfter", "Started"));
  EXPECT_EQ(0, condition.evaluate());
  ASSERT_TRUE(rules_test::set(db, "StatusRCVolumeGroup", "STARTED"));
  EXPECT_EQ(1, condition.evaluate());

  OrvCondition unbound(nullptr, "StatusRCLink = Up");
  EXPECT_EQ(0, unbound.evaluate());
  EXPECT_EQ(1, unbound.hasError());
  OrvCondition copy(unbound);
  EXPECT_EQ(1, copy.hasError());
}

}  // namespace

namespace {

// The snapshot the rule database parses its table with must answer as the
// database's own lookup does, first object of a name included.
TEST(ObjectNameIndex, AgreesWithTheDatabaseLookup) {
  OrvObjectDb db;
  ASSERT_EQ(1, db.addObject(OrvObject("StatusRCLink", 99, INTERNAL_OBJ, -1, -1, STRING_TYPE, "")));
  ASSERT_EQ(1, db.addObject(OrvObject("Stopped", 100, INTERNAL_OBJ, -1, -1, STRING_TYPE, "")));
  OrvObjectNameIndex names(&db);
  std::vector<std::string> probes = {"", "Stopped", "statusrclink", "NoSuchObject", "Not Started"};
  for (int i = 0; i < db.numberOfElements(); ++i) probes.push_back(db[i].getObjectName().getValue());
  for (const std::string& name : probes) {
    int expected = -7;
    int actual = -7;
    const int found = db.getIndexByObjectName(name.c_str(), expected, 0);
    EXPECT_EQ(found, names.find(name.c_str(), actual)) << name;
    EXPECT_EQ(expected, actual) << name;
  }
  int idx = -1;
  ASSERT_EQ(1, names.find("StatusRCLink", idx));
  EXPECT_EQ(61, idx);
  EXPECT_EQ(0, OrvObjectNameIndex(nullptr).find("StatusRCLink", idx));
}

}  // namespace
