// One line of the package attribute extract, for every value type.

#include <cstddef>
#include <cstdint>
#include <string>

#include "objectdb/config_line.h"
#include "fuzz/fuzz_quiet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzSilenceStdout();
  std::string text(reinterpret_cast<const char*>(data), size);
  // Lines come from a line reader: no NUL, no line feed inside.
  for (char& c : text) {
    if (c == '\0' || c == '\n') c = ' ';
  }
  OrvString line(text.c_str());
  OrvString name;
  OrvString rest;
  if (!OrvConfigLine::split(line, name, rest)) return 0;
  const objectParaType types[] = {INTEGER_TYPE, STRING_TYPE, LIST_TYPE};
  for (objectParaType type : types) {
    OrvConfigLine::value(type, name, rest);
    OrvConfigLine::value(type, "DC1_NODE_LIST", rest);
  }
  return 0;
}
