// The built-in takeover rule table as rule texts.
//
// Three top-level rules select the family by replication mode.  The sync-
// and periodic-mode families are written out as rule sets; the async-mode
// family is the sync-mode family again with renamed rule sets, derived when
// the table is built (asyncRuleSetName; asyncRuleText renames one rule text
// the same way), so the two can never drift apart.  Construction order of the sets: sync, periodic, async.

#ifndef RULES_RULE_TABLE_H_
#define RULES_RULE_TABLE_H_

#include <string>

#include "foundation/orv_string.h"

namespace orv_rule_table {

// One rule set: its name and its rules, texts[first] .. texts[first+count-1]
// of the family's text array, in evaluation order.
struct OrvRuleTableSet {
  const char* name;
  int first;
  int count;
};

extern const char* const kTopLevelRuleTexts[];
extern const int kTopLevelRuleCount;

extern const char* const kSyncRuleTexts[];
extern const OrvRuleTableSet kSyncRuleSets[];
extern const int kSyncRuleSetCount;

extern const char* const kPeriodicRuleTexts[];
extern const OrvRuleTableSet kPeriodicRuleSets[];
extern const int kPeriodicRuleSetCount;

// The async-mode name of a sync-mode rule set: "RuleSet_REPLICATIONMODE_SYNC"
// becomes "RuleSet_REPLICATIONMODE_TRUE_ASYNC", a leading "RuleSet_SYNC_"
// becomes "RuleSet_TRUE_ASYNC_"; any other name is returned unchanged.
OrvString asyncRuleSetName(const OrvString& syncName);
// A sync-mode rule text with its rule-set reference (the name after '%', up
// to ';' or the end) renamed by asyncRuleSetName; texts naming an action are
// returned unchanged.
std::string asyncRuleText(const char* syncText);

}  // namespace orv_rule_table

#endif  // RULES_RULE_TABLE_H_
