// Objects of the object database and their context-tagged value sets.
//
// An OrvObject is a named, typed entry: a product setting, a package
// configuration parameter or a run-time status.  Besides its current value it
// holds value sets, alternative values tagged with a context word; switching
// a context on (updateValuesByContext) copies the object's value for that
// context into its current value without validation.  Direct assignments
// (setValue) are validated against the declared type and the possible set:
//  - string: the possible set is a list of words separated by single
//    blanks; a value is accepted when it equals, ignoring case, one word or a
//    run of consecutive words joined by single blanks ("Not Started").  The
//    first refused value removes the word "devdebug" from the set.
//  - integer: the possible set "MIN-MAX..." gives an inclusive range (pieces
//    split at '-', read with atoi; anything after the second piece ignored).
//  - list, action: only the kind is checked.
//  - other declared types: the assignment is a no-op that reports success.
// An empty possible set restricts nothing.  Results are 1 (done) / 0
// (refused); nothing is logged here.

#ifndef OBJECTDB_ORV_OBJECT_H_
#define OBJECTDB_ORV_OBJECT_H_

#include <ostream>

#include "foundation/orv_list.h"
#include "foundation/orv_string.h"
#include "objectdb/orv_type.h"

enum objectTagType : int {  // 32-bit; any number may be stored
  COMMON_OBJ = 0,       // "common_obj": product settings
  APPLICATION_OBJ = 1,  // "application_obj": package configuration
  INTERNAL_OBJ = 2      // "internal_obj": status and working objects
};

// The word an object print shows for a tag; "" for any other number.
const char* orvTagName(int tag);

// One alternative value of an object, tagged with a context word.  Owns a
// deep copy of the value it was built from (which may be null).
class OrvValueSet {
 public:
  OrvValueSet();
  OrvValueSet(const OrvString& context, const OrvType* value);
  OrvValueSet(const OrvValueSet& other);
  OrvValueSet& operator=(const OrvValueSet& other);
  virtual ~OrvValueSet();

  OrvString getContext() const { return context_; }
  // The owned value (null when none); valid while the value set lives.
  OrvType* getValue() const { return value_; }

 private:
  OrvString context_;
  OrvType* value_;
};

// context ":" value (nothing after the colon for a null value).
std::ostream& operator<<(std::ostream& os, const OrvValueSet& set);

class OrvObject {
 public:
  OrvObject(const OrvString& name, int idx, objectTagType tag, int pre, int post,
            objectParaType type, const OrvString& possibleSet);
  // Copies everything but the value sets (the copy starts without any).
  OrvObject(const OrvObject& other);
  // Copies everything, value sets included.
  OrvObject& operator=(const OrvObject& other);
  ~OrvObject();

  const OrvString& getObjectName() const { return name_; }
  int getIdx() const { return idx_; }
  objectTagType getTag() const { return tag_; }
  int getPre() const { return pre_; }
  int getPost() const { return post_; }
  objectParaType getType() const { return type_; }
  // The current value, owned by the object; null when not set.
  OrvType* getValue() const { return value_; }
  OrvList<OrvValueSet> getValueSet() const { return valueSets_; }
  void setValueSet(const OrvList<OrvValueSet>& sets) { valueSets_ = sets; }
  OrvString getPossibleSet() const { return possibleSet_; }
  // The bounds an integer object's possible set allows; a bound the set
  // leaves out stays INT_MIN / INT_MAX.
  static void integerRange(const OrvString& possibleSet, int& min, int& max);

  // Validated assignment of a copy of v; a refusal keeps the old value.
  int setValue(const OrvType* v);
  // Converts text to the declared type (OrvTypeUtil::createType), drops the
  // current value and assigns the conversion through setValue(OrvType*).  A
  // refused text therefore leaves the object without a value.
  int setValue(const OrvString& text);

  // Text of a string object's value; "" for other types or no value.
  OrvString getStrValue() const;
  // List objects with a value: 1 when the list holds item (case-sensitive).
  int contains(const OrvString& item) const;
  // Walks a list value: reset != 0 starts at the first element.  1 and out :=
  // next element, or 0 when there is no value or the walk is past the end.
  int getNextListData(OrvString& out, int reset);
  // Appends item to a list object's value (creating a one-element value when
  // unset).  alreadyPresent := 1 when the list held it already (no change).
  // 1 on success; 0 for an object that is not of type list.
  int insertValue(OrvString item, int& alreadyPresent);

  // Appends (context, deep copy of value); the first set of a context counts.
  void addToValueSetList(const OrvString& context, const OrvType* value);
  // The first value set of that context (case-sensitive), or null.  The
  // pointer stays valid until the value sets change.
  OrvValueSet* getValueSetByContext(const OrvString& context) const;
  // Makes the value of that context current (no validation); objects
  // without such a value set keep their value.
  void updateValuesByContext(const OrvString& context);
  // The context under which the current value is recorded: the first value
  // set of the object's kind whose value equals it (integer, list), or the
  // first string value set (string objects, whatever the text).  1 and
  // context set, or 0.
  int findResourceGroup(OrvString& context) const;

 private:
  int acceptsString(const OrvString& text);
  int acceptsInteger(int v) const;

  OrvString name_;
  int idx_;
  objectTagType tag_;
  int pre_;
  int post_;
  objectParaType type_;
  OrvType* value_;
  OrvList<OrvValueSet> valueSets_;
  OrvString possibleSet_;
  int listCursor_;
};

// One line: name,idx,type,tag,pre,post,value,[{value sets}],possibleSet
std::ostream& operator<<(std::ostream& os, const OrvObject& object);

#endif  // OBJECTDB_ORV_OBJECT_H_
