#include "objectdb/config_line.h"

#include <string>
#include <vector>

#include "foundation/orv_list.h"
#include "foundation/plain_text.h"
#include "objectdb/int_text.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string trimmed(const std::string& s) {
  const char* begin = s.data();
  const char* end = begin + s.size();
  orvTrimBounds(begin, end);
  return std::string(begin, end);
}

// The part before the first comment sign.
std::string beforeComment(const std::string& s) { return s.substr(0, s.find('#')); }

std::vector<std::string> words(const std::string& s) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && isBlank(s[i])) ++i;
    size_t start = i;
    while (i < s.size() && !isBlank(s[i])) ++i;
    if (i > start) out.push_back(trimmed(s.substr(start, i - start)));
  }
  return out;
}

}  // namespace

int OrvConfigLine::split(const OrvString& line, OrvString& name, OrvString& rest) {
  const std::string text = trimmed(line.getValue());
  if (text.empty() || text[0] == '#') return 0;
  const size_t end = text.find_first_of("# \t");
  name = text.substr(0, end).c_str();
  rest = end == std::string::npos ? "" : text.substr(end).c_str();
  return 1;
}

std::unique_ptr<OrvType> OrvConfigLine::value(objectParaType type, const OrvString& name,
                                              const OrvString& rest) {
  const std::string text(rest.getValue());
  switch (type) {
    case STRING_TYPE: {
      std::string value = beforeComment(text);
      size_t from = 0;
      while (from < value.size() && isBlank(value[from])) ++from;
      value = trimmed(value.substr(from, value.find('\t', from) - from));
      if (value.empty()) return nullptr;
      return std::make_unique<OrvStrVal>(OrvString(value.c_str()));
    }
    case LIST_TYPE: {
      const bool nodeList = name == "DC1_NODE_LIST" || name == "DC2_NODE_LIST";
      OrvList<OrvString> list;
      for (const std::string& word : words(text)) {
        const size_t hash = word.find('#');
        std::string element = word.substr(0, hash);
        // A word cut at a comment is kept as written, domain and all.
        if (nodeList && hash == std::string::npos) element = element.substr(0, element.find('.'));
        if (!element.empty()) list.insertAtBack(OrvString(element.c_str()));
        if (hash != std::string::npos) break;
      }
      return std::make_unique<OrvListVal>(list);
    }
    case INTEGER_TYPE: {
      const std::vector<std::string> w = words(beforeComment(text));
      return std::make_unique<OrvIntVal>(w.empty() ? 0 : orvAtoi(w[0].c_str()));
    }
    default:
      return nullptr;
  }
}
