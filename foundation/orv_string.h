// OrvString: the text type used throughout both programs.
//
// A value type with deep-copy semantics that also carries its own tokenizer
// state (a "work" remainder, the last token, an end flag), so a caller walks
// the words, lines or fields of a string by repeated calls on the string.
//
// Two tokenizers with different rules:
//  - strTok(delims, reset): splits at any one of the delimiter characters;
//    runs of delimiters collapse, empty tokens are never returned; returns
//    nullptr at the end.  A CR directly before an LF (or CR) delimiter is
//    dropped from the token, so CR LF lines come out clean.
//  - strToken(delim, reset): splits at each whole occurrence of delim; empty
//    fields are returned as ""; strTokenEndOfStr() turns 1 once the last field
//    was handed out (a nullptr token then means "").
// A pass starts with reset != 0.  The returned pointer stays valid until the
// next tokenizer call or the next change of the string.
//
// Assignment keeps a historical quirk callers may rely on: assigning a value
// of the same length copies the characters only and leaves the tokenizer
// state alone; any other replacement goes through setValue(), which restarts
// the work remainder from the new value and clears the token.
//
// == and != compare case-sensitively; <, >, <=, >= compare case-insensitively.

#ifndef FOUNDATION_ORV_STRING_H_
#define FOUNDATION_ORV_STRING_H_

#include <ostream>
#include <string>

class OrvString {
 public:
  OrvString();
  OrvString(const char* s);  // NOLINT: implicit on purpose; nullptr gives ""
  OrvString(const OrvString& other);
  // An empty value with room for size characters (start of a concatenation);
  // not a number-to-text conversion, hence explicit.
  explicit OrvString(int size);
  ~OrvString();

  // Replaces the value; work := value, token := "", endOfTokens unchanged.
  void setValue(const char* s);
  // The same with the n characters at s (no NUL among them).
  void setValue(const char* s, size_t n);

  OrvString& operator=(const OrvString& other);
  OrvString& operator=(const char* s);
  OrvString& operator=(int n);   // decimal text
  OrvString& operator=(char c);  // one-character text

  const char* getValue() const { return value_.c_str(); }
  int getLength() const { return length_; }

  // Pointer to the character at i for 0 <= i <= length (length gives the
  // terminating NUL), else nullptr.
  char* operator[](int i);
  const char* operator[](int i) const;

  // Copies the inclusive range from..to (to clamped to the end, at most 1023
  // characters) into out; 0 and out untouched when from < 0, from > to or
  // from >= length.
  int getSubStr(int from, int to, OrvString& out) const;
  // 1 when needle occurs in the value (case-sensitive), else 0.
  int contains(const char* needle) const;

  OrvString& operator+=(const OrvString& other);
  OrvString& operator+=(int n);   // appends "%d" text
  OrvString& operator+=(char c);  // appends the character
  void concat(const char* a, const char* b);

  void toLowerCase();  // in place
  void toUpperCase();  // in place
  // Changed copies of at most the first 1023 characters; *this unchanged.
  OrvString lowerCase() const;
  OrvString upperCase() const;

  void trimLeft();   // leading ' ' and '\t'
  void trimRight();  // trailing ' ', '\t', '\n', '\r'
  void trim();

  int isNumeric() const;  // all '0'..'9' ("" gives 1)
  int isDigit() const;    // same test
  int _atoi() const;      // atoi of the value

  char* strTok(const char* delimiters, int reset);
  char* strToken(const char* delimiter, int reset);
  int strTokenEndOfStr() const { return endOfTokens_; }
  // Replaces every occurrence of token by replacement (uses strToken).
  void tokenReplacement(const char* token, const char* replacement);

 private:
  void freeMemory();
  char* setToken(size_t from, size_t count);
  // Makes work_ the copy of the value that setValue() left pending.
  void syncWork();
  bool inBuffers(const char* s) const;

  int length_ = 0;
  std::string value_;
  std::string work_;     // tokenizer remainder starts at work_[workPos_]
  size_t workPos_ = 0;
  // setValue() restarts the tokenizer on the new value; the copy into work_
  // is made when the tokenizer or an in-place change of value_ needs it.
  bool workPending_ = false;
  std::string token_;
  int endOfTokens_ = 0;
};

std::ostream& operator<<(std::ostream& os, const OrvString& s);

OrvString operator+(const OrvString& a, const OrvString& b);
OrvString operator+(const OrvString& a, const char* b);  // null b: copy of a
OrvString operator+(const char* a, const OrvString& b);
OrvString operator+(const OrvString& a, int n);

bool operator==(const OrvString& a, const OrvString& b);
bool operator==(const OrvString& a, const char* b);
bool operator==(const char* a, const OrvString& b);
bool operator!=(const OrvString& a, const OrvString& b);
bool operator!=(const OrvString& a, const char* b);
bool operator!=(const char* a, const OrvString& b);
bool operator<(const OrvString& a, const OrvString& b);
bool operator>(const OrvString& a, const OrvString& b);
bool operator<=(const OrvString& a, const OrvString& b);
bool operator>=(const OrvString& a, const OrvString& b);

#endif  // FOUNDATION_ORV_STRING_H_
