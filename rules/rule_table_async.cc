#include <cstring>
#include <string>

#include "rules/rule_table.h"

namespace orv_rule_table {

namespace {

const char kSyncTop[] = "RuleSet_REPLICATIONMODE_SYNC";
const char kAsyncTop[] = "RuleSet_REPLICATIONMODE_TRUE_ASYNC";
const char kSyncPrefix[] = "RuleSet_SYNC_";
const char kAsyncPrefix[] = "RuleSet_TRUE_ASYNC_";

std::string renamed(const std::string& name) {
  if (name == kSyncTop) return kAsyncTop;
  const size_t prefixLength = sizeof(kSyncPrefix) - 1;
  if (name.compare(0, prefixLength, kSyncPrefix) == 0) {
    return kAsyncPrefix + name.substr(prefixLength);
  }
  return name;
}

}  // namespace

OrvString asyncRuleSetName(const OrvString& syncName) {
  return OrvString(renamed(syncName.getValue()).c_str());
}

std::string asyncRuleText(const char* syncText) {
  std::string text(syncText != nullptr ? syncText : "");
  const size_t colon = text.find(':');
  const size_t percent = colon == std::string::npos ? colon : text.find('%', colon);
  if (percent == std::string::npos) return text;
  size_t end = text.find(';', percent);
  if (end == std::string::npos) end = text.size();
  const std::string name = text.substr(percent + 1, end - percent - 1);
  text.replace(percent + 1, name.size(), renamed(name));
  return text;
}

}  // namespace orv_rule_table
