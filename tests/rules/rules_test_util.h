// Helpers shared by the rule engine tests: set catalogue objects the way the
// state discovery does, by validated assignment.

#ifndef TESTS_RULES_RULES_TEST_UTIL_H_
#define TESTS_RULES_RULES_TEST_UTIL_H_

#include <string>
#include <utility>
#include <vector>

#include "objectdb/orv_object.h"
#include "objectdb/orv_object_db.h"

namespace rules_test {

typedef std::vector<std::pair<std::string, std::string>> State;

// The object called name; nullptr when the catalogue has none.
inline OrvObject* object(OrvObjectDb& db, const std::string& name) {
  OrvObject* found = nullptr;
  return db.getObjectByName(name.c_str(), found, 0) ? found : nullptr;
}

// Validated assignment; false when the object is missing or refuses value.
inline bool set(OrvObjectDb& db, const std::string& name, const std::string& value) {
  OrvObject* target = object(db, name);
  return target != nullptr && target->setValue(OrvString(value.c_str())) == 1;
}

inline bool apply(OrvObjectDb& db, const State& state) {
  for (const auto& entry : state) {
    if (!set(db, entry.first, entry.second)) return false;
  }
  return true;
}

}  // namespace rules_test

#endif  // TESTS_RULES_RULES_TEST_UTIL_H_
