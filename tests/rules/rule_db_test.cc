#include "rules/orv_rule_db.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "objectdb/orv_object_db.h"
#include "rules/rule_table.h"
#include "tests/rules/rules_test_util.h"

namespace {

std::string readData(const char* name) {
  std::ifstream in(std::string(ORV_SOURCE_DIR) + "/tests/data/rules/" + name);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

class RuleDbTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    objects_ = new OrvObjectDb();
    rules_ = new OrvRuleDb(objects_);
  }
  static void TearDownTestSuite() {
    delete rules_;
    delete objects_;
  }
  static OrvObjectDb* objects_;
  static OrvRuleDb* rules_;
};

OrvObjectDb* RuleDbTest::objects_ = nullptr;
OrvRuleDb* RuleDbTest::rules_ = nullptr;

TEST_F(RuleDbTest, HoldsTheWholeTable) {
  EXPECT_EQ(1, rules_->isGood());
  EXPECT_EQ(0, rules_->hasError());
  EXPECT_EQ(3, rules_->getRules().numObjects());
  EXPECT_EQ(181, rules_->getRuleSets().numObjects());
  EXPECT_EQ(37, rules_->getConditionList().numObjects());
  int rules = 0;
  const OrvList<OrvRuleFunction>& sets = rules_->getRuleSets();
  for (int i = 0; i < sets.numObjects(); ++i) rules += sets[i]->data().getRules().numObjects();
  // 912 less the open periodic-mode rule that is left out.
  EXPECT_EQ(911, rules);
}

TEST_F(RuleDbTest, ConditionListInOrderOfFirstAppearance) {
  std::ostringstream out;
  rules_->printConditionList(out);
  EXPECT_EQ(readData("conditions.txt"), out.str());
  const std::vector<std::string> dumped = lines(out.str());
  ASSERT_EQ(37u, dumped.size());
  EXPECT_EQ("0 : StatusReplicationMode = Sync", dumped[0]);
  EXPECT_EQ("11 : StatusRCLink = Not Started", dumped[11]);
  EXPECT_EQ("36 : StatusAutoRecover = no", dumped[36]);
}

TEST_F(RuleDbTest, RuleSetListMatchesTheTable) {
  std::ostringstream out;
  rules_->printSubRuleList(out);
  EXPECT_EQ(readData("rule_sets.txt"), out.str());
  const std::vector<std::string> dumped = lines(out.str());
  ASSERT_EQ(181u, dumped.size());
  EXPECT_EQ("0 : SubRuleSet RuleSet_REPLICATIONMODE_SYNC", dumped[0]);
  EXPECT_EQ("63 : SubRuleSet RuleSet_REPLICATIONMODE_ASYNC", dumped[63]);
  EXPECT_EQ("118 : SubRuleSet RuleSet_REPLICATIONMODE_TRUE_ASYNC", dumped[118]);
}

// The flattened paths hold every rule text of the table (conditions and
// target, in evaluation order), so this compares the built table with the
// table as written.
TEST_F(RuleDbTest, RulePathsMatchTheTable) {
  std::ostringstream out;
  rules_->printRule(out);
  const std::vector<std::string> expected = lines(readData("rule_paths.txt"));
  const std::vector<std::string> actual = lines(out.str());
  ASSERT_FALSE(expected.empty());
  ASSERT_EQ(expected.size(), actual.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(expected[i], actual[i]) << "path " << i;
  }
}

// Collects the action names and the set references of rs.
void targets(const OrvList<OrvRule>& rs, std::set<std::string>& actions,
             std::vector<std::string>& references) {
  for (int i = 0; i < rs.numObjects(); ++i) {
    const OrvRule& r = rs[i]->data();
    if (r.isTerminal()) {
      actions.insert(r.getTarget().getValue());
    } else {
      references.push_back(r.getTarget().getValue());
    }
  }
}

TEST_F(RuleDbTest, EveryReferenceNamesOneSetAndEverySetIsReferred) {
  std::set<std::string> actions;
  std::vector<std::string> references;
  targets(rules_->getRules(), actions, references);
  std::multiset<std::string> names;
  const OrvList<OrvRuleFunction>& sets = rules_->getRuleSets();
  for (int i = 0; i < sets.numObjects(); ++i) {
    const OrvRuleFunction& set = sets[i]->data();
    names.insert(set.getName().getValue());
    std::vector<std::string> own;
    targets(set.getRules(), actions, own);
    const std::string name = set.getName().getValue();
    const bool periodic = name.compare(0, 14, "RuleSet_ASYNC_") == 0 ||
                          name == "RuleSet_REPLICATIONMODE_ASYNC";
    for (const std::string& ref : own) {
      // No family refers into another one.
      if (periodic) {
        EXPECT_EQ(0u, ref.find("RuleSet_ASYNC_")) << name << " -> " << ref;
      } else if (name.find("TRUE_ASYNC") != std::string::npos) {
        EXPECT_EQ(0u, ref.find("RuleSet_TRUE_ASYNC_")) << name << " -> " << ref;
      } else {
        EXPECT_EQ(0u, ref.find("RuleSet_SYNC_")) << name << " -> " << ref;
      }
      references.push_back(ref);
    }
  }
  std::set<std::string> referred(references.begin(), references.end());
  for (const std::string& ref : referred) EXPECT_EQ(1u, names.count(ref)) << ref;
  EXPECT_EQ(names.size(), referred.size());

  // The rules name exactly the 36 actions of the action table that are
  // marked as named by a rule.
  const std::set<std::string> named = {
      "ca_takeover_stop_local",
      "ca_takeover_stop_global",
      "ca_takeover_stop_datacenter",
      "ca_takeover_stoprcvg_reverse_startrcvg",
      "ca_takeover_reverse_startrcvg",
      "ca_takeover_failover",
      "ca_takeover_startrcvg_remotesec_nop_remoteprirev_stop_datacenter",
      "ca_takeover_resyncwait_stoprcvg_reverse_startrcvg",
      "ca_takeover_restore",
      "ca_takeover_startrcvg_localsec_stop_local_localprirev_nop",
      "ca_takeover_resyncwait_restore",
      "ca_takeover_nop",
      "ca_takeover_reverse_current_local",
      "ca_takeover_startrcvg_localpri_nop_localsecrev_resyncwait_restore",
      "ca_takeover_nop_ff",
      "ca_takeover_stop_datacenter_no_wait",
      "ca_takeover_stop_datacenter_no_rc",
      "ca_takeover_stop_global_no_ff",
      "ca_takeover_stop_datacenter_no_recover",
      "ca_takeover_stop_datacenter_local_unknown",
      "ca_takeover_stop_local_local_unknown_ro",
      "ca_takeover_stop_datacenter_no_auto",
      "ca_takeover_restore_force",
      "ca_takeover_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
      "ca_takeover_startrcvg_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
      "ca_takeover_syncrcopy_resyncwait_restore",
      "ca_takeover_startrcvg_syncrcopy_resyncwait_restore",
      "ca_takeover_stop_datacenter_startrcvg_localsecrev_syncrcopy_localpri_recover",
      "ca_takeover_startrcvg_localpri_stop_datacenter_localsecrev_syncrcopy_resyncwait_restore",
      "ca_takeover_nop_startrcvg_remotesecrev_syncrcopy_remotepri_recover",
      "ca_takeover_startrcvg_remotesec_nop_syncrcopy_remoteprirev_stop_datacenter",
      "ca_takeover_startrcvg_localsec_stop_local_syncrcopy_localprirev_stop_local",
      "ca_takeover_resyncwait_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
      "ca_takeover_resyncwait_syncrcopy_resyncwait_restore",
      "ca_takeover_stoprcvgwait_failover",
      "ca_takeover_failsafe_override",
  };
  EXPECT_EQ(named, actions);
}

// The async-mode family is the sync-mode family with renamed sets: the same
// condition entries and actions, rule by rule.
TEST_F(RuleDbTest, AsyncFamilyIsTheSyncFamilyRenamed) {
  const OrvList<OrvRuleFunction>& sets = rules_->getRuleSets();
  for (int i = 0; i < 63; ++i) {
    const OrvRuleFunction& sync = sets[i]->data();
    const OrvRuleFunction& async = sets[118 + i]->data();
    std::string expectedName = sync.getName().getValue();
    if (expectedName == "RuleSet_REPLICATIONMODE_SYNC") {
      expectedName = "RuleSet_REPLICATIONMODE_TRUE_ASYNC";
    } else {
      ASSERT_EQ(0u, expectedName.find("RuleSet_SYNC_"));
      expectedName.replace(0, 13, "RuleSet_TRUE_ASYNC_");
    }
    EXPECT_EQ(expectedName, async.getName().getValue());
    ASSERT_EQ(sync.getRules().numObjects(), async.getRules().numObjects()) << expectedName;
    for (int r = 0; r < sync.getRules().numObjects(); ++r) {
      const OrvRule& a = sync.getRules()[r]->data();
      const OrvRule& b = async.getRules()[r]->data();
      ASSERT_EQ(a.getConditions().numObjects(), b.getConditions().numObjects());
      for (int c = 0; c < a.getConditions().numObjects(); ++c) {
        EXPECT_EQ(a.getConditions()[c]->data(), b.getConditions()[c]->data());
      }
      EXPECT_EQ(a.isTerminal(), b.isTerminal());
      if (a.isTerminal()) {
        EXPECT_STREQ(a.getTarget().getValue(), b.getTarget().getValue());
      } else {
        EXPECT_STREQ(a.getTarget().getValue() + 13, b.getTarget().getValue() + 19);
      }
    }
  }
}

struct Example {
  const char* label;
  rules_test::State state;
  const char* action;
  const char* trace;  // nullptr: not checked
};

class RuleDbExampleTest : public testing::TestWithParam<Example> {};

TEST_P(RuleDbExampleTest, ChoosesTheAction) {
  const Example& e = GetParam();
  OrvObjectDb objects;
  ASSERT_TRUE(rules_test::apply(objects, e.state)) << e.label;
  OrvRuleDb rules(&objects);
  OrvString action;
  OrvString trace;
  ASSERT_EQ(1, rules.evaluateAndGetAction(action, trace)) << e.label;
  EXPECT_STREQ(e.action, action.getValue()) << e.label;
  if (e.trace != nullptr) {
    EXPECT_STREQ(e.trace, trace.getValue()) << e.label;
  }
  EXPECT_EQ(0, rules.hasError());
}

const char kMode[] = "StatusReplicationMode";
const char kLRole[] = "StatusLocalReplicationRole";
const char kRRole[] = "StatusRemoteReplicationRole";
const char kLink[] = "StatusRCLink";
const char kFailsafe[] = "StatusFailsafeMode";
const char kForce[] = "StatusForceFlag";
const char kNonCur[] = "AUTO_NONCURDATA";
const char kStartup[] = "ApplicationStartup";
const char kVG[] = "StatusRCVolumeGroup";
const char kVV[] = "StatusRCVGVirtualVolume";

INSTANTIATE_TEST_SUITE_P(
    Table, RuleDbExampleTest,
    testing::Values(
        Example{"primary with secondary, synced",
                {{kMode, "Sync"}, {kLRole, "Primary"}, {kRRole, "Secondary"}, {kLink, "Up"},
                 {kVG, "Started"}, {kVV, "Synced"}},
                "ca_takeover_nop",
                "0-5-31-12-26-28"},
        Example{"secondary, fast failback, synced",
                {{kMode, "Sync"}, {kLRole, "Secondary"}, {kRRole, "Primary"}, {kLink, "Up"},
                 {kStartup, "fastfailback"}, {kForce, "no"}, {kVG, "Started"}, {kVV, "Synced"}},
                "ca_takeover_stoprcvg_reverse_startrcvg",
                "0-3-8-12-25-26-28"},
        Example{"secondary, resyncwait, forced, stale",
                {{kMode, "Sync"}, {kLRole, "Secondary"}, {kRRole, "Primary"}, {kLink, "Up"},
                 {kStartup, "resyncwait"}, {kForce, "yes"}, {kNonCur, "0"}, {kVG, "Stopped"},
                 {kVV, "Stale"}},
                "ca_takeover_reverse_startrcvg",
                "0-3-8-12-24-18-16-14-18-20"},
        // Without AUTO_NONCURDATA the stopped-group branch of the resyncwait
        // set yields nothing; the forced set decides, and the branch that
        // fell through stays in the trace.
        Example{"secondary, resyncwait, forced, no non-current setting",
                {{kMode, "Sync"}, {kLRole, "Secondary"}, {kRRole, "Primary"}, {kLink, "Up"},
                 {kStartup, "resyncwait"}, {kForce, "yes"}, {kVG, "Stopped"}, {kVV, "Stale"}},
                "ca_takeover_reverse_startrcvg",
                "0-3-8-12-24-18-14-18-20"},
        Example{"secondary, link down, failsafe",
                {{kMode, "Sync"}, {kLRole, "Secondary"}, {kRRole, "Primary"}, {kLink, "Down"},
                 {kFailsafe, "fail_wrt_on_err"}, {kForce, "yes"}, {kNonCur, "1"},
                 {kVG, "Started"}, {kVV, "Synced"}},
                "ca_takeover_stop_global",
                "0-3-8-10-13"},
        Example{"secondary, link not started, failsafe",
                {{kMode, "Sync"}, {kLRole, "Secondary"}, {kRRole, "Unknown"},
                 {kLink, "Not Started"}, {kFailsafe, "fail_wrt_on_err"}},
                "ca_takeover_stop_global",
                "0-3-9-11-13"},
        Example{"async decides as sync",
                {{kMode, "async"}, {kLRole, "Secondary"}, {kRRole, "Primary"}, {kLink, "Up"},
                 {kStartup, "resyncwait"}, {kForce, "yes"}, {kNonCur, "0"}, {kVG, "Stopped"},
                 {kVV, "Stale"}},
                "ca_takeover_reverse_startrcvg",
                "2-3-8-12-24-18-16-14-18-20"},
        Example{"periodic, both roles unknown",
                {{kMode, "Periodic"}, {kLRole, "UNKNOWN"}, {kRRole, "UNKNOWN"}},
                "ca_takeover_stop_global",
                "1-7-9"},
        Example{"periodic, primary, remote unknown, link down, stale",
                {{kMode, "Periodic"}, {kLRole, "Primary"}, {kRRole, "Unknown"}, {kLink, "Down"},
                 {kForce, "no"}, {kVG, "Stopped"}, {kVV, "Stale"}},
                "ca_takeover_stop_datacenter",
                nullptr},
        Example{"periodic, primary, remote unknown, link down, not synced",
                {{kMode, "Periodic"}, {kLRole, "Primary"}, {kRRole, "Unknown"}, {kLink, "Down"},
                 {kForce, "no"}, {kVG, "Stopped"}, {kVV, "NotSynced"}},
                "ca_takeover_startrcvg_remotesec_nop_remoteprirev_stop_datacenter",
                nullptr},
        // The open rule of this set is left out: the restore rule decides.
        Example{"periodic, local unknown, remote primary-rev, fast failback, stopped",
                {{kMode, "Periodic"}, {kLRole, "Unknown"}, {kRRole, "Primary-Rev"}, {kLink, "Up"},
                 {kStartup, "fastfailback"}, {kForce, "no"}, {"StatusFastFailbackOk", "yes"},
                 {"StatusAutoRecover", "no"}, {kVG, "Stopped"}, {kVV, "Stopped"}},
                "ca_takeover_startrcvg_localpri_nop_localsecrev_resyncwait_restore",
                nullptr},
        Example{"periodic, local unknown, remote secondary goes to the primary sets",
                {{kMode, "Periodic"}, {kLRole, "Unknown"}, {kRRole, "Secondary"}, {kLink, "Up"},
                 {kVG, "Started"}, {kVV, "Synced"}},
                "ca_takeover_nop",
                nullptr},
        Example{"periodic, primary-rev, remote unknown, auto recover",
                {{kMode, "Periodic"}, {kLRole, "Primary-Rev"}, {kRRole, "Unknown"}, {kLink, "Up"},
                 {"StatusAutoRecover", "yes"}, {kVG, "Started"}, {kVV, "Synced"}},
                "ca_takeover_nop_startrcvg_remotesecrev_syncrcopy_remotepri_recover",
                nullptr}));

TEST(RuleDb, UnknownModeYieldsNoActionAndNoError) {
  OrvObjectDb objects;  // every status object at its default UNKNOWN
  OrvRuleDb rules(&objects);
  OrvString action;
  OrvString trace;
  EXPECT_EQ(0, rules.evaluateAndGetAction(action, trace));
  EXPECT_EQ(0, rules.hasError());
  EXPECT_STREQ("", trace.getValue());
  OrvList<OrvString> matched;
  EXPECT_EQ(0, rules.evaluateAndGetAction(action, matched));
  EXPECT_EQ(0, matched.numObjects());
}

TEST(RuleDb, ReportsMatchedConditionsAsLines) {
  OrvObjectDb objects;
  ASSERT_TRUE(rules_test::apply(objects, {{kMode, "Periodic"},
                                          {kLRole, "Unknown"},
                                          {kRRole, "Unknown"}}));
  OrvRuleDb rules(&objects);
  OrvString action;
  OrvList<OrvString> matched;
  ASSERT_EQ(1, rules.evaluateAndGetAction(action, matched));
  EXPECT_STREQ("ca_takeover_stop_global", action.getValue());
  ASSERT_EQ(3, matched.numObjects());
  EXPECT_STREQ("1 : StatusReplicationMode = Periodic", matched[0]->data().getValue());
  EXPECT_STREQ("7 : StatusLocalReplicationRole = Unknown", matched[1]->data().getValue());
  EXPECT_STREQ("9 : StatusRemoteReplicationRole = Unknown", matched[2]->data().getValue());
}

// Without an object database every top-level condition fails with an
// error, which the database reports; it is built all the same.
TEST(RuleDb, TopLevelErrorsSetTheErrorFlag) {
  OrvRuleDb rules(nullptr);
  EXPECT_EQ(1, rules.isGood());
  OrvString action;
  OrvString trace;
  EXPECT_EQ(0, rules.evaluateAndGetAction(action, trace));
  EXPECT_EQ(1, rules.hasError());
}

}  // namespace

namespace {

// The rule database builds its table with shortcuts (a memo of parsed
// condition texts, a snapshot of the object names, sets filled in place).
// Building the same texts rule by rule, each parsed afresh and every set
// appended as a copy, must give the same conditions, sets and rules.
TEST(RuleDbConstruction, ShortcutsBuildTheSameTable) {
  OrvObjectDb objects;
  OrvRuleDb built(&objects);

  OrvList<OrvRuleFunction> sets;
  OrvList<OrvCondition> conditions;
  OrvList<OrvRule> top;
  for (int i = 0; i < orv_rule_table::kTopLevelRuleCount; ++i) {
    OrvRule rule(&objects, &sets, &conditions, orv_rule_table::kTopLevelRuleTexts[i]);
    top.insertAtBack(rule);
  }
  auto family = [&](const char* const* texts, const orv_rule_table::OrvRuleTableSet* table,
                    int count, bool async) {
    for (int s = 0; s < count; ++s) {
      const OrvString name =
          async ? orv_rule_table::asyncRuleSetName(table[s].name) : OrvString(table[s].name);
      OrvRuleFunction set(&objects, &sets, &conditions, name);
      for (int r = table[s].first; r < table[s].first + table[s].count; ++r) {
        OrvRule rule(&objects, &sets, &conditions,
                     async ? OrvString(orv_rule_table::asyncRuleText(texts[r]).c_str())
                           : OrvString(texts[r]));
        set.insertObj(rule);
      }
      sets.insertAtBack(set);
    }
  };
  family(orv_rule_table::kSyncRuleTexts, orv_rule_table::kSyncRuleSets,
         orv_rule_table::kSyncRuleSetCount, false);
  family(orv_rule_table::kPeriodicRuleTexts, orv_rule_table::kPeriodicRuleSets,
         orv_rule_table::kPeriodicRuleSetCount, false);
  family(orv_rule_table::kSyncRuleTexts, orv_rule_table::kSyncRuleSets,
         orv_rule_table::kSyncRuleSetCount, true);

  ASSERT_EQ(conditions.numObjects(), built.getConditionList().numObjects());
  for (int i = 0; i < conditions.numObjects(); ++i) {
    EXPECT_TRUE(conditions[i]->data() == built.getConditionList()[i]->data()) << i;
  }
  ASSERT_EQ(sets.numObjects(), built.getRuleSets().numObjects());
  for (int i = 0; i < sets.numObjects(); ++i) {
    EXPECT_STREQ(sets[i]->data().getName().getValue(),
                 built.getRuleSets()[i]->data().getName().getValue());
  }
  std::ostringstream plain;
  for (int i = 0; i < top.numObjects(); ++i) top[i]->data().printRuleOut("", plain);
  std::ostringstream shortcut;
  built.printRule(shortcut);
  EXPECT_TRUE(plain.str() == shortcut.str());
}

}  // namespace
