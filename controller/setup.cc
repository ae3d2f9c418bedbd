// Construction and set-up of the replication controller.

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

#include "array/orv_vexa_util.h"
#include "controller/orv_rc_vexa.h"
#include "controller/safe_config.h"
#include "controller/site_objects.h"
#include "controller/waits.h"
#include "foundation/logger.h"
#include "foundation/util.h"
#include "objectdb/catalogue.h"
#include "objectdb/orv_object_db.h"

OrvRCVexa::OrvRCVexa(OrvObjectDb* objectDb, OrvString packageDir)
    : logger(Logger::getInstance()),
      waitStartTime(0),
      waitTimeout(orv_waits::linkDownDefault()),
      objectDb(objectDb),
      packageDir(packageDir),
      good(1) {
  initialize();
}

OrvRCVexa::~OrvRCVexa() {}

int OrvRCVexa::isGood() { return good; }

namespace {

// The object's text as a positive number of seconds, at most the setting's
// accepted maximum; 0 for anything else.
int positiveSeconds(const OrvString& text) {
  if (text.getLength() == 0 || !OrvUtil::isNumeric(text.getValue())) return 0;
  const int max = OrvCatalogue::accepted("JxVexaCLICommandTimeout").max;
  errno = 0;
  long n = strtol(text.getValue(), nullptr, 10);
  if (errno != 0 || n > max) return max;
  return static_cast<int>(n);
}

void warnUnreadablePasswordFile(Logger* logger, const OrvString& path, const OrvString& array) {
  struct stat st;
  const char* why = nullptr;
  if (stat(path.getValue(), &st) != 0 || access(path.getValue(), R_OK) != 0) {
    why = strerror(errno);
  } else if (!S_ISREG(st.st_mode)) {
    why = "not a regular file";
  } else {
    return;
  }
  logger->log("Warning: Password file [%s] of the array [%s] cannot be read: %s", path.getValue(),
              array.getValue(), why);
}

}  // namespace

int OrvRCVexa::initialize() {
  logger->logDebug("Entering OrvRCVexa::initialize");
  if (objectDb == nullptr) {
    good = 0;
    return 0;
  }
  OrvString currentDC;
  OrvString pkgDir;
  if (!objectDb->getStrValByName("StatusCurrentDC", currentDC, 1) ||
      !objectDb->getStrValByName("VKR_PKG_DIR", pkgDir, 1)) {
    good = 0;
    return 0;
  }
  const OrvSiteObjects& site = orvSiteObjects(currentDC);
  localSiteA = currentDC == "A";

  if (!objectDb->getStrValByName(site.localUser, localPasswordFile, 1) ||
      !objectDb->getStrValByName(site.localName, localArrayName, 1)) {
    good = 0;
    return 0;
  }
  localPasswordFile = orvPasswordFilePath(localPasswordFile, localArrayName);

  if (!objectDb->getStrValByName(site.remoteUser, remotePasswordFile, 1) ||
      !objectDb->getStrValByName(site.remoteName, remoteArrayName, 1)) {
    good = 0;
    return 0;
  }
  remotePasswordFile = orvPasswordFilePath(remotePasswordFile, remoteArrayName);

  if (!objectDb->getStrValByName(site.localGroup, localGroup, 1) ||
      !objectDb->getStrValByName(site.remoteGroup, remoteGroup, 1) ||
      !objectDb->getStrValByName(site.localTarget, localTarget, 1) ||
      !objectDb->getStrValByName(site.remoteTarget, remoteTarget, 1)) {
    good = 0;
    return 0;
  }

  // A value the shell would not take literally is refused here for the
  // whole configuration: refused only per command, it would leave that side
  // unread and let the other side's state decide the start alone.
  OrvUnsafeValue unsafe;
  if (orvFirstUnsafeConfigValue(*objectDb, &unsafe)) {
    logger->log("Error: Unsafe value [%s] of attribute [%s]; the package configuration is "
                "refused.",
                unsafe.value.getValue(), unsafe.attribute.getValue());
    good = 0;
    return 0;
  }

  // Only the name is needed on the ssh path, but on the CLI path a missing
  // password file makes every array command fail; say so once, up front.
  warnUnreadablePasswordFile(logger, localPasswordFile, localArrayName);
  warnUnreadablePasswordFile(logger, remotePasswordFile, remoteArrayName);

  // Every array command redirects its output into a file of this directory
  // inside a shell command line; a directory name the shell would not take
  // literally must not get that far.
  if (!OrvVexaUtil::checkSafeWord("package directory", packageDir)) {
    good = 0;
    return 0;
  }

  OrvString timeoutText;
  objectDb->getStrValByName("JxVexaCLICommandTimeout", timeoutText, 0);
  OrvVexaUtil::setCommandTimeout(positiveSeconds(timeoutText));

  logger->logDebug("Leaving OrvRCVexa::initialize");
  return 1;
}
