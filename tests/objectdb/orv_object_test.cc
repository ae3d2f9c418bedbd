#include "objectdb/orv_object.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Value = std::shared_ptr<OrvType>;

OrvList<OrvString> listOf(const std::vector<const char*>& items) {
  OrvList<OrvString> list;
  for (const char* item : items) list.insertAtBack(OrvString(item));
  return list;
}
Value I(int n) { return std::make_shared<OrvIntVal>(n); }
Value S(const char* s) { return std::make_shared<OrvStrVal>(OrvString(s)); }
Value L(const std::vector<const char*>& items) { return std::make_shared<OrvListVal>(listOf(items)); }

std::string printed(const OrvType* v) {
  std::ostringstream os;
  if (v) os << *v;
  return os.str();
}

OrvObject objectOf(objectParaType type, const char* possibleSet = "") {
  return OrvObject("obj", 5, INTERNAL_OBJ, -1, -1, type, possibleSet);
}

TEST(OrvObjectTest, StringValidation) {
  const char kLink[] = "Not Started Up Down UNKNOWN";
  struct Case {
    const char* set;
    const char* value;
    int accepted;
  } cases[] = {
      {kLink, "Not Started", 1}, {kLink, "down", 1},        {kLink, "Started", 1},
      {kLink, "Up Down", 1},     {kLink, "Started Sideways", 0},
      {kLink, "Not  Started", 0}, {kLink, "Not Up", 0},     {kLink, "Sta", 0},
      {kLink, "", 0},            {kLink, " Up", 0},         {"", "anything", 1},
  };
  for (const Case& c : cases) {
    OrvObject obj = objectOf(STRING_TYPE, c.set);
    EXPECT_EQ(obj.setValue(S(c.value).get()), c.accepted) << "'" << c.value << "' in " << c.set;
    EXPECT_EQ(obj.getValue() != nullptr, c.accepted == 1);
  }
}

TEST(OrvObjectTest, DevdebugAcceptedOnlyUntilFirstRefusal) {
  OrvObject obj = objectOf(STRING_TYPE, "error warning info debug devdebug trace");
  EXPECT_EQ(obj.setValue(OrvString("INFO")), 1);
  EXPECT_EQ(obj.setValue(OrvString("devdebug")), 1);
  EXPECT_EQ(obj.setValue(OrvString("verbose")), 0);
  EXPECT_EQ(obj.setValue(OrvString("devdebug")), 0);
  EXPECT_EQ(obj.setValue(OrvString("trace")), 1);
  EXPECT_STREQ(obj.getPossibleSet().getValue(), "error warning info debug trace");
}

TEST(OrvObjectTest, IntegerRange) {
  struct Case {
    const char* set;
    int value;
    int accepted;
  } cases[] = {
      {"0-86400 -1", 86400, 1}, {"0-86400 -1", 86401, 0}, {"0-86400 -1", -1, 0},
      {"0-86400 -1", 0, 1},     {"", -5, 1},              {"10-20", 9, 0},
      {"5", 100000, 1},
      // A power bound, with or without a difference right after it.
      {"0- 2^31-1", 3600, 1},   {"0- 2^31-1", INT_MAX, 1}, {"0- 2^31-1", -1, 0},
      {"1-2^3", 8, 1},          {"1-2^3", 9, 0},          {"0-2^40", INT_MAX, 1},
  };
  for (const Case& c : cases) {
    OrvObject obj = objectOf(INTEGER_TYPE, c.set);
    EXPECT_EQ(obj.setValue(I(c.value).get()), c.accepted) << c.value << " in '" << c.set << "'";
  }
}

TEST(OrvObjectTest, RefusalsByKind) {
  struct Case {
    objectParaType type;
    Value initial;
    Value offered;   // null: setValue(nullptr)
    int accepted;
  } cases[] = {
      {STRING_TYPE, S("Up"), I(1), 0},   {STRING_TYPE, S("Up"), nullptr, 0},
      {INTEGER_TYPE, I(3), S("3"), 0},   {LIST_TYPE, L({"a"}), S("a"), 0},
      {ACTION_TYPE, nullptr, S("x"), 0}, {LIST_TYPE, nullptr, L({}), 1},
  };
  for (const Case& c : cases) {
    OrvObject obj = objectOf(c.type);
    if (c.initial) {
      ASSERT_EQ(obj.setValue(c.initial.get()), 1);
    }
    const std::string before = printed(obj.getValue());
    EXPECT_EQ(obj.setValue(c.offered.get()), c.accepted);
    if (!c.accepted && c.initial) {
      EXPECT_EQ(printed(obj.getValue()), before) << "refusal keeps the old value";
    }
  }
  // Marker objects accept anything and keep no value; they convert no text.
  OrvObject tag = objectOf(TAG_TYPE);
  EXPECT_EQ(tag.setValue(S("x").get()), 1);
  EXPECT_EQ(tag.getValue(), nullptr);
  EXPECT_EQ(tag.setValue(OrvString("x")), 0);
}

TEST(OrvObjectTest, RefusedTextLeavesNoValue) {
  for (const char* text : {"abc", "86401", "-1"}) {
    OrvObject obj = objectOf(INTEGER_TYPE, "0-86400 -1");
    ASSERT_EQ(obj.setValue(OrvString("90")), 1);
    EXPECT_EQ(obj.setValue(OrvString(text)), 0) << text;
    EXPECT_EQ(obj.getValue(), nullptr) << text;
  }
}

TEST(OrvObjectTest, ListWalkAndInsert) {
  OrvObject obj = objectOf(LIST_TYPE);
  OrvString out("x");
  EXPECT_EQ(obj.getNextListData(out, 1), 0);
  int present = -1;
  EXPECT_EQ(obj.insertValue("node1", present), 1);
  EXPECT_EQ(present, 0);
  EXPECT_EQ(obj.insertValue("node2", present), 1);
  EXPECT_EQ(present, 0);
  EXPECT_EQ(obj.insertValue("node1", present), 1);
  EXPECT_EQ(present, 1);
  EXPECT_EQ(obj.contains("node2"), 1);
  EXPECT_EQ(obj.contains("Node2"), 0);
  for (int pass = 0; pass < 2; ++pass) {
    std::string walked;
    for (int reset = 1; obj.getNextListData(out, reset); reset = 0) walked += out.getValue() + std::string(";");
    EXPECT_EQ(walked, "node1;node2;");
    EXPECT_EQ(obj.getNextListData(out, 0), 0);
  }
  OrvObject text = objectOf(STRING_TYPE);
  EXPECT_EQ(text.insertValue("node1", present), 0);
  EXPECT_EQ(text.contains("node1"), 0);
}

TEST(OrvObjectTest, FindResourceGroup) {
  struct Case {
    const char* what;
    objectParaType type;
    std::vector<std::pair<const char*, Value>> sets;
    Value current;
    const char* context;  // "" : none found
  } cases[] = {
      {"int matches second", INTEGER_TYPE, {{"A", I(5)}, {"B", I(7)}}, I(7), "B"},
      {"int matches none", INTEGER_TYPE, {{"A", I(5)}, {"B", I(7)}}, I(8), ""},
      {"int without value", INTEGER_TYPE, {{"A", I(5)}}, nullptr, ""},
      {"int skips other kinds", INTEGER_TYPE, {{"A", S("7")}, {"B", I(7)}}, I(7), "B"},
      {"first string set wins", STRING_TYPE, {{"X", I(1)}, {"ORV", S("a")}, {"B", S("b")}}, S("b"), "ORV"},
      {"string without value", STRING_TYPE, {{"ORV", S("ORV")}}, nullptr, "ORV"},
      {"list by containment", LIST_TYPE, {{"A", L({"a"})}, {"B", L({"b", "a"})}}, L({"a", "b"}), "B"},
      {"no value sets", STRING_TYPE, {}, S("x"), ""},
  };
  for (const Case& c : cases) {
    OrvObject obj = objectOf(c.type);
    if (c.current) obj.setValue(c.current.get());
    for (const auto& set : c.sets) obj.addToValueSetList(set.first, set.second.get());
    OrvString context("untouched");
    EXPECT_EQ(obj.findResourceGroup(context), *c.context != '\0') << c.what;
    EXPECT_STREQ(context.getValue(), *c.context ? c.context : "untouched") << c.what;
  }
}

TEST(OrvObjectTest, ContextActivation) {
  OrvObject obj = objectOf(INTEGER_TYPE, "0-86400 -1");
  obj.setValue(OrvString("90"));
  OrvIntVal minusOne(-1);
  obj.addToValueSetList("ORV", &minusOne);
  obj.addToValueSetList("ORV", I(5).get());  // a second set of the context does not count
  minusOne = OrvIntVal(7);                    // the value set holds its own copy
  int n = 0;
  obj.updateValuesByContext("orv");  // contexts are case-sensitive
  ASSERT_TRUE(obj.getValue()->getValue(n));
  EXPECT_EQ(n, 90);
  obj.updateValuesByContext("ORV");  // not validated on activation
  ASSERT_TRUE(obj.getValue()->getValue(n));
  EXPECT_EQ(n, -1);
  EXPECT_EQ(obj.getValueSetByContext("OTHER"), nullptr);
}

TEST(OrvObjectTest, CopyDropsValueSetsAssignmentKeepsThem) {
  OrvObject obj = objectOf(STRING_TYPE, "Up Down");
  obj.setValue(OrvString("Up"));
  obj.addToValueSetList("ORV", S("Down").get());
  OrvObject copy(obj);
  obj.setValue(OrvString("Down"));
  EXPECT_EQ(copy.getValueSet().numObjects(), 0);
  EXPECT_STREQ(copy.getStrValue().getValue(), "Up");
  OrvObject assigned("other", 3, COMMON_OBJ, 0, 0, INTEGER_TYPE, "");
  assigned = obj;
  std::ostringstream a, b;
  a << assigned;
  b << obj;
  EXPECT_EQ(a.str(), b.str());
  EXPECT_EQ(assigned.getValueSet().numObjects(), 1);
}

TEST(OrvObjectTest, PrintsOneLine) {
  OrvObject obj("StatusAutoRecover", 68, INTERNAL_OBJ, -1, -1, STRING_TYPE, "yes no");
  obj.setValue(OrvString("yes"));
  OrvObject nodes("DC1_NODE_LIST", 19, APPLICATION_OBJ, -1, -1, LIST_TYPE, "");
  nodes.addToValueSetList("ORV", L({"a"}).get());
  nodes.addToValueSetList("NONE", nullptr);
  OrvObject odd("x", 1, static_cast<objectTagType>(9), -1, -1, static_cast<objectParaType>(9), "");
  std::ostringstream os;
  os << obj << nodes << odd;
  EXPECT_EQ(os.str(),
            "StatusAutoRecover,68,string,internal_obj,-1,-1,yes,[{\n}\n],yes no\n"
            "DC1_NODE_LIST,19,list,application_obj,-1,-1,,[{\nORV:{\na\n}\n\nNONE:\n}\n],\n"
            "x,1,,,-1,-1,,[{\n}\n],\n");
}

}  // namespace
