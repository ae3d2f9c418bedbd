#include "rules/orv_rule.h"

OrvRuleFunction::OrvRuleFunction(OrvObjectDb* db, OrvList<OrvRuleFunction>* ruleSets,
                                 OrvList<OrvCondition>* conditionList, const OrvString& name)
    : name_(name), db_(db), ruleSets_(ruleSets), conditionList_(conditionList) {}

OrvRuleFunction::OrvRuleFunction(const OrvRuleFunction& other)
    : name_(other.name_),
      db_(other.db_),
      ruleSets_(other.ruleSets_),
      conditionList_(other.conditionList_) {
  other.build();
  rules_ = other.rules_;
}

OrvRuleFunction& OrvRuleFunction::operator=(const OrvRuleFunction& other) {
  if (this == &other) return *this;
  other.build();
  name_ = other.name_;
  rules_ = other.rules_;
  db_ = other.db_;
  ruleSets_ = other.ruleSets_;
  conditionList_ = other.conditionList_;
  texts_ = nullptr;
  from_ = nullptr;
  return *this;
}

void OrvRuleFunction::build() const {
  if (texts_ != nullptr) {
    const char* const* texts = texts_;
    texts_ = nullptr;
    for (int i = first_; i < first_ + count_; ++i)
      rules_.emplaceBack(db_, ruleSets_, conditionList_, texts[i], memo_);
  }
  if (from_ != nullptr) {
    const OrvRuleFunction* from = from_;
    from_ = nullptr;
    const_cast<OrvRuleFunction*>(this)->insertRenamedCopies(*from, rename_);
  }
}

void OrvRuleFunction::deferRuleTexts(const char* const* texts, int first, int count,
                                     OrvConditionMemo* memo) {
  build();
  texts_ = texts;
  first_ = first;
  count_ = count;
  memo_ = memo;
}

void OrvRuleFunction::deferRenamedCopies(const OrvRuleFunction* other,
                                         OrvString (*rename)(const OrvString&)) {
  build();
  from_ = other;
  rename_ = rename;
}

const OrvList<OrvRule>& OrvRuleFunction::getRules() const {
  build();
  return rules_;
}

void OrvRuleFunction::insertObj(OrvRule& rule) {
  build();
  rules_.insertAtBack(rule);
}

void OrvRuleFunction::insertRenamedCopies(const OrvRuleFunction& other,
                                          OrvString (*rename)(const OrvString&)) {
  build();
  const OrvList<OrvRule>& rules = other.getRules();
  for (OrvListNode<OrvRule>* node = rules.isEmpty() ? nullptr : rules[0];
       node != nullptr; node = node->next()) {
    OrvRule& copy = rules_.emplaceBack(node->data());
    if (!copy.terminal_) copy.target_ = rename(copy.target_);
  }
}

int OrvRuleFunction::evaluateAndGetAction(OrvString& action, OrvString& trace) {
  build();
  for (OrvListNode<OrvRule>* node = rules_.isEmpty() ? nullptr : rules_[0]; node != nullptr;
       node = node->next()) {
    if (node->data().evaluateAndGetAction(action, trace)) return 1;
  }
  return 0;
}

void OrvRuleFunction::streamOut(std::ostream& os) const { getRules().streamOut(os, 0); }

void OrvRuleFunction::printRuleOut(const OrvString& prefix, std::ostream& os) const {
  build();
  for (OrvListNode<OrvRule>* node = rules_.isEmpty() ? nullptr : rules_[0]; node != nullptr;
       node = node->next()) {
    node->data().printRuleOut(prefix, os);
  }
}

std::ostream& operator<<(std::ostream& os, const OrvRuleFunction& ruleSet) {
  return os << "SubRuleSet " << ruleSet.getName();
}
