#include "rules/orv_rule_db.h"

#include <vector>

#include "rules/orv_object_names.h"
#include "rules/rule_table.h"

using orv_rule_table::OrvRuleTableSet;

OrvRuleDb::OrvRuleDb(OrvObjectDb* db)
    : names_(std::make_unique<OrvObjectNameIndex>(db)), good_(0), db_(db), error_(0) {
  memo_.names = names_.get();
  for (int i = 0; i < orv_rule_table::kTopLevelRuleCount; ++i) {
    OrvRule rule(db_, &ruleSets_, &conditionList_, orv_rule_table::kTopLevelRuleTexts[i], &memo_);
    rules_.insertAtBack(rule);
  }
  std::vector<const OrvRuleFunction*> syncSets;
  for (int i = 0; i < orv_rule_table::kSyncRuleSetCount; ++i) {
    const OrvRuleTableSet& set = orv_rule_table::kSyncRuleSets[i];
    syncSets.push_back(&addRuleSet(set.name, orv_rule_table::kSyncRuleTexts, set.first, set.count));
  }
  for (int i = 0; i < orv_rule_table::kPeriodicRuleSetCount; ++i) {
    const OrvRuleTableSet& set = orv_rule_table::kPeriodicRuleSets[i];
    addRuleSet(set.name, orv_rule_table::kPeriodicRuleTexts, set.first, set.count);
  }
  // The async-mode family is the sync-mode one with its set references
  // renamed: its rules are copies, and bring no condition of their own.
  for (const OrvRuleFunction* sync : syncSets) {
    OrvRuleFunction& set = ruleSets_.emplaceBack(
        db_, &ruleSets_, &conditionList_, orv_rule_table::asyncRuleSetName(sync->getName()));
    set.deferRenamedCopies(sync, &orv_rule_table::asyncRuleSetName);
  }
  good_ = 1;
}

OrvRuleDb::~OrvRuleDb() {
  conditionList_.removeAll();
  ruleSets_.removeAll();
  rules_.removeAll();
}

OrvRuleFunction& OrvRuleDb::addRuleSet(const OrvString& name, const char* const* texts,
                                        int first, int count) {
  OrvRuleFunction& ruleSet = ruleSets_.emplaceBack(db_, &ruleSets_, &conditionList_, name);
  // The conditions take their places in the list now, in table order; the
  // rules are made when the set is first needed.
  for (int i = first; i < first + count; ++i)
    OrvRule::registerConditions(db_, &conditionList_, texts[i], &memo_);
  ruleSet.deferRuleTexts(texts, first, count, &memo_);
  return ruleSet;
}

int OrvRuleDb::evaluateAndGetAction(OrvString& action, OrvString& trace) {
  for (OrvListNode<OrvRule>* node = rules_.isEmpty() ? nullptr : rules_[0]; node != nullptr;
       node = node->next()) {
    if (node->data().evaluateAndGetAction(action, trace)) return 1;
    if (node->data().hasError()) error_ = 1;
  }
  return 0;
}

int OrvRuleDb::evaluateAndGetAction(OrvString& action, OrvList<OrvString>& matched) {
  OrvString trace;
  if (!evaluateAndGetAction(action, trace)) return 0;
  OrvRule::traceToLines(trace, conditionList_, matched);
  return 1;
}

void OrvRuleDb::printConditionList(std::ostream& file) const {
  int position = 0;
  for (OrvListNode<OrvCondition>* node = conditionList_.isEmpty() ? nullptr : conditionList_[0];
       node != nullptr; node = node->next(), ++position) {
    file << position << " : " << node->data().getConditionStr() << '\n';
  }
}

void OrvRuleDb::printSubRuleList(std::ostream& file) const {
  int position = 0;
  for (OrvListNode<OrvRuleFunction>* node = ruleSets_.isEmpty() ? nullptr : ruleSets_[0];
       node != nullptr; node = node->next(), ++position) {
    file << position << " : " << node->data() << '\n';
  }
}

void OrvRuleDb::printRule(std::ostream& file) const {
  const OrvString noPrefix;
  for (OrvListNode<OrvRule>* node = rules_.isEmpty() ? nullptr : rules_[0]; node != nullptr;
       node = node->next()) {
    node->data().printRuleOut(noPrefix, file);
  }
}
