#include "objectdb/orv_object.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

OrvList<OrvString> listOf(const std::vector<const char*>& items) {
  OrvList<OrvString> list;
  for (const char* item : items) list.insertAtBack(OrvString(item));
  return list;
}

OrvObject stringObject(const char* possibleSet) {
  return OrvObject("StatusRCLink", 61, INTERNAL_OBJ, -1, -1, STRING_TYPE, possibleSet);
}

OrvObject intObject(const char* possibleSet) {
  return OrvObject("RESYNC_WAIT_TIMEOUT", 23, APPLICATION_OBJ, -1, -1, INTEGER_TYPE, possibleSet);
}

OrvObject listObject() {
  return OrvObject("DC1_NODE_LIST", 19, APPLICATION_OBJ, -1, -1, LIST_TYPE, "");
}

struct StringCase {
  const char* possibleSet;
  const char* value;
  int accepted;
};

TEST(OrvObjectTest, StringValidationAgainstPossibleSet) {
  const char kLink[] = "Not Started Up Down UNKNOWN";
  const StringCase cases[] = {
      {kLink, "Not Started", 1},
      {kLink, "down", 1},
      {kLink, "UNKNOWN", 1},
      {kLink, "NOT STARTED", 1},
      {kLink, "Started", 1},  // a single word of the set
      {kLink, "Started Sideways", 0},
      {kLink, "Not  Started", 0},  // two blanks are not a run of words
      {kLink, "Not Up", 0},        // words must be consecutive
      {kLink, "Started Up Down", 1},
      {kLink, "Sta", 0},  // no partial words
      {kLink, "", 0},
      {kLink, " Up", 0},
      {"", "anything at all", 1},
      {"", "", 1},
      {"yes no", "YES", 1},
      {"yes no", "maybe", 0},
  };
  for (const StringCase& c : cases) {
    OrvObject obj = stringObject(c.possibleSet);
    OrvStrVal v(c.value);
    EXPECT_EQ(obj.setValue(&v), c.accepted) << "'" << c.value << "' in '" << c.possibleSet << "'";
    EXPECT_EQ(obj.getValue() != nullptr, c.accepted == 1);
  }
}

TEST(OrvObjectTest, DevdebugAcceptedOnlyUntilFirstRefusal) {
  OrvObject obj("LogLevel", 2, COMMON_OBJ, -1, -1, STRING_TYPE,
                "error warning info debug devdebug trace");
  EXPECT_EQ(obj.setValue(OrvString("INFO")), 1);
  EXPECT_EQ(obj.setValue(OrvString("devdebug")), 1);
  EXPECT_EQ(obj.setValue(OrvString("verbose")), 0);
  EXPECT_EQ(obj.setValue(OrvString("devdebug")), 0);
  EXPECT_EQ(obj.setValue(OrvString("trace")), 1);
  EXPECT_EQ(obj.setValue(OrvString("debug")), 1);
  EXPECT_STREQ(obj.getPossibleSet().getValue(), "error warning info debug trace");
}

TEST(OrvObjectTest, RefusedValueKeepsPrevious) {
  OrvObject obj = stringObject("Up Down");
  OrvStrVal up("Up");
  OrvStrVal sideways("Sideways");
  ASSERT_EQ(obj.setValue(&up), 1);
  EXPECT_EQ(obj.setValue(&sideways), 0);
  EXPECT_STREQ(obj.getStrValue().getValue(), "Up");
  OrvIntVal number(1);
  EXPECT_EQ(obj.setValue(&number), 0);
  EXPECT_EQ(obj.setValue(static_cast<const OrvType*>(nullptr)), 0);
  EXPECT_STREQ(obj.getStrValue().getValue(), "Up");
}

struct IntCase {
  const char* possibleSet;
  int value;
  int accepted;
};

TEST(OrvObjectTest, IntegerRangeFromPossibleSet) {
  const IntCase cases[] = {
      {"0-86400 -1", 0, 1},      {"0-86400 -1", 86400, 1}, {"0-86400 -1", 86401, 0},
      {"0-86400 -1", -1, 0},     {"0-86400 -1", 90, 1},    {"", -5, 1},
      {"", 2147483647, 1},       {"10-20", 9, 0},          {"10-20", 21, 0},
      {"10-20", 15, 1},
      // Read as atoi of the pieces "0" and " 2^31": the upper bound is 2.
      {"0- 2^31-1", 2, 1},       {"0- 2^31-1", 3, 0},
      // Only a lower bound given.
      {"5", 100000, 1},          {"5", 4, 0},
  };
  for (const IntCase& c : cases) {
    OrvObject obj = intObject(c.possibleSet);
    OrvIntVal v(c.value);
    EXPECT_EQ(obj.setValue(&v), c.accepted) << c.value << " in '" << c.possibleSet << "'";
  }
}

TEST(OrvObjectTest, RefusedTextLeavesNoValue) {
  OrvObject obj = intObject("0-86400 -1");
  ASSERT_EQ(obj.setValue(OrvString("90")), 1);
  EXPECT_EQ(obj.setValue(OrvString("abc")), 0);
  EXPECT_EQ(obj.getValue(), nullptr);
  ASSERT_EQ(obj.setValue(OrvString("90")), 1);
  EXPECT_EQ(obj.setValue(OrvString("86401")), 0);  // converts, then out of range
  EXPECT_EQ(obj.getValue(), nullptr);
}

TEST(OrvObjectTest, KindChecksForListAndAction) {
  OrvObject list = listObject();
  OrvListVal nodes(listOf({"a"}));
  ASSERT_EQ(list.setValue(&nodes), 1);
  OrvStrVal text("a");
  EXPECT_EQ(list.setValue(&text), 0);
  ASSERT_NE(list.getValue(), nullptr);
  EXPECT_EQ(list.getValue()->getType(), LIST_TYPE);
  EXPECT_EQ(list.setValue(OrvString("a b")), 0);  // lists are not made from text
  EXPECT_EQ(list.getValue(), nullptr);

  OrvObject action("StatusActionFunction", 31, INTERNAL_OBJ, -1, -1, ACTION_TYPE, "");
  OrvActionVal act("ca_takeover_nop", nullptr);
  EXPECT_EQ(action.setValue(&text), 0);
  EXPECT_EQ(action.setValue(&act), 1);
  ASSERT_NE(action.getValue(), nullptr);
  EXPECT_EQ(action.getValue()->getType(), ACTION_TYPE);
}

TEST(OrvObjectTest, TagObjectsTakeNoValue) {
  OrvObject tag("COMMON", 0, COMMON_OBJ, -1, -1, TAG_TYPE, "");
  OrvStrVal text("x");
  EXPECT_EQ(tag.setValue(&text), 1);  // accepted and ignored
  EXPECT_EQ(tag.getValue(), nullptr);
  EXPECT_EQ(tag.setValue(OrvString("x")), 0);  // no conversion for tags
}

TEST(OrvObjectTest, GetStrValueAndContains) {
  OrvObject s = stringObject("");
  EXPECT_STREQ(s.getStrValue().getValue(), "");
  s.setValue(OrvString("Up"));
  EXPECT_STREQ(s.getStrValue().getValue(), "Up");
  EXPECT_EQ(s.contains("Up"), 0);  // only list objects contain items

  OrvObject l = listObject();
  EXPECT_EQ(l.contains("nodeA"), 0);
  OrvListVal nodes(listOf({"nodeA", "nodeB"}));
  l.setValue(&nodes);
  EXPECT_EQ(l.contains("nodeA"), 1);
  EXPECT_EQ(l.contains("NodeA"), 0);
  EXPECT_STREQ(l.getStrValue().getValue(), "");
}

TEST(OrvObjectTest, ListWalk) {
  OrvObject l = listObject();
  OrvString out("x");
  EXPECT_EQ(l.getNextListData(out, 1), 0);
  OrvListVal nodes(listOf({"n1", "n2"}));
  l.setValue(&nodes);
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_EQ(l.getNextListData(out, 1), 1);
    EXPECT_STREQ(out.getValue(), "n1");
    ASSERT_EQ(l.getNextListData(out, 0), 1);
    EXPECT_STREQ(out.getValue(), "n2");
    EXPECT_EQ(l.getNextListData(out, 0), 0);
    EXPECT_EQ(l.getNextListData(out, 0), 0);
    EXPECT_STREQ(out.getValue(), "n2");
  }
}

TEST(OrvObjectTest, InsertValue) {
  OrvObject l = listObject();
  int present = -1;
  EXPECT_EQ(l.insertValue("node1", present), 1);
  EXPECT_EQ(present, 0);
  EXPECT_EQ(l.insertValue("node1", present), 1);
  EXPECT_EQ(present, 1);
  EXPECT_EQ(l.insertValue("node2", present), 1);
  EXPECT_EQ(present, 0);
  OrvList<OrvString> items;
  ASSERT_TRUE(l.getValue()->getValue(items));
  ASSERT_EQ(items.numObjects(), 2);
  EXPECT_STREQ(items[0]->data().getValue(), "node1");
  EXPECT_STREQ(items[1]->data().getValue(), "node2");

  OrvObject s = stringObject("");
  EXPECT_EQ(s.insertValue("node1", present), 0);
  EXPECT_EQ(s.getValue(), nullptr);
}

TEST(OrvObjectTest, ContextsActivateWithoutValidation) {
  OrvObject obj = intObject("0-86400 -1");
  obj.setValue(OrvString("90"));
  OrvIntVal minusOne(-1);
  OrvIntVal five(5);
  obj.addToValueSetList("ORV", &minusOne);
  obj.addToValueSetList("ORV", &five);  // a second set of the same context does not count
  obj.updateValuesByContext("orv");     // contexts are case-sensitive
  int n = 0;
  ASSERT_TRUE(obj.getValue()->getValue(n));
  EXPECT_EQ(n, 90);
  obj.updateValuesByContext("ORV");
  ASSERT_TRUE(obj.getValue()->getValue(n));
  EXPECT_EQ(n, -1);
  EXPECT_EQ(obj.getValueSet().numObjects(), 2);
  ASSERT_NE(obj.getValueSetByContext("ORV"), nullptr);
  EXPECT_EQ(obj.getValueSetByContext("OTHER"), nullptr);

  // The value set holds its own copy.
  minusOne = OrvIntVal(7);
  obj.updateValuesByContext("ORV");
  ASSERT_TRUE(obj.getValue()->getValue(n));
  EXPECT_EQ(n, -1);
}

struct ResourceCase {
  const char* what;
  objectParaType type;
  std::vector<std::pair<const char*, std::shared_ptr<OrvType>>> sets;
  std::shared_ptr<OrvType> current;
  int found;
  const char* context;
};

std::shared_ptr<OrvType> I(int n) { return std::make_shared<OrvIntVal>(n); }
std::shared_ptr<OrvType> S(const char* s) { return std::make_shared<OrvStrVal>(OrvString(s)); }
std::shared_ptr<OrvType> L(const std::vector<const char*>& items) {
  return std::make_shared<OrvListVal>(listOf(items));
}

TEST(OrvObjectTest, FindResourceGroup) {
  const ResourceCase cases[] = {
      {"int matches second", INTEGER_TYPE, {{"A", I(5)}, {"B", I(7)}}, I(7), 1, "B"},
      {"int matches none", INTEGER_TYPE, {{"A", I(5)}, {"B", I(7)}}, I(8), 0, ""},
      {"int without value", INTEGER_TYPE, {{"A", I(5)}}, nullptr, 0, ""},
      {"int skips other kinds", INTEGER_TYPE, {{"A", S("7")}, {"B", I(7)}}, I(7), 1, "B"},
      {"string first string set wins", STRING_TYPE, {{"X", I(1)}, {"ORV", S("a")}, {"B", S("b")}},
       S("b"), 1, "ORV"},
      {"string without value", STRING_TYPE, {{"ORV", S("ORV")}}, nullptr, 1, "ORV"},
      {"string without string sets", STRING_TYPE, {{"A", I(1)}}, S("x"), 0, ""},
      {"list by containment", LIST_TYPE, {{"A", L({"a"})}, {"B", L({"b", "a"})}}, L({"a", "b"}),
       1, "B"},
      {"list without value", LIST_TYPE, {{"A", L({})}}, nullptr, 0, ""},
      {"no value sets", STRING_TYPE, {}, S("x"), 0, ""},
  };
  for (const ResourceCase& c : cases) {
    OrvObject obj("obj", 0, INTERNAL_OBJ, -1, -1, c.type, "");
    if (c.current) {
      ASSERT_EQ(obj.setValue(c.current.get()), 1) << c.what;
    }
    for (const auto& set : c.sets) obj.addToValueSetList(set.first, set.second.get());
    OrvString context("untouched");
    EXPECT_EQ(obj.findResourceGroup(context), c.found) << c.what;
    EXPECT_STREQ(context.getValue(), c.found ? c.context : "untouched") << c.what;
  }
  OrvObject action("act", 0, INTERNAL_OBJ, -1, -1, ACTION_TYPE, "");
  OrvActionVal act("a", nullptr);
  action.setValue(&act);
  action.addToValueSetList("A", &act);
  OrvString context;
  EXPECT_EQ(action.findResourceGroup(context), 0);
}

TEST(OrvObjectTest, CopyDropsValueSetsAssignmentKeepsThem) {
  OrvObject obj = stringObject("Up Down");
  obj.setValue(OrvString("Up"));
  OrvStrVal down("Down");
  obj.addToValueSetList("ORV", &down);

  OrvObject copy(obj);
  EXPECT_EQ(copy.getValueSet().numObjects(), 0);
  EXPECT_STREQ(copy.getStrValue().getValue(), "Up");
  EXPECT_STREQ(copy.getPossibleSet().getValue(), "Up Down");
  obj.setValue(OrvString("Down"));
  EXPECT_STREQ(copy.getStrValue().getValue(), "Up");  // deep copy

  OrvObject assigned("other", 3, COMMON_OBJ, 0, 0, INTEGER_TYPE, "");
  assigned = obj;
  EXPECT_STREQ(assigned.getObjectName().getValue(), "StatusRCLink");
  EXPECT_EQ(assigned.getIdx(), 61);
  EXPECT_EQ(assigned.getType(), STRING_TYPE);
  EXPECT_EQ(assigned.getValueSet().numObjects(), 1);
  EXPECT_STREQ(assigned.getStrValue().getValue(), "Down");
  assigned = assigned;
  EXPECT_STREQ(assigned.getStrValue().getValue(), "Down");
}

TEST(OrvObjectTest, PrintsOneLine) {
  OrvObject obj("StatusAutoRecover", 68, INTERNAL_OBJ, -1, -1, STRING_TYPE, "yes no");
  obj.setValue(OrvString("yes"));
  std::ostringstream os;
  os << obj;
  EXPECT_EQ(os.str(), "StatusAutoRecover,68,string,internal_obj,-1,-1,yes,[{\n}\n],yes no\n");

  OrvObject withSets = listObject();
  OrvListVal nodes(listOf({"a"}));
  withSets.addToValueSetList("ORV", &nodes);
  withSets.addToValueSetList("NONE", nullptr);
  std::ostringstream os2;
  os2 << withSets;
  EXPECT_EQ(os2.str(),
            "DC1_NODE_LIST,19,list,application_obj,-1,-1,,[{\nORV:{\na\n}\n\nNONE:\n}\n],\n");

  OrvObject odd("x", 1, static_cast<objectTagType>(9), -1, -1, static_cast<objectParaType>(9), "");
  std::ostringstream os3;
  os3 << odd;
  EXPECT_EQ(os3.str(), "x,1,,,-1,-1,,[{\n}\n],\n");
}

}  // namespace
