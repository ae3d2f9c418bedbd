#include "objectdb/int_text.h"

#include <climits>

int orvAtoi(const char* text) {
  if (text == nullptr) return 0;
  const char* p = text;
  // isspace in the C locale: blank, \t, \n, \v, \f, \r.
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = (*p == '-');
    ++p;
  }
  long long magnitude = 0;
  const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
  for (; *p >= '0' && *p <= '9'; ++p) {
    magnitude = magnitude * 10 + (*p - '0');
    if (magnitude > limit) {
      magnitude = limit;
      // Keep consuming digits; the result is already saturated.
    }
  }
  return static_cast<int>(negative ? -magnitude : magnitude);
}
