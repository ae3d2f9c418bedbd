// Which DC1_/DC2_ configuration objects describe the local and the remote
// side of the replication pair, by this node's site.
//
// StatusCurrentDC "A" (exactly) makes data center 1 local; any other value,
// lower-case 'a' included, makes data center 2 local.

#ifndef CONTROLLER_SITE_OBJECTS_H_
#define CONTROLLER_SITE_OBJECTS_H_

#include "foundation/orv_string.h"

struct OrvSiteObjects {
  const char* localUser;
  const char* localName;
  const char* localGroup;
  const char* localTarget;
  const char* remoteUser;
  const char* remoteName;
  const char* remoteGroup;
  const char* remoteTarget;
};

// The object names for the site in currentDC.
const OrvSiteObjects& orvSiteObjects(const OrvString& currentDC);

// "/usr/local/tarvos/conf/vexarc/" + user + "_" + arrayName + ".pwf"; only
// built, the file is not looked at.
OrvString orvPasswordFilePath(const OrvString& user, const OrvString& arrayName);

// What stands at a password-file path, links followed.  The file holds an
// array password, so anything but a regular file that only its owner can
// read is worth a word to the administrator.
enum OrvPasswordFileState {
  kPasswordFileOk = 0,
  kPasswordFileMissing,     // nothing there (or the path cannot be looked at)
  kPasswordFileNotRegular,  // a directory, device, pipe, ...
  kPasswordFileExposed      // readable by group or others
};
OrvPasswordFileState orvPasswordFileState(const OrvString& path);

#endif  // CONTROLLER_SITE_OBJECTS_H_
