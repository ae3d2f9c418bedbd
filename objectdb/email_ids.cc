#include "objectdb/email_ids.h"

#include <sys/wait.h>

#include <cstring>

#include "foundation/plain_text.h"
#include "objectdb/config_commands.h"

namespace {

const char kName[] = "EMAIL_ID";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

void addWords(const std::string& text, OrvEmailIds& out) {
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && isBlank(text[i])) ++i;
    const size_t start = i;
    while (i < text.size() && !isBlank(text[i])) ++i;
    if (i == start) continue;
    const std::string word = text.substr(start, i - start);
    (orvIsMailAddress(word) ? out.addresses : out.refused).push_back(word);
  }
}

bool isDomain(const std::string& d) {
  if (d.empty() || d.front() == '.' || d.back() == '.' || d.find("..") != std::string::npos)
    return false;
  for (char c : d)
    if (!isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.') return false;
  return true;
}

}  // namespace

bool orvIsMailAddress(const std::string& word) {
  const size_t at = word.find('@');
  if (at == std::string::npos || at == 0 || word.find('@', at + 1) != std::string::npos)
    return false;
  for (size_t i = 0; i < at; ++i) {
    const unsigned char c = static_cast<unsigned char>(word[i]);
    if (c <= 0x20 || c >= 0x7f || std::strchr("()<>[]:;,\\\"", c) != nullptr) return false;
  }
  return isDomain(word.substr(at + 1));
}

OrvEmailIds orvEmailIdsOf(const std::string& listing) {
  OrvEmailIds out;
  const size_t nameLength = sizeof(kName) - 1;
  size_t at = 0;
  while (at < listing.size()) {
    size_t end = listing.find('\n', at);
    if (end == std::string::npos) end = listing.size();
    size_t begin = at;
    while (begin < end && (listing[begin] == ' ' || listing[begin] == '\t')) ++begin;
    at = end + 1;
    if (listing.compare(begin, nameLength + 1, std::string(kName) + "=") != 0) continue;
    size_t value = begin + nameLength + 1;
    if (value < listing.size() && listing[value] == '"') {
      // A quoted value ends at its closing quote, on this line or a later one.
      const size_t close = listing.find('"', value + 1);
      const size_t stop = close == std::string::npos ? listing.size() : close;
      addWords(listing.substr(value + 1, stop - value - 1), out);
      if (stop > end) {
        at = listing.find('\n', stop);
        at = at == std::string::npos ? listing.size() : at + 1;
      }
      continue;
    }
    const std::string text = listing.substr(value, end - value);
    addWords(text.substr(0, text.find('#')), out);
  }
  return out;
}

int orvReadEmailIds(const std::string& packageName, OrvEmailIds& result) {
  // The same source as every other attribute: the cluster manager's tool,
  // or the lines handed over with --attributes.
  OrvString listing;
  int status = 0;
  if (!OrvConfigCommands::run(OrvConfigCommands::packageEnvCommand(packageName.c_str()), listing,
                              &status) ||
      status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return 0;
  result = orvEmailIdsOf(listing.getValue());
  return 1;
}

std::string orvRefusedAddressWarning(const std::string& word) {
  return "Warning: [" + orvVisibleText(word) +
         "] in EMAIL_ID is not an e-mail address; it is skipped.";
}
