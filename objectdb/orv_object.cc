#include "objectdb/orv_object.h"

#include <cctype>
#include <climits>
#include <cstring>
#include <string>

#include "foundation/plain_text.h"
#include "objectdb/int_text.h"

namespace {

// Removes the whole word from a blank-separated word list, with one of the
// blanks around it.
std::string withoutWord(const std::string& words, const std::string& word) {
  std::string padded = " " + words + " ";
  const std::string needle = " " + word + " ";
  size_t at = padded.find(needle);
  if (at == std::string::npos) return words;
  padded.erase(at, needle.size() - 1);
  // Strip the padding added above.
  if (padded.size() <= 2) return std::string();
  return padded.substr(1, padded.size() - 2);
}

// The upper bound of a range as the catalogue writes it: a number as atoi
// reads it, where "^E" right after the digits raises it to the power E and
// "-N" right after that subtracts N, as in "2^31-1".  At most INT_MAX.
long long rangeMaximum(const char* text) {
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  if (!isdigit(static_cast<unsigned char>(*p))) return orvAtoi(text);
  const long long base = orvAtoi(p);
  while (isdigit(static_cast<unsigned char>(*p))) ++p;
  if (*p != '^' || !isdigit(static_cast<unsigned char>(p[1]))) return base;
  const int exponent = orvAtoi(++p);
  while (isdigit(static_cast<unsigned char>(*p))) ++p;
  long long value = 1;
  if (base <= 1) {
    value = exponent == 0 ? 1 : base;
  } else {
    for (int i = 0; i < exponent && value <= INT_MAX; ++i) value *= base;
  }
  if (*p == '-' && isdigit(static_cast<unsigned char>(p[1]))) value -= orvAtoi(p + 1);
  return value > INT_MAX ? INT_MAX : value;
}

}  // namespace

const char* orvTagName(int tag) {
  switch (tag) {
    case COMMON_OBJ: return "common_obj";
    case APPLICATION_OBJ: return "application_obj";
    case INTERNAL_OBJ: return "internal_obj";
    default: return "";
  }
}

OrvValueSet::OrvValueSet() : value_(nullptr) {}

OrvValueSet::OrvValueSet(const OrvString& context, const OrvType* value)
    : context_(context), value_(OrvTypeUtil::createType(value)) {}

OrvValueSet::OrvValueSet(const OrvValueSet& other)
    : context_(other.context_), value_(OrvTypeUtil::createType(other.value_)) {}

OrvValueSet& OrvValueSet::operator=(const OrvValueSet& other) {
  if (this == &other) return *this;
  OrvType* copy = OrvTypeUtil::createType(other.value_);
  delete value_;
  value_ = copy;
  context_ = other.context_;
  return *this;
}

OrvValueSet::~OrvValueSet() { delete value_; }

std::ostream& operator<<(std::ostream& os, const OrvValueSet& set) {
  os << set.getContext() << ":";
  if (set.getValue() != nullptr) os << *set.getValue();
  return os;
}

OrvObject::OrvObject(const OrvString& name, int idx, objectTagType tag, int pre, int post,
                     objectParaType type, const OrvString& possibleSet)
    : name_(name), idx_(idx), tag_(tag), pre_(pre), post_(post), type_(type),
      value_(nullptr), possibleSet_(possibleSet), listCursor_(0) {}

OrvObject::OrvObject(const OrvObject& other)
    : name_(other.name_), idx_(other.idx_), tag_(other.tag_), pre_(other.pre_),
      post_(other.post_), type_(other.type_), value_(OrvTypeUtil::createType(other.value_)),
      possibleSet_(other.possibleSet_), listCursor_(0) {}

OrvObject& OrvObject::operator=(const OrvObject& other) {
  if (this == &other) return *this;
  name_ = other.name_;
  idx_ = other.idx_;
  tag_ = other.tag_;
  pre_ = other.pre_;
  post_ = other.post_;
  type_ = other.type_;
  OrvType* copy = OrvTypeUtil::createType(other.value_);
  delete value_;
  value_ = copy;
  valueSets_ = other.valueSets_;
  possibleSet_ = other.possibleSet_;
  return *this;
}

OrvObject::~OrvObject() { delete value_; }

int OrvObject::acceptsString(const OrvString& text) {
  const std::string set(possibleSet_.getValue());
  if (set.empty()) return 1;
  // Words are separated by single blanks, so a run of consecutive words
  // joined by single blanks is exactly a blank-bounded piece of the set.
  const std::string value(text.getValue());
  if (!value.empty() && value.front() != ' ' && value.back() != ' ' &&
      (" " + orvUpperText(set) + " ").find(" " + orvUpperText(value) + " ") != std::string::npos) {
    return 1;
  }
  // "devdebug" is accepted only until the first refusal.
  possibleSet_ = withoutWord(set, "devdebug").c_str();
  return 0;
}

void OrvObject::integerRange(const OrvString& possibleSet, int& min, int& max) {
  min = INT_MIN;
  max = INT_MAX;
  // "MIN-MAX": the pieces split at runs of '-', as strTok splits them.
  const char* first = possibleSet.getValue();
  while (*first == '-') ++first;
  if (*first == '\0') return;
  min = orvAtoi(first);
  const char* second = strchr(first, '-');
  if (second == nullptr) return;
  while (*second == '-') ++second;
  if (*second != '\0') max = static_cast<int>(rangeMaximum(second));
}

int OrvObject::acceptsInteger(int v) const {
  if (possibleSet_.getLength() == 0) return 1;
  int min = 0;
  int max = 0;
  integerRange(possibleSet_, min, max);
  return v >= min && v <= max ? 1 : 0;
}

int OrvObject::setValue(const OrvType* v) {
  if (v == nullptr) return 0;
  switch (type_) {
    case STRING_TYPE: {
      const OrvStrVal* s = dynamic_cast<const OrvStrVal*>(v);
      if (s == nullptr || !acceptsString(s->getValue())) return 0;
      break;
    }
    case INTEGER_TYPE: {
      const OrvIntVal* i = dynamic_cast<const OrvIntVal*>(v);
      if (i == nullptr || !acceptsInteger(i->getValue())) return 0;
      break;
    }
    case LIST_TYPE:
      if (dynamic_cast<const OrvListVal*>(v) == nullptr) return 0;
      break;
    case ACTION_TYPE:
      if (dynamic_cast<const OrvActionVal*>(v) == nullptr) return 0;
      break;
    default:
      return 1;  // declared types without values: nothing to assign
  }
  OrvType* copy = OrvTypeUtil::createType(v);
  if (copy == nullptr) return 0;
  delete value_;
  value_ = copy;
  return 1;
}

int OrvObject::setValue(const OrvString& text) {
  OrvType* converted = OrvTypeUtil::createType(type_, text);
  delete value_;
  value_ = nullptr;
  const int result = setValue(converted);
  delete converted;
  return result;
}

OrvString OrvObject::getStrValue() const {
  OrvString out;
  if (type_ == STRING_TYPE && value_ != nullptr) value_->getValue(out);
  return out;
}

int OrvObject::contains(const OrvString& item) const {
  if (type_ != LIST_TYPE) return 0;
  const OrvListVal* list = dynamic_cast<const OrvListVal*>(value_);
  return list != nullptr ? list->contains(item) : 0;
}

int OrvObject::getNextListData(OrvString& out, int reset) {
  const OrvListVal* list = dynamic_cast<const OrvListVal*>(value_);
  if (list == nullptr) return 0;
  if (reset) listCursor_ = 0;
  if (listCursor_ < 0 || listCursor_ >= list->getValue().numObjects()) return 0;
  out = list->getValue()[listCursor_]->data();
  ++listCursor_;
  return 1;
}

int OrvObject::insertValue(OrvString item, int& alreadyPresent) {
  if (type_ != LIST_TYPE) return 0;
  alreadyPresent = 0;
  OrvListVal* list = dynamic_cast<OrvListVal*>(value_);
  if (list == nullptr) {
    OrvList<OrvString> one;
    one.insertAtBack(item);
    OrvListVal fresh(one);
    return setValue(&fresh);
  }
  if (list->contains(item)) {
    alreadyPresent = 1;
    return 1;
  }
  list->getValue().insertAtBack(item);
  return 1;
}

void OrvObject::addToValueSetList(const OrvString& context, const OrvType* value) {
  valueSets_.insertAtBack(OrvValueSet(context, value));
}

OrvValueSet* OrvObject::getValueSetByContext(const OrvString& context) const {
  for (int i = 0; i < valueSets_.numObjects(); ++i) {
    OrvValueSet& set = valueSets_[i]->data();
    if (set.getContext() == context) return &set;
  }
  return nullptr;
}

void OrvObject::updateValuesByContext(const OrvString& context) {
  const OrvValueSet* set = getValueSetByContext(context);
  if (set == nullptr) return;
  OrvType* copy = OrvTypeUtil::createType(set->getValue());
  delete value_;
  value_ = copy;
}

int OrvObject::findResourceGroup(OrvString& context) const {
  for (int i = 0; i < valueSets_.numObjects(); ++i) {
    const OrvValueSet& set = valueSets_[i]->data();
    const OrvType* candidate = set.getValue();
    if (candidate == nullptr || candidate->getType() != type_) continue;
    bool match = false;
    switch (type_) {
      case INTEGER_TYPE:
      case LIST_TYPE:
        match = value_ != nullptr && OrvTypeUtil::equalType(value_, candidate);
        break;
      case STRING_TYPE:
        match = dynamic_cast<const OrvStrVal*>(candidate) != nullptr;
        break;
      default:
        break;
    }
    if (match) {
      context = set.getContext();
      return 1;
    }
  }
  return 0;
}

std::ostream& operator<<(std::ostream& os, const OrvObject& object) {
  os << object.getObjectName() << ',' << object.getIdx() << ',' << orvTypeName(object.getType())
     << ',' << orvTagName(object.getTag()) << ',' << object.getPre() << ',' << object.getPost()
     << ',';
  if (object.getValue() != nullptr) os << *object.getValue();
  os << ",[" << object.getValueSet() << "]," << object.getPossibleSet() << std::endl;
  return os;
}
