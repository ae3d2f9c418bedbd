// The rule-text language: a malformed text may only raise OrvException
// while the table is built; anything else (a crash, a hang, another
// exception) is a finding.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_quiet.h"
#include "objectdb/orv_object_db.h"
#include "rules/orv_condition.h"
#include "rules/orv_exception.h"
#include "rules/orv_rule.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzSilenceStdout();
  static OrvObjectDb* db = new OrvObjectDb();
  std::string text(reinterpret_cast<const char*>(data), size);
  for (char& c : text) {
    if (c == '\0') c = ' ';
  }
  OrvList<OrvRuleFunction> ruleSets;
  OrvList<OrvCondition> conditions;
  try {
    OrvRule rule(db, &ruleSets, &conditions, OrvString(text.c_str()));
  } catch (const OrvException&) {
    // refused text: the expected outcome for most inputs
  }
  return 0;
}
