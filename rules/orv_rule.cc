#include "rules/orv_rule.h"

#include <cstring>
#include <string>

#include "foundation/plain_text.h"
#include "rules/orv_exception.h"

namespace {

const char kConditionMissing[] = "Condition is not in main condition list!";

// A token of a rule text: the characters [begin, end).
struct Span {
  const char* begin;
  const char* end;
};

// The next token from *pos at the delimiter delim, as OrvString::strTok
// gives it: leading delimiters are skipped and an empty remainder is the end.
bool nextToken(const char*& pos, const char* end, char delim, Span& token) {
  while (pos < end && *pos == delim) ++pos;
  if (pos >= end) return false;
  const void* found = std::memchr(pos, delim, static_cast<size_t>(end - pos));
  const char* stop = found != nullptr ? static_cast<const char*>(found) : end;
  token.begin = pos;
  token.end = stop;
  pos = stop < end ? stop + 1 : end;
  return true;
}

void trim(Span& s) { orvTrimBounds(s.begin, s.end); }

// Rule-set names compare exactly (case-sensitive); most names of a table
// differ in length, which settles the comparison at once.
bool sameName(const OrvString& a, const OrvString& b) {
  return a.getLength() == b.getLength() && a == b;
}

}  // namespace

OrvRule::OrvRule(OrvObjectDb* db, OrvList<OrvRuleFunction>* ruleSets,
                 OrvList<OrvCondition>* conditionList, const OrvString& text)
    : terminal_(1),
      error_(0),
      db_(db),
      ruleSets_(ruleSets),
      conditionList_(conditionList) {
  parse(text.getValue(), nullptr);
}

OrvRule::OrvRule(OrvObjectDb* db, OrvList<OrvRuleFunction>* ruleSets,
                 OrvList<OrvCondition>* conditionList, const char* text, OrvConditionMemo* memo)
    : terminal_(1),
      error_(0),
      db_(db),
      ruleSets_(ruleSets),
      conditionList_(conditionList) {
  parse(text, memo);
}

namespace {

// Splits a rule text by the rules of OrvString::strTok (leading delimiters
// skipped, empty tokens never returned), on plain characters so that a
// table of a thousand rules builds quickly: onPiece gets each trimmed
// condition text (in scratch), target the trimmed part after the ':'.
template <class OnPiece>
void splitRule(const char* text, std::string& scratch, Span& target, OnPiece onPiece) {
  const char* pos = text != nullptr ? text : "";
  const char* const end = pos + std::strlen(pos);
  Span conditionPart = {end, end};
  target = {end, end};
  if (nextToken(pos, end, ':', conditionPart)) nextToken(pos, end, ';', target);

  trim(conditionPart);
  const char* at = conditionPart.begin;
  Span piece;
  while (nextToken(at, conditionPart.end, ',', piece)) {
    trim(piece);
    if (piece.begin == piece.end) continue;
    scratch.assign(piece.begin, piece.end);
    onPiece(scratch);
  }
  trim(target);
}

}  // namespace

void OrvRule::parse(const char* text, OrvConditionMemo* memo) {
  // One buffer for the pieces of every rule of a table.
  std::string own;
  Span target;
  splitRule(text, memo != nullptr ? memo->scratch : own, target,
            [&](const std::string& piece) { conditions_.insertAtBack(entryFor(piece, memo)); });
  if (target.begin < target.end && *target.begin == '%') {
    terminal_ = 0;
    ++target.begin;
  }
  target_.setValue(target.begin, static_cast<size_t>(target.end - target.begin));
}

void OrvRule::registerConditions(OrvObjectDb* db, OrvList<OrvCondition>* conditionList,
                                 const char* text, OrvConditionMemo* memo) {
  std::string own;
  Span target;
  int error = 0;
  splitRule(text, memo != nullptr ? memo->scratch : own, target, [&](const std::string& piece) {
    conditionEntry(db, conditionList, piece, memo, error);
  });
}

OrvCondition* OrvRule::entryFor(const std::string& conditionText, OrvConditionMemo* memo) {
  return conditionEntry(db_, conditionList_, conditionText, memo, error_);
}

OrvCondition* OrvRule::conditionEntry(OrvObjectDb* db, OrvList<OrvCondition>* conditionList,
                                      const std::string& conditionText, OrvConditionMemo* memo,
                                      int& error) {
  if (memo != nullptr) {
    auto known = memo->entries.find(conditionText);
    if (known != memo->entries.end()) return known->second;
  }
  OrvCondition condition(db, conditionText.c_str(), memo != nullptr ? memo->names : nullptr);
  if (conditionList == nullptr) {
    error = 1;
    throw OrvException(kConditionMissing);
  }
  int position = -1;
  if (!conditionList->search(condition, position)) {
    conditionList->insertAtBack(condition, position);
  }
  OrvListNode<OrvCondition>* entry =
      position >= 0 && position < conditionList->numObjects() ? (*conditionList)[position]
                                                               : nullptr;
  if (entry == nullptr) {
    error = 1;
    throw OrvException(kConditionMissing);
  }
  if (memo != nullptr && condition.getObjectIndex() != -1) {
    memo->entries.emplace(conditionText, &entry->data());
  }
  return &entry->data();
}

int OrvRule::evaluateAndGetAction(OrvString& action, OrvString& trace) {
  // The path is put together aside and joined to the trace once.
  std::string path;
  for (OrvListNode<OrvCondition*>* node = conditions_.isEmpty() ? nullptr : conditions_[0];
       node != nullptr; node = node->next()) {
    OrvCondition* condition = node->data();
    if (!condition->evaluate()) {
      if (condition->hasError()) error_ = 1;
      return 0;
    }
    int position = -1;
    conditionList_->search(*condition, position);
    if (!path.empty()) path += '-';
    path += std::to_string(position);
  }
  if (trace.getLength() > 0) {
    std::string joined(trace.getValue());
    joined += '-';
    joined += path;
    trace = joined.c_str();
  } else if (!path.empty()) {
    trace = path.c_str();
  }

  if (terminal_) {
    action = target_;
    return 1;
  }
  if (ruleSets_ == nullptr || ruleSets_->isEmpty()) return 0;
  for (OrvListNode<OrvRuleFunction>* node = (*ruleSets_)[0]; node != nullptr;
       node = node->next()) {
    if (sameName(node->data().getName(), target_) &&
        node->data().evaluateAndGetAction(action, trace)) {
      return 1;
    }
  }
  return 0;
}

int OrvRule::evaluateAndGetAction(OrvString& action, OrvList<OrvString>& matched) {
  OrvString trace;
  if (!evaluateAndGetAction(action, trace)) return 0;
  if (conditionList_ != nullptr) traceToLines(trace, *conditionList_, matched);
  return 1;
}

void OrvRule::traceToLines(const OrvString& trace, const OrvList<OrvCondition>& conditionList,
                           OrvList<OrvString>& lines) {
  OrvString positions(trace);
  for (const char* token = positions.strTok("-", 1); token != nullptr;
       token = positions.strTok("-", 0)) {
    OrvString number(token);
    if (!number.isNumeric()) continue;
    const int position = number._atoi();
    if (position >= conditionList.numObjects()) continue;
    OrvString line(number);
    line += " : ";
    line += conditionList[position]->data().getConditionStr();
    lines.insertAtBack(line);
  }
}

OrvString OrvRule::conditionsText() const {
  OrvString text;
  for (OrvListNode<OrvCondition*>* node = conditions_.isEmpty() ? nullptr : conditions_[0];
       node != nullptr; node = node->next()) {
    if (text.getLength() > 0) text += ", ";
    text += node->data()->getConditionStr();
  }
  return text;
}

void OrvRule::printRuleOut(const OrvString& prefix, std::ostream& os) const {
  OrvString path(prefix);
  const OrvString own = conditionsText();
  if (path.getLength() > 0 && own.getLength() > 0) path += ", ";
  path += own;
  if (terminal_) {
    os << target_ << " : " << path << " : " << target_ << '\n';
    return;
  }
  if (ruleSets_ == nullptr || ruleSets_->isEmpty()) return;
  for (OrvListNode<OrvRuleFunction>* node = (*ruleSets_)[0]; node != nullptr;
       node = node->next()) {
    if (sameName(node->data().getName(), target_)) node->data().printRuleOut(path, os);
  }
}

void OrvRule::streamOut(const OrvString& name, std::ostream& os) const {
  if (ruleSets_ == nullptr || ruleSets_->isEmpty()) return;
  for (OrvListNode<OrvRuleFunction>* node = (*ruleSets_)[0]; node != nullptr;
       node = node->next()) {
    if (sameName(node->data().getName(), name)) {
      node->data().streamOut(os);
      return;
    }
  }
}

std::ostream& operator<<(std::ostream& os, const OrvRule& rule) {
  os << rule.conditionsText();
  if (rule.terminal_) {
    os << " : " << rule.target_;
  } else {
    rule.streamOut(rule.target_, os);
  }
  return os;
}
