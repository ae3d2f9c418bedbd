// The string tokenizers and token replacement over arbitrary text.  The
// first bytes choose delimiters and the replacement pair.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/orv_string.h"

namespace {

std::string takeField(const std::string& text, size_t& at) {
  size_t end = text.find('\x01', at);
  if (end == std::string::npos) end = text.size();
  std::string field = text.substr(at, end - at);
  at = end < text.size() ? end + 1 : end;
  return field;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  for (char& c : text) {
    if (c == '\0') c = ' ';
  }
  size_t at = 0;
  std::string delims = takeField(text, at);
  std::string token = takeField(text, at);
  std::string replacement = takeField(text, at);
  std::string body = text.substr(at);

  OrvString s(body.c_str());
  int guard = 0;
  for (const char* t = s.strTok(delims.c_str(), 1); t != nullptr; t = s.strTok(delims.c_str(), 0)) {
    if (++guard > static_cast<int>(body.size()) + 2) abort();  // must end
  }
  OrvString fields(body.c_str());
  guard = 0;
  fields.strToken(delims.c_str(), 1);
  while (!fields.strTokenEndOfStr()) {
    fields.strToken(delims.c_str(), 0);
    if (++guard > static_cast<int>(body.size()) + 2) abort();  // must end
  }

  OrvString replaced(body.c_str());
  replaced.tokenReplacement(token.c_str(), replacement.c_str());
  OrvString part;
  s.getSubStr(0, static_cast<int>(body.size()), part);
  s.lowerCase();
  s.upperCase();
  return 0;
}
