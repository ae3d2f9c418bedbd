#include "objectdb/orv_type.h"

#include <gtest/gtest.h>

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
Value A(const char* name) { return std::make_shared<OrvActionVal>(OrvString(name), nullptr); }

std::string printed(const OrvType* v) {
  std::ostringstream os;
  if (v) os << *v;
  return v ? os.str() : "null";
}

TEST(OrvTypeUtilTest, CreateFromText) {
  const char* kMax = "2147483647";
  struct Case {
    objectParaType type;
    const char* text;
    const char* printed;  // "null": no value made
  } cases[] = {
      {INTEGER_TYPE, "", "0"},     {INTEGER_TYPE, "12", "12"},    {INTEGER_TYPE, "007", "7"},
      {INTEGER_TYPE, "-1", "null"}, {INTEGER_TYPE, " 5", "null"}, {INTEGER_TYPE, "+5", "null"},
      {INTEGER_TYPE, "12a", "null"}, {INTEGER_TYPE, kMax, kMax},
      {INTEGER_TYPE, "99999999999999999999", kMax},  // saturates instead of wrapping
      {STRING_TYPE, "", ""},       {STRING_TYPE, " Not Started ", " Not Started "},
      {LIST_TYPE, "a b", "null"},  {ACTION_TYPE, "x", "null"},    {TAG_TYPE, "", "null"},
      {FWVERSION_TYPE, "1", "null"}, {RMVERSION_TYPE, "1", "null"},
  };
  for (const Case& c : cases) {
    std::unique_ptr<OrvType> v(OrvTypeUtil::createType(c.type, OrvString(c.text)));
    EXPECT_EQ(printed(v.get()), c.printed) << "type " << c.type << " '" << c.text << "'";
    if (v) {
      EXPECT_EQ(v->getType(), c.type);
    }
  }
}

TEST(OrvTypeUtilTest, CopiesAreDeepAndKeepTheClass) {
  for (const Value& v : {I(-3), S("x"), L({"a", "b"}), A("ca_takeover_nop")}) {
    std::unique_ptr<OrvType> copy(OrvTypeUtil::createType(v.get()));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(typeid(*copy), typeid(*v));
    EXPECT_EQ(printed(copy.get()), printed(v.get()));
  }
  OrvListVal original(listOf({"a"}));
  std::unique_ptr<OrvType> copy(OrvTypeUtil::createType(&original));
  original.getValue().insertAtBack(OrvString("b"));
  EXPECT_EQ(printed(copy.get()), "{\na\n}\n");
  // Nothing to copy: null, and bare base objects whatever type they carry.
  OrvType bareTag(TAG_TYPE), bareInt(INTEGER_TYPE);
  EXPECT_EQ(OrvTypeUtil::createType(static_cast<const OrvType*>(nullptr)), nullptr);
  EXPECT_EQ(OrvTypeUtil::createType(&bareTag), nullptr);
  EXPECT_EQ(OrvTypeUtil::createType(&bareInt), nullptr);
}

TEST(OrvTypeTest, OnlyTheOwnKindIsHandedOut) {
  const Value values[] = {I(7), S("text"), L({"x"}), A("act")};
  for (int k = 0; k < 4; ++k) {
    const OrvType* v = values[k].get();
    int n = 99;
    OrvString str("keep");
    OrvList<OrvString> list = listOf({"keep", "me"});
    OrvActionFunction fn = nullptr;
    EXPECT_EQ(v->getValue(n), k == 0);
    EXPECT_EQ(v->getValue(str), k == 1);
    EXPECT_EQ(v->getValue(list), k == 2);
    EXPECT_EQ(v->getValue(fn), 0);  // actions are read through their own accessors
    EXPECT_EQ(n, k == 0 ? 7 : 99);
    EXPECT_STREQ(str.getValue(), k == 1 ? "text" : "keep");
    EXPECT_EQ(list.numObjects(), k == 2 ? 1 : 2);
  }
}

TEST(OrvTypeUtilTest, EqualAndLessThan) {
  struct Case {
    const char* what;
    Value a, b;
    int equal, less;
  } cases[] = {
      {"same int", I(5), I(5), 1, 0},
      {"smaller int", I(-1), I(0), 0, 1},
      {"int vs string", I(1), S("1"), 0, 0},
      {"string case ignored", S("Primary"), S("primary"), 1, 0},
      {"string order ignores case", S("abc"), S("ABD"), 0, 1},
      {"and is strict", S("ABD"), S("abc"), 0, 0},
      {"no numeric order of texts", S("10"), S("9"), 0, 1},
      {"underscore after letters", S("z"), S("_"), 0, 1},
      {"bracket after letters", S("Z"), S("["), 0, 1},
      {"lists any order", L({"a", "b"}), L({"b", "a"}), 1, 0},
      {"lists differ in count", L({"a"}), L({"a", "a"}), 0, 0},
      {"lists case-sensitive", L({"a"}), L({"A"}), 0, 0},
      {"empty lists", L({}), L({}), 1, 0},
      {"actions never equal", A("x"), A("x"), 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OrvTypeUtil::equalType(c.a.get(), c.b.get()), c.equal) << c.what;
    EXPECT_EQ(OrvTypeUtil::lessThanType(c.a.get(), c.b.get()), c.less) << c.what;
  }
  EXPECT_EQ(OrvTypeUtil::equalType(nullptr, I(1).get()), 0);
}

}  // namespace
