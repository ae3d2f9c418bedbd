#include "objectdb/orv_type.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

OrvList<OrvString> listOf(const std::vector<const char*>& items) {
  OrvList<OrvString> list;
  for (const char* item : items) list.insertAtBack(OrvString(item));
  return list;
}

std::string printed(const OrvType& value) {
  std::ostringstream os;
  os << value;
  return os.str();
}

struct IntTextCase {
  const char* text;
  bool made;
  int value;
};

TEST(OrvTypeUtilTest, IntegerFromText) {
  const IntTextCase cases[] = {
      {"", true, 0},          {"12", true, 12},        {"007", true, 7},
      {"-1", false, 0},       {" 5", false, 0},        {"5 ", false, 0},
      {"+5", false, 0},       {"1.5", false, 0},       {"12a", false, 0},
      {"2147483647", true, 2147483647},
      // Beyond the int range: saturates instead of wrapping around.
      {"99999999999999999999", true, 2147483647},
  };
  for (const IntTextCase& c : cases) {
    std::unique_ptr<OrvType> v(OrvTypeUtil::createType(INTEGER_TYPE, OrvString(c.text)));
    ASSERT_EQ(v != nullptr, c.made) << "text '" << c.text << "'";
    if (!v) continue;
    int n = -42;
    EXPECT_EQ(v->getType(), INTEGER_TYPE);
    EXPECT_EQ(v->getValue(n), 1);
    EXPECT_EQ(n, c.value) << "text '" << c.text << "'";
  }
}

TEST(OrvTypeUtilTest, StringFromAnyText) {
  for (const char* text : {"", "Not Started", "  padded  ", "-1"}) {
    std::unique_ptr<OrvType> v(OrvTypeUtil::createType(STRING_TYPE, OrvString(text)));
    ASSERT_NE(v, nullptr);
    OrvString out("unchanged");
    EXPECT_EQ(v->getValue(out), 1);
    EXPECT_STREQ(out.getValue(), text);
  }
}

TEST(OrvTypeUtilTest, NoValueFromTextForOtherTypes) {
  const objectParaType types[] = {LIST_TYPE, ACTION_TYPE, FWVERSION_TYPE, RMVERSION_TYPE,
                                  TAG_TYPE};
  for (objectParaType t : types) {
    EXPECT_EQ(OrvTypeUtil::createType(t, OrvString("a b")), nullptr) << "type " << t;
    EXPECT_EQ(OrvTypeUtil::createType(t, OrvString("")), nullptr) << "type " << t;
  }
}

TEST(OrvTypeUtilTest, CopyIsDeepAndOfTheSameClass) {
  OrvListVal original(listOf({"a", "b"}));
  std::unique_ptr<OrvType> copy(OrvTypeUtil::createType(&original));
  ASSERT_NE(copy, nullptr);
  ASSERT_EQ(copy->getType(), LIST_TYPE);
  original.getValue().insertAtBack(OrvString("c"));
  OrvList<OrvString> copied;
  EXPECT_EQ(copy->getValue(copied), 1);
  EXPECT_EQ(copied.numObjects(), 2);

  OrvActionVal action("ca_takeover_nop", nullptr);
  std::unique_ptr<OrvType> actionCopy(OrvTypeUtil::createType(&action));
  ASSERT_NE(dynamic_cast<OrvActionVal*>(actionCopy.get()), nullptr);
  EXPECT_STREQ(static_cast<OrvActionVal*>(actionCopy.get())->getActionName().getValue(),
               "ca_takeover_nop");

  EXPECT_EQ(OrvTypeUtil::createType(static_cast<const OrvType*>(nullptr)), nullptr);
  OrvType bare(TAG_TYPE);
  EXPECT_EQ(OrvTypeUtil::createType(&bare), nullptr);
  // A bare base object that carries a value type number has nothing to copy.
  OrvType bareInt(INTEGER_TYPE);
  EXPECT_EQ(OrvTypeUtil::createType(&bareInt), nullptr);
}

TEST(OrvTypeTest, WrongKindLeavesArgumentUntouched) {
  OrvIntVal i(7);
  OrvStrVal s("text");
  OrvListVal l(listOf({"x"}));
  OrvActionVal a("act", nullptr);
  const OrvType* values[] = {&i, &s, &l, &a};
  for (const OrvType* v : values) {
    int n = 99;
    OrvString str("keep");
    OrvList<OrvString> list = listOf({"keep"});
    OrvActionFunction fn = nullptr;
    const int gotInt = v->getValue(n);
    const int gotStr = v->getValue(str);
    const int gotList = v->getValue(list);
    EXPECT_EQ(v->getValue(fn), 0) << "actions are read through their own accessors";
    EXPECT_EQ(gotInt, v == &i);
    EXPECT_EQ(gotStr, v == &s);
    EXPECT_EQ(gotList, v == &l);
    if (v != &i) {
      EXPECT_EQ(n, 99);
    }
    if (v != &s) {
      EXPECT_STREQ(str.getValue(), "keep");
    }
    if (v != &l) {
      ASSERT_EQ(list.numObjects(), 1);
      EXPECT_STREQ(list[0]->data().getValue(), "keep");
    }
  }
}

TEST(OrvTypeTest, Printing) {
  EXPECT_EQ(printed(OrvIntVal(-12)), "-12");
  EXPECT_EQ(printed(OrvStrVal("Not Started")), "Not Started");
  EXPECT_EQ(printed(OrvListVal(listOf({"a", "b"}))), "{\na\nb\n}\n");
  EXPECT_EQ(printed(OrvActionVal("ca_takeover_nop", nullptr)), "ca_takeover_nop");
  EXPECT_EQ(printed(OrvType(TAG_TYPE)), "");
}

struct PairCase {
  const char* what;
  std::shared_ptr<OrvType> a;
  std::shared_ptr<OrvType> b;
  int equal;
  int less;
};

std::shared_ptr<OrvType> I(int n) { return std::make_shared<OrvIntVal>(n); }
std::shared_ptr<OrvType> S(const char* s) { return std::make_shared<OrvStrVal>(OrvString(s)); }
std::shared_ptr<OrvType> L(const std::vector<const char*>& items) {
  return std::make_shared<OrvListVal>(listOf(items));
}
std::shared_ptr<OrvType> A(const char* name) {
  return std::make_shared<OrvActionVal>(OrvString(name), nullptr);
}

TEST(OrvTypeUtilTest, EqualAndLessThan) {
  const PairCase cases[] = {
      {"same int", I(5), I(5), 1, 0},
      {"smaller int", I(-1), I(0), 0, 1},
      {"larger int", I(10), I(9), 0, 0},
      {"string case ignored", S("Primary"), S("primary"), 1, 0},
      {"string vs int", I(1), S("1"), 0, 0},
      {"int vs string", S("1"), I(1), 0, 0},
      {"string order ignores case", S("abc"), S("ABD"), 0, 1},
      {"string order reversed", S("ABD"), S("abc"), 0, 0},
      {"no numeric order of texts", S("10"), S("9"), 0, 1},
      {"underscore after letters", S("z"), S("_"), 0, 1},
      {"bracket after letters", S("Z"), S("["), 0, 1},
      {"prefix sorts first", S("Start"), S("started"), 0, 1},
      {"empty strings", S(""), S(""), 1, 0},
      {"lists any order", L({"a", "b"}), L({"b", "a"}), 1, 0},
      {"lists differ in count", L({"a"}), L({"a", "a"}), 0, 0},
      {"lists case-sensitive", L({"a"}), L({"A"}), 0, 0},
      {"empty lists", L({}), L({}), 1, 0},
      {"actions never equal", A("x"), A("x"), 0, 0},
      {"list vs string", L({"a"}), S("a"), 0, 0},
  };
  for (const PairCase& c : cases) {
    EXPECT_EQ(OrvTypeUtil::equalType(c.a.get(), c.b.get()), c.equal) << c.what;
    EXPECT_EQ(OrvTypeUtil::lessThanType(c.a.get(), c.b.get()), c.less) << c.what;
  }
  EXPECT_EQ(OrvTypeUtil::equalType(nullptr, I(1).get()), 0);
  EXPECT_EQ(OrvTypeUtil::lessThanType(I(1).get(), nullptr), 0);
}

TEST(OrvTypeTest, ValueClassOperators) {
  EXPECT_TRUE(OrvIntVal(3) == 3);
  EXPECT_TRUE(OrvIntVal(-4) < -3);
  EXPECT_FALSE(OrvIntVal(3) < 3);
  EXPECT_EQ(static_cast<int>(OrvIntVal(8)), 8);
  EXPECT_TRUE(OrvStrVal("STARTED") == OrvStrVal("started"));
  OrvListVal list(listOf({"node1", "node2"}));
  EXPECT_EQ(list.contains("node2"), 1);
  EXPECT_EQ(list.contains("Node2"), 0);
  EXPECT_EQ(list.contains(""), 0);
}

}  // namespace
