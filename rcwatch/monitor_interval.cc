#include "rcwatch/monitor_interval.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "foundation/file_io.h"
#include "foundation/logger.h"
#include "foundation/orv_string.h"

namespace {

const char kKey[] = "MonitorInterval";

// The first word of a trimmed line: up to '#', blank or tab.
OrvString firstWord(const OrvString& line) {
  const char* text = line.getValue();
  size_t n = strcspn(text, "# \t");
  return OrvString(std::string(text, n).c_str());
}

// The value text after the first '=' following the key, trimmed, without a
// trailing comment.
OrvString valueText(const OrvString& line, const char* keyName) {
  const char* text = line.getValue();
  const char* key = strstr(text, keyName);
  const char* eq = key != nullptr ? strchr(key + strlen(keyName), '=') : nullptr;
  if (eq == nullptr) return OrvString("");
  std::string value(eq + 1);
  size_t hash = value.find('#');
  if (hash != std::string::npos) value.resize(hash);
  OrvString result(value.c_str());
  result.trim();
  return result;
}

// 1 and seconds set when text is a whole number in 1..INT_MAX.
int positiveSeconds(const OrvString& text, int& seconds) {
  if (text.getLength() == 0 || !text.isNumeric()) return 0;
  errno = 0;
  long value = strtol(text.getValue(), nullptr, 10);
  if (errno != 0 || value <= 0 || value > INT_MAX) return 0;
  seconds = static_cast<int>(value);
  return 1;
}

}  // namespace

int readMonitorInterval(const char* path) {
  OrvInFile in(path, 0);
  if (!in.isGood()) return kDefaultMonitorInterval;
  Logger* log = Logger::getInstance();
  log->logDebug("Found OrvVexaMONConfigParams file.");

  OrvString line;
  while (in.getNextLine(line)) {
    line.trim();
    if (line.getLength() == 0 || *line[0] == '#') continue;
    if (!firstWord(line).contains(kKey)) continue;
    OrvString value = valueText(line, kKey);
    int seconds = 0;
    if (!positiveSeconds(value, seconds)) {
      log->log("Warning: The MonitorInterval value [%s] in %s is not a positive number of "
               "seconds. Using MonitorInterval as %d seconds.",
               value.getValue(), path, kDefaultMonitorInterval);
      return kDefaultMonitorInterval;
    }
    log->logDebug("Found MonitorInterval value of %s seconds.\n Using MonitorInterval as %s "
                  "seconds.",
                  value.getValue(), value.getValue());
    return seconds;
  }
  return kDefaultMonitorInterval;
}

int readMonitorParameter(const char* path, const char* key, OrvString& value) {
  OrvInFile in(path, 0);
  if (!in.isGood()) return 0;
  OrvString line;
  while (in.getNextLine(line)) {
    line.trim();
    if (line.getLength() == 0 || *line[0] == '#') continue;
    if (!firstWord(line).contains(key)) continue;
    value = valueText(line, key);
    return 1;
  }
  return 0;
}
