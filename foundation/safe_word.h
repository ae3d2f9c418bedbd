// OrvSafeWord: checks for configuration values that end up inside shell
// command lines.  A value passes only when it is made of a small set of
// characters that the shell treats literally, so it can neither end the
// command nor start another one.  Callers log their own "Error: ..." line
// naming the refused value.

#ifndef FOUNDATION_SAFE_WORD_H_
#define FOUNDATION_SAFE_WORD_H_

class OrvSafeWord {
 public:
  // Non-empty; only letters, digits, '.', '_', '-'; not starting with '-'.
  static bool isPackageName(const char* s);
  // Non-empty; letters, digits, '.', '_', '-', ':', '/', '@'.
  static bool isArrayWord(const char* s);
  // Non-empty digits only, or exactly "NOTASK".
  static bool isTaskId(const char* s);
};

#endif  // FOUNDATION_SAFE_WORD_H_
