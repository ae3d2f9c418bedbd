// OrvCondition: one comparison of a named object with a value, the smallest
// unit of the rule language ("StatusRCVolumeGroup = Stopped").
//
// The text is parsed once: the first of the characters '!', '=', '<', '>'
// decides the operator (=, !=, <, <=, >, >=); the trimmed text before it is
// the object name, the trimmed rest is the value ("Not Started" keeps its
// inner blank).  The object name is bound to its catalogue index (the object
// database reports a name it does not know); when the whole value text is
// itself an object name, the condition compares the two objects.
//
// evaluate() compares the object's current value with the value, by the
// rules of OrvTypeUtil (strings ignore case, integers compare numerically).
// An object without a value, or a value of another kind, makes "=", "<" and
// "<=" false and, being negations, "!=", ">" and ">=" true.  A missing object
// makes the condition false and sets its error flag, which stays set.
//
// Copyable; the database pointer is not owned.  Equality ignores the error
// flag and the database pointer.

#ifndef RULES_ORV_CONDITION_H_
#define RULES_ORV_CONDITION_H_

#include <ostream>

#include "foundation/orv_string.h"

class OrvObject;
class OrvObjectDb;
class OrvObjectNameIndex;

class OrvCondition {
 public:
  // Operator kinds as parsing produces them.
  enum {
    kEqual = 2,
    kNotEqual = 3,
    kLess = 4,
    kLessOrEqual = 5,
    kGreater = 6,
    kGreaterOrEqual = 7
  };

  // Parses text.  Throws OrvException("Condition operator is not in main
  // condition list!") when text holds none of the operator characters.
  OrvCondition(OrvObjectDb* db, const OrvString& text);
  // The same, looking names up in names (a snapshot of db, may be null)
  // first; a name names does not know is still looked up, and reported, by db.
  OrvCondition(OrvObjectDb* db, const OrvString& text, const OrvObjectNameIndex* names);
  OrvCondition(const OrvCondition& other) = default;
  OrvCondition& operator=(const OrvCondition& other) = default;
  ~OrvCondition() = default;

  // 1 when the comparison holds now, else 0.
  int evaluate();
  // The two primitives evaluate() combines: 1 or 0.
  int equal();
  int lessThan();

  int hasError() const { return error_; }

  // Object name, operator text (" = ", " != ", " < ", " <= ", " > ", " >= ";
  // an unknown kind as "[n]"), value.
  OrvString getConditionStr() const;

  int getOperator() const { return operator_; }
  int getObjectIndex() const { return objectIndex_; }
  const OrvString& getObjectName() const { return objectName_; }
  int getValueObjectIndex() const { return valueObjectIndex_; }
  const OrvString& getValueText() const { return value_; }

  friend bool operator==(const OrvCondition& a, const OrvCondition& b);

 private:
  // Runs equalType (wantLess 0) or lessThanType (wantLess 1) of the object's
  // value against the right-hand side.
  int compare(int wantLess);

  int operator_;
  int objectIndex_;
  OrvString objectName_;
  int valueObjectIndex_;
  OrvString value_;
  int error_;
  OrvObjectDb* db_;
  // The objects the indices name, found on first use.  Objects of the
  // database stay where they are for its whole life, so the pointers stay
  // good; this keeps the linear index search out of every evaluation.
  OrvObject* object_ = nullptr;
  OrvObject* valueObject_ = nullptr;
};

bool operator==(const OrvCondition& a, const OrvCondition& b);
std::ostream& operator<<(std::ostream& os, const OrvCondition& condition);

#endif  // RULES_ORV_CONDITION_H_
