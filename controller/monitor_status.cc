// Monitor status collection: the discovery of both arrays' state with a
// numbered diagnostic report of everything that went wrong.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ostream>
#include <sstream>

#include "controller/monitor_notes.h"
#include "controller/orv_rc_vexa.h"
#include "foundation/file_io.h"
#include "foundation/logger.h"
#include "foundation/temp_files.h"
#include "foundation/util.h"

namespace {

// The report file's descriptor: the kept one of a temporary file of this
// process, else the file opened for appending without following a link
// (close it: *own).  -1 when it cannot be used.
int reportDescriptor(const OrvString& reportFile, bool* own) {
  *own = false;
  int fd = orv_temp::descriptorOf(reportFile.getValue());
  if (fd >= 0) return fd;
  fd = open(reportFile.getValue(),
            O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  struct stat st;
  if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
    close(fd);
    fd = -1;
  }
  *own = fd >= 0;
  return fd;
}

}  // namespace

int OrvRCVexa::caGetVolumeStatesForMonitor(OrvString& reportFile) {
  logger->logDebug("Entering caGetVolumeStatesForMonitor..");
  // No discovery, no answer: the previous pass's view must not linger.
  localAnswered = 0;
  remoteAnswered = 0;
  OrvString file;
  if (!OrvUtil::createTempFile(packageDir, "orv", file)) return 1;
  bool own = false;
  int fd = reportDescriptor(reportFile, &own);
  if (fd < 0) {
    OrvUtil::OrvUnlink(file.getValue());
    return 1;
  }
  std::ostringstream report;
  int warningNumber = 1;
  int problem = 0;
  discoverStates(file, &report, warningNumber, problem);
  OrvUtil::OrvUnlink(file.getValue());
  orv_temp::append(fd, report.str());
  if (own) close(fd);
  return problem;
}

int OrvRCVexa::printMonitorMessages(std::ostream& report, OrvString& cliOutputFile, int kind,
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
