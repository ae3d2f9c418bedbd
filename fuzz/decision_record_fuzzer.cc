// The decision-record reader of rcplan --history and --replay: any text
// gives a record or a reason, never a crash, a hang or an exception; a text
// it accepts is accepted again after its fields are read.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "records/decision_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  orv_decisions::Record record;
  std::string why;
  if (orv_decisions::parse(text, record, why)) {
    // A record read must carry a start the reader itself can write back.
    if (orv_decisions::isoTime(record.startTime) != record.start) abort();
  } else if (why.empty()) {
    abort();  // a refusal must say why
  }
  return 0;
}
