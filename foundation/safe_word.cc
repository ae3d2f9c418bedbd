#include "foundation/safe_word.h"

#include <cstring>

namespace {

// ASCII only on purpose: isalnum() would follow the locale.
bool isAsciiAlnum(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool onlyFrom(const char* s, const char* extra) {
  if (s == nullptr || *s == '\0') return false;
  for (; *s != '\0'; ++s) {
    if (!isAsciiAlnum(*s) && strchr(extra, *s) == nullptr) return false;
  }
  return true;
}

}  // namespace

// A leading '-' would reach the cluster manager's commands as an option.
bool OrvSafeWord::isPackageName(const char* s) { return onlyFrom(s, "._-") && *s != '-'; }

bool OrvSafeWord::isArrayWord(const char* s) { return onlyFrom(s, "._-:/@"); }

bool OrvSafeWord::isTaskId(const char* s) {
  if (s == nullptr || *s == '\0') return false;
  if (strcmp(s, "NOTASK") == 0) return true;
  for (; *s != '\0'; ++s) {
    if (*s < '0' || *s > '9') return false;
  }
  return true;
}
