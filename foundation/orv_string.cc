#include "foundation/orv_string.h"

#include "foundation/plain_text.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

// Working-buffer limit of getSubStr, lowerCase and upperCase.
const size_t kMaxWorkChars = 1023;

int caseInsensitiveCompare(const OrvString& a, const OrvString& b) {
  return strcmp(orvUpperText(a.getValue()).c_str(), orvUpperText(b.getValue()).c_str());
}

void skipLeadingBlanks(const char*& begin, const char* end) {
  while (begin < end && (*begin == ' ' || *begin == '\t')) ++begin;
}

void dropTrailingSpace(const char* begin, const char*& end) {
  while (end > begin && (end[-1] == ' ' || end[-1] == '\t' || end[-1] == '\n' || end[-1] == '\r'))
    --end;
}

}  // namespace

std::string orvUpperText(const std::string& text) {
  std::string r(text);
  for (char& c : r) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return r;
}

std::string orvVisibleText(const std::string& text) {
  std::string r(text);
  for (char& c : r)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  return r;
}

void orvTrimBounds(const char*& begin, const char*& end) {
  skipLeadingBlanks(begin, end);
  dropTrailingSpace(begin, end);
}

OrvString::OrvString() {}

// A new string has no buffers of its own to protect: the value is copied
// straight in, as setValue() would leave it.
OrvString::OrvString(const char* s) : value_(s != nullptr ? s : "") {
  length_ = static_cast<int>(value_.size());
  workPending_ = true;
}

OrvString::OrvString(const OrvString& other) : value_(other.getValue()) {
  length_ = static_cast<int>(value_.size());
  workPending_ = true;
}

OrvString::OrvString(int size) {
  if (size > 0) {
    value_.reserve(size);
    work_.reserve(size);
    token_.reserve(size);
  }
}

OrvString::~OrvString() {}

void OrvString::freeMemory() {
  value_.clear();
  work_.clear();
  token_.clear();
  workPos_ = 0;
  workPending_ = false;
  length_ = 0;
}

bool OrvString::inBuffers(const char* s) const {
  std::less_equal<const char*> le;
  for (const std::string* b : {&value_, &work_, &token_})
    if (le(b->data(), s) && le(s, b->data() + b->size())) return true;
  return false;
}

void OrvString::syncWork() {
  if (!workPending_) return;
  work_ = value_;
  workPending_ = false;
}

void OrvString::setValue(const char* s) {
  if (s != nullptr && inBuffers(s)) {
    // s points into this string's own buffers: copy it before clearing.
    std::string text(s);
    freeMemory();
    value_ = text;
  } else {
    freeMemory();
    value_ = s ? s : "";
  }
  workPending_ = true;
  length_ = static_cast<int>(value_.size());
}

void OrvString::setValue(const char* s, size_t n) {
  if (inBuffers(s)) {
    const std::string text(s, n);
    freeMemory();
    value_ = text;
  } else {
    freeMemory();
    value_.assign(s, n);
  }
  workPending_ = true;
  length_ = static_cast<int>(value_.size());
}

OrvString& OrvString::operator=(const OrvString& other) {
  if (this == &other) return *this;
  if (length_ != other.length_) {
    endOfTokens_ = 0;
    setValue(other.getValue());
  } else {
    syncWork();
    value_ = other.value_;
  }
  return *this;
}

OrvString& OrvString::operator=(const char* s) {
  if (s == nullptr) {
    setValue("");
  } else if (strlen(s) == static_cast<size_t>(length_)) {
    syncWork();
    value_.assign(s, length_);
  } else {
    setValue(s);
  }
  return *this;
}

OrvString& OrvString::operator=(int n) {
  char buf[32];
  snprintf(buf, sizeof(buf), "%d", n);
  return *this = static_cast<const char*>(buf);
}

OrvString& OrvString::operator=(char c) {
  char buf[2] = {c, '\0'};
  return *this = static_cast<const char*>(buf);
}

char* OrvString::operator[](int i) {
  if (i < 0 || i > length_) return nullptr;
  // The caller may write through the pointer; the tokenizer keeps the value
  // it was given.
  syncWork();
  return &value_[i];
}

const char* OrvString::operator[](int i) const {
  if (i < 0 || i > length_) return nullptr;
  return value_.c_str() + i;
}

int OrvString::getSubStr(int from, int to, OrvString& out) const {
  if (from < 0 || from > to || from >= length_) return 0;
  if (to >= length_) to = length_ - 1;
  size_t count = static_cast<size_t>(to - from + 1);
  if (count > kMaxWorkChars) count = kMaxWorkChars;
  out = value_.substr(from, count).c_str();
  return 1;
}

int OrvString::contains(const char* needle) const {
  if (needle == nullptr) return 0;
  return strstr(value_.c_str(), needle) != nullptr ? 1 : 0;
}

OrvString& OrvString::operator+=(const OrvString& other) {
  OrvString joined(length_ + other.length_);
  joined.setValue((value_ + other.value_).c_str());
  return *this = joined;
}

OrvString& OrvString::operator+=(int n) {
  char buf[32];
  snprintf(buf, sizeof(buf), "%d", n);
  return *this += OrvString(static_cast<const char*>(buf));
}

OrvString& OrvString::operator+=(char c) {
  char buf[2] = {c, '\0'};
  return *this += OrvString(static_cast<const char*>(buf));
}

void OrvString::concat(const char* a, const char* b) {
  std::string joined(a ? a : "");
  joined += (b ? b : "");
  *this = joined.c_str();
}

void OrvString::toLowerCase() {
  syncWork();  // a pass not yet begun keeps the text it was set with
  for (int i = 0; i < length_; ++i)
    value_[i] = static_cast<char>(tolower(static_cast<unsigned char>(value_[i])));
}

void OrvString::toUpperCase() {
  syncWork();  // a pass not yet begun keeps the text it was set with
  for (int i = 0; i < length_; ++i)
    value_[i] = static_cast<char>(toupper(static_cast<unsigned char>(value_[i])));
}

OrvString OrvString::lowerCase() const {
  std::string r = value_.substr(0, kMaxWorkChars);
  for (char& c : r) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return OrvString(r.c_str());
}

OrvString OrvString::upperCase() const {
  return OrvString(orvUpperText(value_.substr(0, kMaxWorkChars)).c_str());
}

void OrvString::trimLeft() {
  const char* begin = value_.data();
  skipLeadingBlanks(begin, value_.data() + value_.size());
  if (begin != value_.data()) setValue(value_.substr(begin - value_.data()).c_str());
}

void OrvString::trimRight() {
  const char* end = value_.data() + value_.size();
  dropTrailingSpace(value_.data(), end);
  const size_t n = static_cast<size_t>(end - value_.data());
  if (n < value_.size()) setValue(value_.substr(0, n).c_str());
}

void OrvString::trim() {
  trimLeft();
  trimRight();
}

int OrvString::isNumeric() const {
  for (char c : value_)
    if (c < '0' || c > '9') return 0;
  return 1;
}

int OrvString::isDigit() const {
  for (int i = 0; i < length_; ++i)
    if (!isdigit(static_cast<unsigned char>(value_[i]))) return 0;
  return 1;
}

int OrvString::_atoi() const { return atoi(value_.c_str()); }

char* OrvString::setToken(size_t from, size_t count) {
  token_.assign(work_, from, count);
  return &token_[0];
}

char* OrvString::strTok(const char* delimiters, int reset) {
  if (reset) {
    work_ = value_;
    workPos_ = 0;
    workPending_ = false;
  }
  syncWork();
  const char* delims = delimiters ? delimiters : "";
  // Skip leading delimiters; empty tokens are never returned.
  while (workPos_ < work_.size() && strchr(delims, work_[workPos_]) != nullptr &&
         work_[workPos_] != '\0')
    ++workPos_;
  if (workPos_ >= work_.size()) {
    work_.clear();
    workPos_ = 0;
    return nullptr;
  }
  size_t p = work_.find_first_of(delims, workPos_);
  if (*delims == '\0' || p == std::string::npos) {
    char* tok = setToken(workPos_, std::string::npos);
    work_.clear();
    workPos_ = 0;
    return tok;
  }
  size_t count = p - workPos_;
  if ((work_[p] == '\n' || work_[p] == '\r') && work_[p - 1] == '\r') --count;
  char* tok = setToken(workPos_, count);
  workPos_ = p + 1;
  return tok;
}

char* OrvString::strToken(const char* delimiter, int reset) {
  if (reset) {
    endOfTokens_ = 0;
    work_ = value_;
    workPos_ = 0;
    workPending_ = false;
  }
  syncWork();
  // An empty delimiter never matches: it would hand out "" forever.
  size_t p = std::string::npos;
  if (delimiter != nullptr && *delimiter != '\0') p = work_.find(delimiter, workPos_);
  if (p != std::string::npos) {
    char* tok = setToken(workPos_, p - workPos_);
    workPos_ = p + strlen(delimiter);
    return tok;
  }
  endOfTokens_ = 1;
  if (workPos_ >= work_.size()) {
    work_.clear();
    workPos_ = 0;
    return nullptr;
  }
  char* tok = setToken(workPos_, std::string::npos);
  work_.clear();
  workPos_ = 0;
  return tok;
}

void OrvString::tokenReplacement(const char* token, const char* replacement) {
  const char* rep = replacement ? replacement : "";
  const char* t = strToken(token, 1);
  std::string result(t ? t : "");
  while (!strTokenEndOfStr()) {
    result += rep;
    t = strToken(token, 0);
    result += (t ? t : "");
  }
  setValue(result.c_str());
}

std::ostream& operator<<(std::ostream& os, const OrvString& s) { return os << s.getValue(); }

OrvString operator+(const OrvString& a, const OrvString& b) {
  OrvString r(a);
  r += b;
  return r;
}

OrvString operator+(const OrvString& a, const char* b) {
  if (b == nullptr) return OrvString(a);
  return a + OrvString(b);
}

OrvString operator+(const char* a, const OrvString& b) { return OrvString(a) + b; }

OrvString operator+(const OrvString& a, int n) {
  OrvString r(a);
  r += n;
  return r;
}

bool operator==(const OrvString& a, const OrvString& b) {
  return strcmp(a.getValue(), b.getValue()) == 0;
}
bool operator==(const OrvString& a, const char* b) { return strcmp(a.getValue(), b ? b : "") == 0; }
bool operator==(const char* a, const OrvString& b) { return b == a; }
bool operator!=(const OrvString& a, const OrvString& b) { return !(a == b); }
bool operator!=(const OrvString& a, const char* b) { return !(a == b); }
bool operator!=(const char* a, const OrvString& b) { return !(b == a); }
bool operator<(const OrvString& a, const OrvString& b) { return caseInsensitiveCompare(a, b) < 0; }
bool operator>(const OrvString& a, const OrvString& b) { return caseInsensitiveCompare(a, b) > 0; }
bool operator<=(const OrvString& a, const OrvString& b) { return !(a > b); }
bool operator>=(const OrvString& a, const OrvString& b) { return !(a < b); }
