// OrvRuleDb: the decision tree of rcgate, built from the built-in takeover
// rule table (rule_table.h).
//
// Owns the top-level rules, every rule set and the list of distinct
// conditions they share.  The condition list is complete from the start; a
// rule set makes its rules when it is first needed (OrvRuleFunction), so a
// decision builds only the sets it visits.  Rules and rule sets point into these lists, so a
// rule database is never copied or moved: create it with new, delete it when
// done.  The table gives 3 top-level rules, 181 rule sets holding 911 rules
// and 37 distinct conditions.
//
// evaluateAndGetAction walks the top-level rules in order over the current
// object values and names one takeover action.  A top-level rule that fails
// because a condition reported an error sets the database's error flag (it
// stays set); errors below the top level only make that branch yield
// nothing.  A state no rule covers yields 0 without error.

#ifndef RULES_ORV_RULE_DB_H_
#define RULES_ORV_RULE_DB_H_

#include <memory>
#include <ostream>

#include "foundation/orv_list.h"
#include "foundation/orv_string.h"
#include "rules/orv_condition.h"
#include "rules/orv_rule.h"

class OrvObjectDb;
class OrvObjectNameIndex;

class OrvRuleDb {
 public:
  // Builds the whole table against db (not owned).  A malformed rule text
  // would raise OrvException; the built-in table has none.
  explicit OrvRuleDb(OrvObjectDb* db);
  ~OrvRuleDb();
  OrvRuleDb(const OrvRuleDb&) = delete;
  OrvRuleDb& operator=(const OrvRuleDb&) = delete;

  int isGood() const { return good_; }
  int hasError() const { return error_; }

  // 1 and the action name in action when a top-level rule leads to an
  // action, else 0.  trace as for OrvRule.
  int evaluateAndGetAction(OrvString& action, OrvString& trace);
  // The same, with the trace as readable lines "position : condition".
  int evaluateAndGetAction(OrvString& action, OrvList<OrvString>& matched);

  // Diagnostic dumps.  One line per condition-list entry: "p : condition".
  void printConditionList(std::ostream& file) const;
  // One line per rule set: "p : SubRuleSet name".
  void printSubRuleList(std::ostream& file) const;
  // The flattened paths below every top-level rule (OrvRule::printRuleOut).
  void printRule(std::ostream& file) const;

  const OrvList<OrvRule>& getRules() const { return rules_; }
  const OrvList<OrvRuleFunction>& getRuleSets() const { return ruleSets_; }
  const OrvList<OrvCondition>& getConditionList() const { return conditionList_; }

 private:
  // Builds rule set name from texts[first .. first+count-1], appends it and
  // returns it.
  OrvRuleFunction& addRuleSet(const OrvString& name, const char* const* texts, int first,
                              int count);

  // Kept for the rule sets made when first needed: they parse as the
  // whole table was parsed at construction.
  std::unique_ptr<OrvObjectNameIndex> names_;
  OrvConditionMemo memo_;
  int good_;
  OrvList<OrvRule> rules_;
  OrvList<OrvRuleFunction> ruleSets_;
  OrvList<OrvCondition> conditionList_;
  OrvObjectDb* db_;
  int error_;
};

#endif  // RULES_ORV_RULE_DB_H_
