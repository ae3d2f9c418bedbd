// OrvException: the one exception type of the system.
//
// Raised only while the rule table is built, for a malformed rule text; the
// rule-building path does not catch it, so a bad built-in text ends the
// program at start-up.  Nothing else in normal running throws.

#ifndef RULES_ORV_EXCEPTION_H_
#define RULES_ORV_EXCEPTION_H_

#include <exception>
#include <string>

class OrvException : public std::exception {
 public:
  explicit OrvException(const char* message) : message_(message ? message : "") {}
  explicit OrvException(const std::string& message) : message_(message) {}

  const char* what() const noexcept override { return message_.c_str(); }
  // The text the exception was constructed from.
  const std::string& getMessage() const { return message_; }

 private:
  std::string message_;
};

#endif  // RULES_ORV_EXCEPTION_H_
