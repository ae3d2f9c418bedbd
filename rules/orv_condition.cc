#include "rules/orv_condition.h"

#include <cstring>

#include "objectdb/orv_object.h"
#include "objectdb/orv_object_db.h"
#include "objectdb/orv_type.h"
#include "rules/orv_exception.h"
#include "rules/orv_object_names.h"

namespace {

const char kNoOperator[] = "Condition operator is not in main condition list!";

// The text of [from, to) of s, trimmed.
OrvString trimmedPart(const char* s, size_t from, size_t to) {
  std::string part(s + from, to - from);
  OrvString result(part.c_str());
  result.trim();
  return result;
}

}  // namespace

OrvCondition::OrvCondition(OrvObjectDb* db, const OrvString& text)
    : OrvCondition(db, text, nullptr) {}

OrvCondition::OrvCondition(OrvObjectDb* db, const OrvString& text,
                           const OrvObjectNameIndex* names)
    : operator_(0),
      objectIndex_(-1),
      valueObjectIndex_(-1),
      error_(0),
      db_(db) {
  const char* s = text.getValue();
  const size_t length = std::strlen(s);
  const char* found = std::strpbrk(s, "!=<>");
  if (found == nullptr) {
    error_ = 1;
    throw OrvException(kNoOperator);
  }
  const size_t at = static_cast<size_t>(found - s);
  size_t valueStart = at + 1;
  switch (*found) {
    case '=':
      operator_ = kEqual;
      break;
    case '!':
      // The character after '!' is taken as the '=' of "!=" whatever it is;
      // a text ending in '!' simply has an empty value.
      operator_ = kNotEqual;
      if (valueStart < length) ++valueStart;
      break;
    case '<':
      operator_ = kLess;
      if (s[at + 1] == '=') {
        operator_ = kLessOrEqual;
        ++valueStart;
      }
      break;
    default:  // '>'
      operator_ = kGreater;
      if (s[at + 1] == '=') {
        operator_ = kGreaterOrEqual;
        ++valueStart;
      }
      break;
  }
  value_ = trimmedPart(s, valueStart, length);
  objectName_ = trimmedPart(s, 0, at);

  if (db_ == nullptr) return;
  int idx = -1;
  if (names != nullptr ? names->find(value_.getValue(), idx)
                       : db_->getIndexByObjectName(value_, idx, 0)) {
    valueObjectIndex_ = idx;
  }
  idx = -1;
  if ((names != nullptr && names->find(objectName_.getValue(), idx)) ||
      db_->getIndexByObjectName(objectName_, idx, 1)) {
    objectIndex_ = idx;
  }
}

int OrvCondition::compare(int wantLess) {
  if (object_ == nullptr &&
      (db_ == nullptr || !db_->getObjectByIndex(objectIndex_, object_) || object_ == nullptr)) {
    object_ = nullptr;
    error_ = 1;
    return 0;
  }
  const OrvType* left = object_->getValue();
  if (left == nullptr) return 0;

  const OrvType* right = nullptr;
  OrvType* temporary = nullptr;
  if (valueObjectIndex_ != -1) {
    if (valueObject_ == nullptr &&
        (!db_->getObjectByIndex(valueObjectIndex_, valueObject_) || valueObject_ == nullptr)) {
      valueObject_ = nullptr;
      error_ = 1;
      return 0;
    }
    right = valueObject_->getValue();
    if (right == nullptr) return 0;
  } else {
    temporary = OrvTypeUtil::createType(left->getType(), value_);
    if (temporary == nullptr) return 0;
    right = temporary;
  }
  const int result = wantLess ? OrvTypeUtil::lessThanType(left, right)
                              : OrvTypeUtil::equalType(left, right);
  delete temporary;
  return result ? 1 : 0;
}

int OrvCondition::equal() { return compare(0); }

int OrvCondition::lessThan() { return compare(1); }

int OrvCondition::evaluate() {
  switch (operator_) {
    case kEqual:
      return equal();
    case kNotEqual:
      return !equal();
    case kLess:
      return lessThan();
    case kLessOrEqual:
      return equal() || lessThan();
    case kGreater:
      return !equal() && !lessThan();
    case kGreaterOrEqual:
      return !lessThan();
    default:
      return 0;
  }
}

OrvString OrvCondition::getConditionStr() const {
  OrvString result = objectName_;
  switch (operator_) {
    case kEqual:
      result += " = ";
      break;
    case kNotEqual:
      result += " != ";
      break;
    case kLess:
      result += " < ";
      break;
    case kLessOrEqual:
      result += " <= ";
      break;
    case kGreater:
      result += " > ";
      break;
    case kGreaterOrEqual:
      result += " >= ";
      break;
    default:
      result += '[';
      result += operator_;
      result += ']';
      break;
  }
  result += value_;
  return result;
}

bool operator==(const OrvCondition& a, const OrvCondition& b) {
  return a.operator_ == b.operator_ && a.objectIndex_ == b.objectIndex_ &&
         a.objectName_ == b.objectName_ && a.valueObjectIndex_ == b.valueObjectIndex_ &&
         a.value_ == b.value_;
}

std::ostream& operator<<(std::ostream& os, const OrvCondition& condition) {
  return os << condition.getConditionStr();
}
