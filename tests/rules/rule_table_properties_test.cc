// Properties of the built-in table over every combination of the values of
// the objects it tests:
//  - the async-mode family decides exactly as the sync-mode family,
//  - a link "Not Started" decides exactly as "Down" in every family,
//  - an unknown replication mode yields no action and no error,
//  - no state makes the evaluation fail with an error.

#include <gtest/gtest.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "objectdb/orv_object.h"
#include "objectdb/orv_object_db.h"
#include "rules/orv_rule_db.h"
#include "tests/rules/rules_test_util.h"

namespace {

// One tested object and the values it takes; "" means "no value".
struct Dimension {
  const char* object;
  std::vector<const char*> values;
};

// Every object the table tests besides the mode and the link, with the
// values the table tests, a value it does not test, and (for the
// configuration setting) no value at all.
const std::vector<Dimension>& dimensions() {
  static const std::vector<Dimension> all = {
      {"StatusLocalReplicationRole", {"Secondary", "Secondary-Rev", "Primary", "Primary-Rev", "UNKNOWN"}},
      {"StatusRemoteReplicationRole", {"Secondary", "Secondary-Rev", "Primary", "Primary-Rev", "UNKNOWN"}},
      {"StatusFailsafeMode", {"fail_wrt_on_err", "no_fail_wrt_on_err"}},
      {"StatusForceFlag", {"yes", "no"}},
      {"StatusFastFailbackOk", {"yes", "no"}},
      {"StatusAutoRecover", {"yes", "no"}},
      {"AUTO_NONCURDATA", {"", "0", "1"}},
      {"ApplicationStartup", {"resyncwait", "fastfailback"}},
      {"StatusRCVolumeGroup", {"New", "Starting", "Started", "Stopped", "Failsafe", "UNKNOWN"}},
      {"StatusRCVGVirtualVolume", {"New", "Syncing", "Synced", "NotSynced", "Stopped", "Stale", "UNKNOWN"}},
  };
  return all;
}

const char* const kLinks[] = {"Up", "Down", "Not Started"};

class TableWalker {
 public:
  TableWalker() : rules_(&objects_) {
    for (const Dimension& d : dimensions()) {
      OrvObject* o = rules_test::object(objects_, d.object);
      EXPECT_NE(nullptr, o) << d.object;
      targets_.push_back(o);
    }
    mode_ = rules_test::object(objects_, "StatusReplicationMode");
    link_ = rules_test::object(objects_, "StatusRCLink");
    EXPECT_TRUE(mode_ != nullptr && link_ != nullptr);
  }

  // Evaluates every combination for one mode and link; returns one decision
  // code per combination (0: no action, else 1 + action number).
  std::vector<int> decide(const char* mode, const char* link) {
    EXPECT_TRUE(assign(mode_, mode)) << mode;
    EXPECT_TRUE(assign(link_, link)) << link;
    std::vector<int> decisions;
    walk(0, decisions);
    return decisions;
  }

  int hasError() const { return rules_.hasError(); }
  const std::string& actionName(int code) const { return names_[code - 1]; }

 private:
  static bool assign(OrvObject* o, const char* value) {
    o->setValue(OrvString(value));
    return *value == '\0' ? o->getValue() == nullptr : o->getValue() != nullptr;
  }

  void walk(size_t level, std::vector<int>& decisions) {
    if (level == targets_.size()) {
      OrvString action;
      OrvString trace;
      if (!rules_.evaluateAndGetAction(action, trace)) {
        decisions.push_back(0);
        return;
      }
      auto known = codes_.find(action.getValue());
      if (known == codes_.end()) {
        names_.push_back(action.getValue());
        known = codes_.emplace(action.getValue(), static_cast<int>(names_.size())).first;
      }
      decisions.push_back(known->second);
      return;
    }
    for (const char* value : dimensions()[level].values) {
      ASSERT_TRUE(assign(targets_[level], value)) << dimensions()[level].object << "=" << value;
      walk(level + 1, decisions);
    }
  }

  OrvObjectDb objects_;
  OrvRuleDb rules_;
  std::vector<OrvObject*> targets_;
  OrvObject* mode_ = nullptr;
  OrvObject* link_ = nullptr;
  std::unordered_map<std::string, int> codes_;
  std::vector<std::string> names_;
};

// Index of the first combination where a and b differ, or -1.
long firstDifference(const std::vector<int>& a, const std::vector<int>& b) {
  if (a.size() != b.size()) return 0;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return static_cast<long>(i);
  }
  return -1;
}

// The value of dimension level in the combination at index (the last
// dimension varies fastest).
const char* valueAt(long index, size_t level) {
  for (size_t l = dimensions().size(); l-- > level + 1;) {
    index /= static_cast<long>(dimensions()[l].values.size());
  }
  const Dimension& d = dimensions()[level];
  return d.values[index % static_cast<long>(d.values.size())];
}

// The combination at index, for failure messages.
std::string describe(long index) {
  std::string text;
  for (size_t level = 0; level < dimensions().size(); ++level) {
    text += std::string(dimensions()[level].object) + "=" + valueAt(index, level) + " ";
  }
  return text;
}

int count(const std::vector<int>& decisions, bool decided) {
  int n = 0;
  for (int d : decisions) n += (d != 0) == decided;
  return n;
}

// One walker and its decisions per mode and link, shared by the tests.
class RuleTableProperties : public testing::Test {
 protected:
  static void SetUpTestSuite() { walker_ = new TableWalker(); }
  static void TearDownTestSuite() {
    delete walker_;
    walker_ = nullptr;
    decisions_.clear();
  }
  static const std::vector<int>& decisions(const char* mode, const char* link) {
    const std::string key = std::string(mode) + "/" + link;
    auto known = decisions_.find(key);
    if (known == decisions_.end()) {
      known = decisions_.emplace(key, walker_->decide(mode, link)).first;
    }
    return known->second;
  }
  static TableWalker* walker_;
  static std::unordered_map<std::string, std::vector<int>> decisions_;
};

TableWalker* RuleTableProperties::walker_ = nullptr;
std::unordered_map<std::string, std::vector<int>> RuleTableProperties::decisions_;

TEST_F(RuleTableProperties, AsyncDecidesAsSync) {
  for (const char* link : kLinks) {
    const std::vector<int>& sync = decisions("Sync", link);
    const std::vector<int>& async = decisions("Async", link);
    const long at = firstDifference(sync, async);
    EXPECT_EQ(-1, at) << "link " << link << ": " << describe(at);
    // The comparison means something only if the table decides some states
    // and leaves others open.
    EXPECT_GT(count(sync, true), 0) << link;
    EXPECT_GT(count(sync, false), 0) << link;
  }
  EXPECT_EQ(0, walker_->hasError());
}

TEST_F(RuleTableProperties, LinkNotStartedDecidesAsDown) {
  for (const char* mode : {"Sync", "Periodic", "Async"}) {
    const std::vector<int>& down = decisions(mode, "Down");
    const std::vector<int>& notStarted = decisions(mode, "Not Started");
    const long at = firstDifference(down, notStarted);
    EXPECT_EQ(-1, at) << "mode " << mode << ": " << describe(at);
    EXPECT_GT(count(down, true), 0) << mode;
  }
  EXPECT_EQ(0, walker_->hasError());
}

TEST_F(RuleTableProperties, UnknownModeDecidesNothing) {
  for (const char* link : kLinks) {
    EXPECT_EQ(0, count(decisions("UNKNOWN", link), true)) << link;
  }
  EXPECT_EQ(0, walker_->hasError());
}

// Where the failsafe mode says the group must stop writing on errors, a
// sync-mode secondary with the link down stops globally, whatever else holds.
TEST_F(RuleTableProperties, FailsafeSecondaryWithLinkDownStopsGlobally) {
  const std::vector<int>& down = decisions("Sync", "Down");
  int checked = 0;
  for (size_t i = 0; i < down.size(); ++i) {
    const long at = static_cast<long>(i);
    const std::string local = valueAt(at, 0);
    const std::string remote = valueAt(at, 1);
    if (local != "Secondary" || (remote != "Primary" && remote != "UNKNOWN") ||
        std::string(valueAt(at, 2)) != "fail_wrt_on_err") {
      continue;
    }
    ++checked;
    ASSERT_NE(0, down[i]) << describe(at);
    EXPECT_EQ("ca_takeover_stop_global", walker_->actionName(down[i])) << describe(at);
  }
  EXPECT_GT(checked, 0);
}

}  // namespace
