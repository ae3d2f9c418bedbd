#include "rules/orv_rule.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "objectdb/orv_object_db.h"
#include "rules/orv_exception.h"
#include "tests/rules/rules_test_util.h"

namespace {

// A rule database in miniature: its own rule-set list and condition list.
class RuleTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rules_test::set(db_, "StatusRCLink", "Up"));
    ASSERT_TRUE(rules_test::set(db_, "StatusRCVolumeGroup", "Stopped"));
    ASSERT_TRUE(rules_test::set(db_, "StatusRCVGVirtualVolume", "Stale"));
  }

  OrvRule rule(const char* text) { return OrvRule(&db_, &sets_, &conditions_, text); }

  void addSet(const char* name, const std::vector<const char*>& texts) {
    OrvRuleFunction set(&db_, &sets_, &conditions_, name);
    for (const char* text : texts) {
      OrvRule r = rule(text);
      set.insertObj(r);
    }
    sets_.insertAtBack(set);
  }

  std::vector<std::string> conditionTexts(const OrvRule& r) {
    std::vector<std::string> texts;
    const OrvList<OrvCondition*>& list = r.getConditions();
    for (int i = 0; i < list.numObjects(); ++i) {
      texts.push_back(list[i]->data()->getConditionStr().getValue());
    }
    return texts;
  }

  OrvObjectDb db_;
  OrvList<OrvRuleFunction> sets_;
  OrvList<OrvCondition> conditions_;
};

struct TextCase {
  const char* text;
  std::vector<std::string> conditions;
  int terminal;
  const char* target;
};

TEST_F(RuleTest, ParsesTheRuleTextLanguage) {
  const TextCase cases[] = {
      {"StatusRCLink = Up , StatusRCVolumeGroup = Stopped : act;",
       {"StatusRCLink = Up", "StatusRCVolumeGroup = Stopped"}, 1, "act"},
      {"StatusRCLink = Up: act", {"StatusRCLink = Up"}, 1, "act"},
      {"StatusRCLink = Up :  act  ; anything after", {"StatusRCLink = Up"}, 1, "act"},
      {"StatusRCLink = Up :;act;", {"StatusRCLink = Up"}, 1, "act"},
      {"::StatusRCLink = Up : act;", {"StatusRCLink = Up"}, 1, "act"},
      {"StatusRCLink = Up,,, StatusRCVolumeGroup = Stopped : act;",
       {"StatusRCLink = Up", "StatusRCVolumeGroup = Stopped"}, 1, "act"},
      {"StatusRCLink = Up, \t , StatusRCVolumeGroup = Stopped : act;",
       {"StatusRCLink = Up", "StatusRCVolumeGroup = Stopped"}, 1, "act"},
      {"StatusRCLink = Not Started : %RuleSet_X;", {"StatusRCLink = Not Started"}, 0, "RuleSet_X"},
      {"StatusRCLink = Up : % Set;", {"StatusRCLink = Up"}, 0, " Set"},
      {" : act;", {}, 1, "act"},
      {"StatusRCLink = Up", {"StatusRCLink = Up"}, 1, ""},
  };
  for (const TextCase& c : cases) {
    OrvRule r = rule(c.text);
    EXPECT_EQ(c.conditions, conditionTexts(r)) << c.text;
    EXPECT_EQ(c.terminal, r.isTerminal()) << c.text;
    EXPECT_STREQ(c.target, r.getTarget().getValue()) << c.text;
  }
}

TEST_F(RuleTest, MalformedConditionTextsThrow) {
  for (const char* text : {":act;", "StatusRCLink = Up, junk : act;", "Up : act;"}) {
    try {
      rule(text);
      ADD_FAILURE() << "no exception for '" << text << "'";
    } catch (const OrvException& e) {
      EXPECT_STREQ("Condition operator is not in main condition list!", e.what()) << text;
    }
  }
}

TEST_F(RuleTest, EqualConditionsShareOneListEntry) {
  OrvRule first = rule("StatusRCLink = Up, StatusRCVolumeGroup = Stopped : a;");
  OrvRule second = rule("StatusRCVolumeGroup=Stopped , StatusRCLink= Up : b;");
  OrvRule third = rule("StatusRCLink = UP : c;");
  ASSERT_EQ(3, conditions_.numObjects());
  EXPECT_EQ(first.getConditions()[0]->data(), second.getConditions()[1]->data());
  EXPECT_EQ(first.getConditions()[1]->data(), second.getConditions()[0]->data());
  EXPECT_EQ(&conditions_[2]->data(), third.getConditions()[0]->data());
  // A copy points at the same entries.
  OrvRule copy(first);
  EXPECT_EQ(first.getConditions()[0]->data(), copy.getConditions()[0]->data());
}

TEST_F(RuleTest, RuleWithoutConditionsAlwaysHolds) {
  OrvRule r = rule(" : act;");
  OrvString action;
  OrvString trace;
  EXPECT_EQ(1, r.evaluateAndGetAction(action, trace));
  EXPECT_STREQ("act", action.getValue());
  EXPECT_STREQ("", trace.getValue());
}

TEST_F(RuleTest, StopsAtTheFirstConditionThatFails) {
  // NoSuchObject fails with an error whenever it is evaluated, so the error
  // flag shows whether evaluation got that far.
  OrvRule reached = rule("StatusRCLink = Up, StatusRCVolumeGroup = Started, NoSuchObject = x : a;");
  OrvRule evaluated = rule("StatusRCLink = Up, NoSuchObject = x : a;");
  OrvRule skipped = rule("StatusRCLink = Down, NoSuchObject = x : a;");
  OrvString action = "unchanged";
  OrvString trace;
  EXPECT_EQ(0, reached.evaluateAndGetAction(action, trace));
  EXPECT_EQ(0, reached.hasError());
  EXPECT_EQ(0, evaluated.evaluateAndGetAction(action, trace));
  EXPECT_EQ(1, evaluated.hasError());
  EXPECT_EQ(0, skipped.evaluateAndGetAction(action, trace));
  EXPECT_EQ(0, skipped.hasError());
  EXPECT_STREQ("unchanged", action.getValue());
  EXPECT_STREQ("", trace.getValue());
}

TEST_F(RuleTest, FirstMatchWithFallThroughAndTrace) {
  // Positions: 0 Link=Up, 1 VG=Started, 2 VG=Stopped, 3 VV=Synced, 4 VV=Stale.
  addSet("Top", {"StatusRCLink = Up : %Empty;", "StatusRCLink = Up : %Volumes;"});
  addSet("Empty", {"StatusRCVolumeGroup = Started : never;"});
  addSet("Volumes", {"StatusRCVolumeGroup = Stopped, StatusRCVGVirtualVolume = Synced : first;",
                     "StatusRCVolumeGroup = Stopped, StatusRCVGVirtualVolume = Stale : second;",
                     "StatusRCVolumeGroup = Stopped : third;"});
  OrvRule top = rule("StatusRCLink = Up : %Top;");
  OrvString action;
  OrvString trace;
  ASSERT_EQ(1, top.evaluateAndGetAction(action, trace));
  EXPECT_STREQ("second", action.getValue());
  // The top rule, the fall-through rule of Top, and the winning path.
  EXPECT_STREQ("0-0-0-2-4", trace.getValue());

  OrvList<OrvString> matched;
  ASSERT_EQ(1, top.evaluateAndGetAction(action, matched));
  std::vector<std::string> lines;
  for (int i = 0; i < matched.numObjects(); ++i) lines.push_back(matched[i]->data().getValue());
  EXPECT_EQ((std::vector<std::string>{"0 : StatusRCLink = Up", "0 : StatusRCLink = Up",
                                      "0 : StatusRCLink = Up", "2 : StatusRCVolumeGroup = Stopped",
                                      "4 : StatusRCVGVirtualVolume = Stale"}),
            lines);
}

TEST_F(RuleTest, TraceAccumulatesAcrossCalls) {
  OrvRule r = rule("StatusRCLink = Up, StatusRCVolumeGroup = Stopped : act;");
  OrvString action;
  OrvString trace = "7";
  ASSERT_EQ(1, r.evaluateAndGetAction(action, trace));
  EXPECT_STREQ("7-0-1", trace.getValue());
}

TEST_F(RuleTest, ExhaustedSetYieldsNothingAfterSearchingEveryRule) {
  addSet("Set", {"StatusRCVolumeGroup = Started : a;", "StatusRCLink = Down : b;",
                 "NoSuchObject = x : c;"});
  OrvRule r = rule("StatusRCLink = Up : %Set;");
  OrvString action;
  OrvString trace;
  EXPECT_EQ(0, r.evaluateAndGetAction(action, trace));
  // The last rule was evaluated; its error stays below the referring rule.
  EXPECT_EQ(1, sets_[0]->data().getRules()[2]->data().hasError());
  EXPECT_EQ(0, r.hasError());
  // The referring rule's own condition (entry 3, after the set's) held: it
  // stays in the trace.
  EXPECT_STREQ("3", trace.getValue());
}

TEST_F(RuleTest, SetReferencesResolveByExactNameAndTryEverySetOfThatName) {
  addSet("Dup", {"StatusRCVolumeGroup = Started : a;"});
  addSet("Dup", {"StatusRCVolumeGroup = Stopped : b;"});
  const struct {
    const char* text;
    int result;
    const char* action;
  } cases[] = {
      {"StatusRCLink = Up : %Dup;", 1, "b"},
      {"StatusRCLink = Up : %dup;", 0, ""},
      {"StatusRCLink = Up : % Dup;", 0, ""},
      {"StatusRCLink = Up : %Missing;", 0, ""},
  };
  for (const auto& c : cases) {
    OrvRule r = rule(c.text);
    OrvString action;
    OrvString trace;
    EXPECT_EQ(c.result, r.evaluateAndGetAction(action, trace)) << c.text;
    EXPECT_STREQ(c.action, action.getValue()) << c.text;
    EXPECT_EQ(0, r.hasError()) << c.text;
  }
}

TEST_F(RuleTest, RuleSetReturnsTheFirstRuleThatLeadsToAnAction) {
  OrvRuleFunction set(&db_, &sets_, &conditions_, "Set");
  for (const char* text : {"StatusRCVolumeGroup = Started : a;", "StatusRCVolumeGroup = Stopped : b;",
                           "StatusRCLink = Up : c;"}) {
    OrvRule r = rule(text);
    set.insertObj(r);
  }
  OrvString action;
  OrvString trace;
  ASSERT_EQ(1, set.evaluateAndGetAction(action, trace));
  EXPECT_STREQ("b", action.getValue());
  EXPECT_STREQ("Set", set.getSubRuleName().getValue());
  std::ostringstream os;
  os << set;
  EXPECT_EQ("SubRuleSet Set", os.str());
}

TEST_F(RuleTest, PrintsRulesBlocksAndFlattenedPaths) {
  addSet("Inner", {"StatusRCVolumeGroup = Stopped, StatusRCVGVirtualVolume = Stale : act_a;",
                   "StatusRCVolumeGroup = New : act_b;"});
  OrvRule outer = rule("StatusRCLink = Up : %Inner;");
  OrvRule missing = rule("StatusRCLink = Up : %Missing;");

  std::ostringstream block;
  block << outer;
  EXPECT_EQ(
      "StatusRCLink = Up{\n"
      "StatusRCVolumeGroup = Stopped, StatusRCVGVirtualVolume = Stale : act_a\n"
      "StatusRCVolumeGroup = New : act_b\n"
      "}\n",
      block.str());

  std::ostringstream paths;
  outer.printRuleOut("", paths);
  missing.printRuleOut("", paths);
  rule(" : bare;").printRuleOut("", paths);
  rule(" : bare;").printRuleOut("Mode = x", paths);
  EXPECT_EQ(
      "act_a : StatusRCLink = Up, StatusRCVolumeGroup = Stopped, StatusRCVGVirtualVolume = Stale"
      " : act_a\n"
      "act_b : StatusRCLink = Up, StatusRCVolumeGroup = New : act_b\n"
      "bare :  : bare\n"
      "bare : Mode = x : bare\n",
      paths.str());
}

}  // namespace

namespace {

// Arbitrary texts over the characters the language gives meaning to either
// build a rule or raise OrvException; every rule points into the shared list,
// and the list never holds two equal conditions.
TEST(RuleTextRobustness, ArbitraryTextsParseOrThrowOnly) {
  static const char kAlphabet[] = ":;,%=!<> \t\r\nAxyz";
  // Without an object database nothing is looked up or reported.
  OrvObjectDb* db = nullptr;
  OrvList<OrvRuleFunction> sets;
  OrvList<OrvCondition> conditions;
  unsigned seed = 12345;
  int parsed = 0;
  int refused = 0;
  for (int n = 0; n < 3000; ++n) {
    std::string text;
    seed = seed * 1103515245u + 12345u;
    const int length = static_cast<int>((seed >> 16) % 24);
    for (int i = 0; i < length; ++i) {
      seed = seed * 1103515245u + 12345u;
      text += kAlphabet[(seed >> 16) % (sizeof(kAlphabet) - 1)];
    }
    try {
      OrvRule rule(db, &sets, &conditions, text.c_str());
      ++parsed;
      for (int c = 0; c < rule.getConditions().numObjects(); ++c) {
        const OrvCondition* entry = rule.getConditions()[c]->data();
        bool inList = false;
        for (OrvListNode<OrvCondition>* k = conditions[0]; k != nullptr; k = k->next()) {
          inList |= &k->data() == entry;
        }
        ASSERT_TRUE(inList) << text;
      }
      OrvString action;
      OrvString trace;
      rule.evaluateAndGetAction(action, trace);
    } catch (const OrvException& e) {
      ++refused;
      EXPECT_STREQ("Condition operator is not in main condition list!", e.what()) << text;
    }
  }
  int distinctPairs = 0;
  for (OrvListNode<OrvCondition>* i = conditions.isEmpty() ? nullptr : conditions[0];
       i != nullptr; i = i->next()) {
    for (OrvListNode<OrvCondition>* j = i->next(); j != nullptr; j = j->next()) {
      ASSERT_FALSE(i->data() == j->data()) << i->data().getConditionStr();
      ++distinctPairs;
    }
  }
  EXPECT_GT(distinctPairs, 0);
  EXPECT_GT(parsed, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace
