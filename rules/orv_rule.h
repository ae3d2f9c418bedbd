// OrvRule and OrvRuleFunction: the rules of the decision tree and the named
// rule sets that hold them.
//
// Rule text: conditions separated by ',', then ':', then a target, then ';'
// (anything after the ';' is ignored; without a ';' the target runs to the
// end).  ':' characters at the very start are skipped.  A blank condition
// part gives a rule without conditions, which always holds.  A target
// starting with '%' names a rule set (the rest of the target, unchanged);
// any other target is an action name.  Example:
//   "StatusRCVolumeGroup = Stopped, StatusRCVGVirtualVolume = Stale : ca_takeover_failover;"
//
// Every parsed condition is kept once in the shared condition list of the
// rule database: a rule points at the first equal entry, appending the
// condition when there is none.  The rule-set list and the condition list
// belong to the rule database and outlive every rule and rule set; copies
// of rules share the condition entries.
//
// Evaluation is first match: a rule set returns the action of the first
// rule whose conditions all hold and whose target leads to an action; a rule
// whose conditions hold but whose referenced sets yield nothing lets the
// search go on.  The trace collects, joined by '-', the condition-list
// positions of the satisfied conditions of every rule whose conditions held,
// in evaluation order; it is never reset during one evaluation.

#ifndef RULES_ORV_RULE_H_
#define RULES_ORV_RULE_H_

#include <ostream>
#include <string>
#include <unordered_map>

#include "foundation/orv_list.h"
#include "foundation/orv_string.h"
#include "rules/orv_condition.h"

class OrvObjectDb;
class OrvObjectNameIndex;
class OrvRuleFunction;

// Remembers which condition-list entry a condition text was parsed to, so
// that building a table that repeats the same texts parses each text once.
// Parsing is deterministic for one object database, so a remembered text
// gives the entry a fresh parse would find.  Texts naming an unknown object
// are not remembered: they are parsed (and reported) every time.  One memo
// serves one condition list and one object database.
// names, when set, is a snapshot of that database used to parse new texts.
struct OrvConditionMemo {
  std::unordered_map<std::string, OrvCondition*> entries;
  const OrvObjectNameIndex* names = nullptr;
  std::string scratch;  // the condition text being looked up
};

class OrvRule {
 public:
  // Parses text.  Throws OrvException for a condition without an operator
  // ("Condition operator is not in main condition list!").
  OrvRule(OrvObjectDb* db, OrvList<OrvRuleFunction>* ruleSets,
          OrvList<OrvCondition>* conditionList, const OrvString& text);
  // The same, using and filling memo (may be null).
  OrvRule(OrvObjectDb* db, OrvList<OrvRuleFunction>* ruleSets,
          OrvList<OrvCondition>* conditionList, const char* text, OrvConditionMemo* memo);
  OrvRule(const OrvRule& other) = default;
  OrvRule& operator=(const OrvRule& other) = default;
  ~OrvRule() = default;

  // 1 when the rule and the sets below it lead to an action (then in
  // action); the positions of satisfied conditions are appended to trace.
  // A condition that fails with an error sets the rule's error flag.
  int evaluateAndGetAction(OrvString& action, OrvString& trace);
  // The same; on success appends one line "p : condition" to matched for
  // every position p of the trace, in order.
  int evaluateAndGetAction(OrvString& action, OrvList<OrvString>& matched);

  // Appends the conditions of text to conditionList, as parsing a rule of
  // text would, without making the rule.
  static void registerConditions(OrvObjectDb* db, OrvList<OrvCondition>* conditionList,
                                 const char* text, OrvConditionMemo* memo);

  int hasError() const { return error_; }
  int isTerminal() const { return terminal_; }
  // The action name, or the referenced rule-set name without '%'.
  const OrvString& getTarget() const { return target_; }
  const OrvList<OrvCondition*>& getConditions() const { return conditions_; }

  // Writes one line per action reachable below this rule: the action name,
  // " : ", the conditions of the path (prefix first) joined by ", ", " : ",
  // the action name.  Every rule set of the target's name is followed.
  void printRuleOut(const OrvString& prefix, std::ostream& os) const;
  // Writes the rule list of the first rule set named name as a block.
  void streamOut(const OrvString& name, std::ostream& os) const;

  // Turns a trace into readable lines: for each position p, in order,
  // "p : " and the text of condition-list entry p is appended to lines.
  static void traceToLines(const OrvString& trace, const OrvList<OrvCondition>& conditionList,
                           OrvList<OrvString>& lines);

 private:
  friend class OrvRuleFunction;
  friend std::ostream& operator<<(std::ostream& os, const OrvRule& rule);

  OrvString conditionsText() const;
  void parse(const char* text, OrvConditionMemo* memo);
  // The entry equal to what conditionText parses to, appended when new.
  OrvCondition* entryFor(const std::string& conditionText, OrvConditionMemo* memo);
  static OrvCondition* conditionEntry(OrvObjectDb* db, OrvList<OrvCondition>* conditionList,
                                      const std::string& conditionText, OrvConditionMemo* memo,
                                      int& error);

  OrvList<OrvCondition*> conditions_;
  int terminal_;
  OrvString target_;
  int error_;
  OrvObjectDb* db_;
  OrvList<OrvRuleFunction>* ruleSets_;
  OrvList<OrvCondition>* conditionList_;
};

// The conditions joined by ", ", then " : " and the action name, or for a
// rule-set reference the referenced set's rule list as a block.
std::ostream& operator<<(std::ostream& os, const OrvRule& rule);

class OrvRuleFunction {
 public:
  // An empty rule set called name.
  OrvRuleFunction(OrvObjectDb* db, OrvList<OrvRuleFunction>* ruleSets,
                  OrvList<OrvCondition>* conditionList, const OrvString& name);
  // A copy holds the rules themselves, the deferred ones made first.
  OrvRuleFunction(const OrvRuleFunction& other);
  OrvRuleFunction& operator=(const OrvRuleFunction& other);
  ~OrvRuleFunction() = default;

  // Appends a copy of rule.
  void insertObj(OrvRule& rule);

  // Appends the rules parsed from texts[first .. first+count-1] (with memo),
  // or copies of other's rules with each set reference renamed by rename
  // (the same as parsing each text with its reference renamed), when the
  // rules are first needed (evaluated, listed, printed, copied or added
  // to); texts, memo and other must outlive the set.  A decision visits a
  // handful of a table's sets: the others are never made.  Conditions must
  // then be in the condition list already (OrvRule::registerConditions), so
  // that its order is what it would be.
  void deferRuleTexts(const char* const* texts, int first, int count, OrvConditionMemo* memo);
  void deferRenamedCopies(const OrvRuleFunction* other, OrvString (*rename)(const OrvString&));

  OrvString getSubRuleName() const { return name_; }
  const OrvString& getName() const { return name_; }
  const OrvList<OrvRule>& getRules() const;

  // First match over the rules in insertion order.
  int evaluateAndGetAction(OrvString& action, OrvString& trace);

  // The rule list as a block: "{", one rule per line, "}".
  void streamOut(std::ostream& os) const;
  // printRuleOut of every rule, in order.
  void printRuleOut(const OrvString& prefix, std::ostream& os) const;

 private:
  // Makes the deferred rules, once.
  void build() const;
  void insertRenamedCopies(const OrvRuleFunction& other, OrvString (*rename)(const OrvString&));

  OrvString name_;
  mutable OrvList<OrvRule> rules_;
  OrvObjectDb* db_;
  OrvList<OrvRuleFunction>* ruleSets_;
  OrvList<OrvCondition>* conditionList_;
  // Deferred rules: texts_[first_ .. first_+count_-1] parsed with memo_,
  // or copies of from_ renamed by rename_.
  mutable const char* const* texts_ = nullptr;
  int first_ = 0;
  int count_ = 0;
  OrvConditionMemo* memo_ = nullptr;
  mutable const OrvRuleFunction* from_ = nullptr;
  OrvString (*rename_)(const OrvString&) = nullptr;
};

// "SubRuleSet " followed by the name.
std::ostream& operator<<(std::ostream& os, const OrvRuleFunction& ruleSet);

#endif  // RULES_ORV_RULE_H_
