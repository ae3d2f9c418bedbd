// Typed values held by the objects of the object database.
//
// OrvType is the polymorphic base of a closed set of value kinds, named by
// objectParaType: OrvIntVal (integer), OrvStrVal (string), OrvListVal (list
// of strings) and OrvActionVal (a named member function of the replication
// controller).  Each value class overrides only the getValue(...) overload of
// its own kind (copy into the argument, return 1); every other overload
// returns 0 and leaves its argument untouched.  OrvActionVal overrides none:
// its contents are read through getActionName() and getValue().
//
// Holders (objects, value sets) own their value and delete it through the
// virtual destructor; values move between holders only as deep copies made
// by OrvTypeUtil::createType(OrvType*).
//
// Comparisons used by the rule engine: string equality ignores case, string
// ordering is the byte order of the upper-cased texts, lists are equal when
// they contain each other's elements regardless of order, actions are never
// equal and lists and actions have no order.

#ifndef OBJECTDB_ORV_TYPE_H_
#define OBJECTDB_ORV_TYPE_H_

#include <ostream>

#include "foundation/orv_list.h"
#include "foundation/orv_string.h"

class OrvRCVexa;

// A takeover action or building block of the replication controller.
typedef int (OrvRCVexa::*OrvActionFunction)();

enum objectParaType : int {  // 32-bit; any number may be stored
  INTEGER_TYPE = 0,
  STRING_TYPE = 1,
  LIST_TYPE = 2,
  ACTION_TYPE = 3,
  FWVERSION_TYPE = 4,  // declared, no value class
  RMVERSION_TYPE = 5,  // declared, no value class
  TAG_TYPE = 6         // marker objects heading a catalogue group
};

// The word an object print shows for a type: "integer", "string", "list",
// "action", "fwversion", "rmversion", "tag"; "" for any other number.
const char* orvTypeName(int type);

class OrvType {
 public:
  explicit OrvType(objectParaType type) : type_(type) {}
  virtual ~OrvType() {}

  objectParaType getType() const { return type_; }

  virtual int getValue(int& out) const;
  virtual int getValue(OrvString& out) const;
  virtual int getValue(OrvList<OrvString>& out) const;
  virtual int getValue(OrvActionFunction& out) const;

  // Prints the value; the base prints nothing.
  virtual void streamOut(std::ostream& os) const;

 protected:
  OrvType(const OrvType&) = default;
  OrvType& operator=(const OrvType&) = default;

 private:
  objectParaType type_;
};

std::ostream& operator<<(std::ostream& os, const OrvType& value);

class OrvIntVal : public OrvType {
 public:
  explicit OrvIntVal(int value) : OrvType(INTEGER_TYPE), value_(value) {}
  OrvIntVal(const OrvIntVal&) = default;
  OrvIntVal& operator=(const OrvIntVal&) = default;

  using OrvType::getValue;
  int getValue(int& out) const override;
  int getValue() const { return value_; }
  operator int() const { return value_; }

  void streamOut(std::ostream& os) const override;  // decimal number

 private:
  int value_;
};

bool operator==(const OrvIntVal& a, int b);
bool operator<(const OrvIntVal& a, int b);

class OrvStrVal : public OrvType {
 public:
  explicit OrvStrVal(const OrvString& value)
      : OrvType(STRING_TYPE), value_(value) {}
  OrvStrVal(const OrvStrVal& other) : OrvType(other), value_(other.value_) {}
  OrvStrVal& operator=(const OrvStrVal& other);

  using OrvType::getValue;
  int getValue(OrvString& out) const override;
  OrvString getValue() const { return value_; }

  void streamOut(std::ostream& os) const override;  // the text unchanged

 private:
  OrvString value_;
};

// Equal when the lower-cased texts are identical.
bool operator==(const OrvStrVal& a, const OrvStrVal& b);
// Byte order of the upper-cased texts: letters ignore case; '_' and '['
// sort after every letter.
bool operator<(const OrvStrVal& a, const OrvStrVal& b);

class OrvListVal : public OrvType {
 public:
  explicit OrvListVal(const OrvList<OrvString>& value)
      : OrvType(LIST_TYPE), value_(value) {}
  OrvListVal(const OrvListVal& other) : OrvType(other), value_(other.value_) {}
  OrvListVal& operator=(const OrvListVal& other);

  using OrvType::getValue;
  int getValue(OrvList<OrvString>& out) const override;
  // The list itself, modifiable in place.
  OrvList<OrvString>& getValue() { return value_; }
  const OrvList<OrvString>& getValue() const { return value_; }

  // 1 when an element equals item (case-sensitive), else 0.
  int contains(const OrvString& item) const;

  void streamOut(std::ostream& os) const override;  // list format

 private:
  OrvList<OrvString> value_;
};

// Same element count and each contains the other's elements (order and
// duplicates do not matter).
bool operator==(const OrvListVal& a, const OrvListVal& b);

class OrvActionVal : public OrvType {
 public:
  OrvActionVal(const OrvString& name, OrvActionFunction function)
      : OrvType(ACTION_TYPE), name_(name), function_(function) {}
  OrvActionVal(const OrvActionVal& other)
      : OrvType(other), name_(other.name_), function_(other.function_) {}
  OrvActionVal& operator=(const OrvActionVal& other);

  using OrvType::getValue;  // all four overloads return 0
  OrvString getActionName() const { return name_; }
  OrvActionFunction getValue() const { return function_; }

  void streamOut(std::ostream& os) const override;  // the action name

 private:
  OrvString name_;
  OrvActionFunction function_;
};

std::ostream& operator<<(std::ostream& os, const OrvActionVal& value);

class OrvTypeUtil {
 public:
  // A new value of the given type made from text, owned by the caller, or
  // nullptr.  String: any text.  Integer: digits only ("" gives 0; no sign,
  // no blanks; numbers beyond the int range saturate).  Every other type:
  // nullptr.
  static OrvType* createType(objectParaType type, const OrvString& text);
  // A new deep copy of value (types 0..3); nullptr for a null value or any
  // other type.
  static OrvType* createType(const OrvType* value);

  // 1 when a and b have the same type and are equal by that type's rule
  // (integers numerically, strings ignoring case, lists by containment);
  // actions and other types never compare equal.  0 for a null argument.
  static int equalType(const OrvType* a, const OrvType* b);
  // 1 when a and b have the same type and a < b (integers numerically,
  // strings by upper-cased byte order); lists, actions and other types 0.
  static int lessThanType(const OrvType* a, const OrvType* b);
};

#endif  // OBJECTDB_ORV_TYPE_H_
