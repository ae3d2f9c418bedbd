#include "controller/report_text.h"

#include "foundation/plain_text.h"

namespace orv_report {

void addLine(OrvString& text, const char* label, const OrvString& value) {
  if (value.getLength() == 0) return;
  text = text + "\t" + label + value + "\n";
}

OrvString failsafeText(const OrvString& failsafeMode) {
  if (failsafeMode == "no_fail_wrt_on_err")
    return failsafeMode + " (Ignore if Tessel OS Version is 3.1.1 or later)";
  return failsafeMode;
}

OrvString resyncTimeoutText(int minutes) {
  OrvString text;
  if (minutes == -1)
    text = "no_timeout";
  else
    text = minutes;
  return text;
}

std::string arrayReasonLine(const std::string& array, char site, const std::string& output,
                            int exitStatus, int timeoutSeconds) {
  const std::string side = "Array [" + array + "] (site " + std::string(1, site) + ") ";
  if (exitStatus == -1 && timeoutSeconds > 0)
    return side + "did not answer within " + std::to_string(timeoutSeconds) + " s";
  // The first line that says Error, else the first line with any text.
  std::string first;
  size_t at = 0;
  while (at < output.size()) {
    size_t end = output.find('\n', at);
    if (end == std::string::npos) end = output.size();
    std::string line = output.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    if (line.compare(0, 5, "Error") == 0 || line.compare(0, 5, "ERROR") == 0) {
      first = line;
      break;
    }
    if (first.empty()) first = line;
  }
  if (first.empty() || exitStatus == 255 || first.find("Failed to connect") != std::string::npos)
    return side + "could not be reached (exit " + std::to_string(exitStatus) + ")";
  return side + "answered: " + orvVisibleText(first);
}

}  // namespace orv_report
