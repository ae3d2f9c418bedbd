#include "controller/report_text.h"

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

}  // namespace orv_report
