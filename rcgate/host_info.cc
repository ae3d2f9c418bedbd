// Host information: who and where this node is, recorded before the site is
// determined from the host name.

#include "foundation/util.h"
#include "objectdb/attribute_source.h"
#include "objectdb/orv_object_db.h"
#include "rcgate/orv_base.h"

namespace {

// Next blank-separated word of text's running strTok pass; "" at the end.
OrvString nextWord(OrvString& text, int reset) {
  const char* word = text.strTok(" \t", reset);
  return OrvString(word != nullptr ? word : "");
}

}  // namespace

int OrvBase::setHostInfo() {
  logger->logDebug("DEBUG: Getting host name.");
  OrvString hostOutput;
  if (!orv_attributes::nodeName().empty()) {
    hostOutput = orv_attributes::nodeName().c_str();
  } else if (!OrvUtil::getCmdStrOutput("/bin/hostname", hostOutput, 80)) {
    logger->log("INFO: Could not get local hostname");
    hostOutput = "UNKNOWN";
  }
  // Node lists hold short names: drop any domain part.
  const char* shortName = hostOutput.strTok(".", 1);
  OrvString localHostName(shortName != nullptr ? shortName : "");
  if (!objectDb->setStrValByName("LocalHostName", localHostName)) return 0;

  logger->logDebug("DEBUG: Getting OS name.");
  OrvString unameOutput;
  OrvString osName;
  if (OrvUtil::getCmdStrOutput("/bin/uname -a", unameOutput, 256)) {
    osName = nextWord(unameOutput, 1);
    logger->logDebug("DEBUG: The Operating System is: [%s]", osName.getValue());
  } else {
    logger->log("INFO: Could not get Operating System Information");
    osName = "UNKNOWN";
    unameOutput = "";
    nextWord(unameOutput, 1);
  }
  if (!objectDb->setStrValByName("LocalOsName", osName)) return 0;

  logger->logDebug("DEBUG: Getting OS Version.");
  nextWord(unameOutput, 0);  // the node name
  OrvString third = nextWord(unameOutput, 0);
  OrvString version;
  if (osName.contains("AIX")) {
    OrvString fourth = nextWord(unameOutput, 0);
    version = fourth + "." + third;
  } else if (!osName.contains("WINDOWS")) {
    version = third;
  }
  logger->logDebug("DEBUG: The Operating System Version is: [%s]", version.getValue());
  return objectDb->setStrValByName("LocalOsVersion", version) ? 1 : 0;
}
