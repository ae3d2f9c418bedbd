#include "rules/orv_rule.h"

OrvRuleFunction::OrvRuleFunction(OrvObjectDb* db, OrvList<OrvRuleFunction>* ruleSets,
                                 OrvList<OrvCondition>* conditionList, const OrvString& name)
    : name_(name), db_(db), ruleSets_(ruleSets), conditionList_(conditionList) {}

void OrvRuleFunction::insertObj(OrvRule& rule) { rules_.insertAtBack(rule); }

void OrvRuleFunction::insertRuleText(const char* text, OrvConditionMemo* memo) {
  rules_.emplaceBack(db_, ruleSets_, conditionList_, text, memo);
}

void OrvRuleFunction::insertRenamedCopies(const OrvRuleFunction& other,
                                          OrvString (*rename)(const OrvString&)) {
  for (OrvListNode<OrvRule>* node = other.rules_.isEmpty() ? nullptr : other.rules_[0];
       node != nullptr; node = node->next()) {
    OrvRule& copy = rules_.emplaceBack(node->data());
    if (!copy.terminal_) copy.target_ = rename(copy.target_);
  }
}

int OrvRuleFunction::evaluateAndGetAction(OrvString& action, OrvString& trace) {
  for (OrvListNode<OrvRule>* node = rules_.isEmpty() ? nullptr : rules_[0]; node != nullptr;
       node = node->next()) {
    if (node->data().evaluateAndGetAction(action, trace)) return 1;
  }
  return 0;
}

void OrvRuleFunction::streamOut(std::ostream& os) const { rules_.streamOut(os, 0); }

void OrvRuleFunction::printRuleOut(const OrvString& prefix, std::ostream& os) const {
  for (OrvListNode<OrvRule>* node = rules_.isEmpty() ? nullptr : rules_[0]; node != nullptr;
       node = node->next()) {
    node->data().printRuleOut(prefix, os);
  }
}

std::ostream& operator<<(std::ostream& os, const OrvRuleFunction& ruleSet) {
  return os << "SubRuleSet " << ruleSet.getName();
}
