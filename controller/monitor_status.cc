// Monitor status collection: the discovery of both arrays' state with a
// numbered diagnostic report of everything that went wrong.

#include <fstream>

#include "controller/monitor_notes.h"
#include "controller/orv_rc_vexa.h"
#include "foundation/file_io.h"
#include "foundation/logger.h"
#include "foundation/util.h"

int OrvRCVexa::caGetVolumeStatesForMonitor(OrvString& reportFile) {
  logger->logDebug("Entering caGetVolumeStatesForMonitor..");
  // No discovery, no answer: the previous pass's view must not linger.
  localAnswered = 0;
  remoteAnswered = 0;
  OrvString file;
  if (!OrvUtil::createTempFile(packageDir, "orv", file)) return 1;
  std::ofstream report(reportFile.getValue(), std::ios::out | std::ios::app);
  if (!report.is_open()) {
    OrvUtil::OrvUnlink(file.getValue());
    return 1;
  }
  int warningNumber = 1;
  int problem = 0;
  discoverStates(file, &report, warningNumber, problem);
  OrvUtil::OrvUnlink(file.getValue());
  report.close();
  return problem;
}

int OrvRCVexa::printMonitorMessages(std::ofstream& report, OrvString& cliOutputFile, int kind,
                                    int isLocal, int isGroup, int isLink, int& warningNumber) {
  OrvMonitorSide side;
  side.word = isLocal == 1 ? "local" : "remote";
  side.group = isLocal == 1 ? localGroup : remoteGroup;
  side.array = isLocal == 1 ? localArrayName : remoteArrayName;

  OrvString text;
  if (kind == 0 || kind == 1) {
    OrvInFile in(cliOutputFile, 1);
    int size = 0;
    if (in.isGood()) in.fileRead(text, size);
  }
  OrvString entry;
  switch (kind) {
    case 0:
      entry = orv_monitor::commandFailedEntry(warningNumber, text, side, isGroup, isLink);
      break;
    case 1:
      entry = orv_monitor::unparsedEntry(warningNumber, text, side, isGroup, isLink);
      break;
    case 2:
      if (isGroup == 1)
        entry = orv_monitor::unconsolidatedEntry(warningNumber, localGroup, localArrayName,
                                                 remoteGroup, remoteArrayName);
      break;
    default:
      break;
  }
  if (entry.getLength() > 0) {
    report << entry.getValue();
    report.flush();
  }
  ++warningNumber;
  return 0;
}
