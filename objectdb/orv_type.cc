#include "objectdb/orv_type.h"

#include <cctype>
#include <climits>
#include <string>

#include "foundation/plain_text.h"

namespace {

std::string lowerText(const OrvString& s) {
  std::string out(s.getValue(), static_cast<size_t>(s.getLength()));
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Value of a text that holds digits only, saturating at INT_MAX.
int digitsValue(const char* digits) {
  long long v = 0;
  for (const char* p = digits; *p != '\0'; ++p) {
    v = v * 10 + (*p - '0');
    if (v > INT_MAX) return INT_MAX;
  }
  return static_cast<int>(v);
}

}  // namespace

const char* orvTypeName(int type) {
  switch (type) {
    case INTEGER_TYPE: return "integer";
    case STRING_TYPE: return "string";
    case LIST_TYPE: return "list";
    case ACTION_TYPE: return "action";
    case FWVERSION_TYPE: return "fwversion";
    case RMVERSION_TYPE: return "rmversion";
    case TAG_TYPE: return "tag";
    default: return "";
  }
}

int OrvType::getValue(int&) const { return 0; }
int OrvType::getValue(OrvString&) const { return 0; }
int OrvType::getValue(OrvList<OrvString>&) const { return 0; }
int OrvType::getValue(OrvActionFunction&) const { return 0; }
void OrvType::streamOut(std::ostream&) const {}

std::ostream& operator<<(std::ostream& os, const OrvType& value) {
  value.streamOut(os);
  return os;
}

int OrvIntVal::getValue(int& out) const {
  out = value_;
  return 1;
}

void OrvIntVal::streamOut(std::ostream& os) const { os << value_; }

bool operator==(const OrvIntVal& a, int b) { return a.getValue() == b; }
bool operator<(const OrvIntVal& a, int b) { return a.getValue() < b; }

OrvStrVal& OrvStrVal::operator=(const OrvStrVal& other) {
  OrvType::operator=(other);
  value_ = other.value_;
  return *this;
}

int OrvStrVal::getValue(OrvString& out) const {
  out = value_;
  return 1;
}

void OrvStrVal::streamOut(std::ostream& os) const { os << value_; }

bool operator==(const OrvStrVal& a, const OrvStrVal& b) {
  return lowerText(a.getValue()) == lowerText(b.getValue());
}

bool operator<(const OrvStrVal& a, const OrvStrVal& b) {
  // Lower-casing first and upper-casing after leaves every letter upper-case
  // and every other byte as it was.  std::string compares as unsigned bytes.
  return orvUpperText(a.getValue().getValue()).compare(orvUpperText(b.getValue().getValue())) < 0;
}

OrvListVal& OrvListVal::operator=(const OrvListVal& other) {
  OrvType::operator=(other);
  value_ = other.value_;
  return *this;
}

int OrvListVal::getValue(OrvList<OrvString>& out) const {
  out = value_;
  return 1;
}

int OrvListVal::contains(const OrvString& item) const { return value_.contain(item); }

void OrvListVal::streamOut(std::ostream& os) const { os << value_; }

bool operator==(const OrvListVal& a, const OrvListVal& b) {
  return a.getValue().equalByContain(b.getValue()) != 0;
}

OrvActionVal& OrvActionVal::operator=(const OrvActionVal& other) {
  OrvType::operator=(other);
  name_ = other.name_;
  function_ = other.function_;
  return *this;
}

void OrvActionVal::streamOut(std::ostream& os) const { os << name_; }

std::ostream& operator<<(std::ostream& os, const OrvActionVal& value) {
  value.streamOut(os);
  return os;
}

OrvType* OrvTypeUtil::createType(objectParaType type, const OrvString& text) {
  switch (type) {
    case STRING_TYPE:
      return new OrvStrVal(text);
    case INTEGER_TYPE:
      if (!text.isNumeric()) return nullptr;
      return new OrvIntVal(digitsValue(text.getValue()));
    default:
      return nullptr;
  }
}

OrvType* OrvTypeUtil::createType(const OrvType* value) {
  // The class, not only the type field, decides: a bare OrvType carrying a
  // type number has no contents to copy.
  if (auto v = dynamic_cast<const OrvIntVal*>(value)) return new OrvIntVal(*v);
  if (auto v = dynamic_cast<const OrvStrVal*>(value)) return new OrvStrVal(*v);
  if (auto v = dynamic_cast<const OrvListVal*>(value)) return new OrvListVal(*v);
  if (auto v = dynamic_cast<const OrvActionVal*>(value)) return new OrvActionVal(*v);
  return nullptr;
}

int OrvTypeUtil::equalType(const OrvType* a, const OrvType* b) {
  if (a == nullptr || b == nullptr || a->getType() != b->getType()) return 0;
  {
    auto x = dynamic_cast<const OrvIntVal*>(a);
    auto y = dynamic_cast<const OrvIntVal*>(b);
    if (x && y) return x->getValue() == y->getValue();
  }
  {
    auto x = dynamic_cast<const OrvStrVal*>(a);
    auto y = dynamic_cast<const OrvStrVal*>(b);
    if (x && y) return *x == *y;
  }
  {
    auto x = dynamic_cast<const OrvListVal*>(a);
    auto y = dynamic_cast<const OrvListVal*>(b);
    if (x && y) return *x == *y;
  }
  return 0;  // actions are never equal; other types have no value
}

int OrvTypeUtil::lessThanType(const OrvType* a, const OrvType* b) {
  if (a == nullptr || b == nullptr || a->getType() != b->getType()) return 0;
  {
    auto x = dynamic_cast<const OrvIntVal*>(a);
    auto y = dynamic_cast<const OrvIntVal*>(b);
    if (x && y) return x->getValue() < y->getValue();
  }
  {
    auto x = dynamic_cast<const OrvStrVal*>(a);
    auto y = dynamic_cast<const OrvStrVal*>(b);
    if (x && y) return *x < *y;
  }
  return 0;
}
