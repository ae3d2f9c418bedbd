// monitor_probe: one status collection of the monitor, inside the sandbox.
//
//   monitor_probe PACKAGE REPORTFILE
//
// Loads the package configuration, finds the site and creates the
// controller as the programs do, then runs caGetVolumeStatesForMonitor once
// with REPORTFILE.  Prints "RESULT <code>" and one "STATUS NAME=VALUE" line
// per status object discovery writes.  Exit status 0 when the collection
// ran, 64 on a usage or set-up error.

#include <cstdio>

#include "controller/orv_rc_vexa.h"
#include "objectdb/orv_object_db.h"
#include "rcgate/orv_base.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: monitor_probe PACKAGE REPORTFILE\n");
    return 64;
  }
  OrvBase base;
  char* stageArgv[] = {argv[0], argv[1], nullptr};
  if (base.earlySetups(2, stageArgv) != 0 || base.startUpInit() != 0) {
    printf("PROBE set-up failed\n");
    return 64;
  }
  OrvRCVexa* controller = base.getController();
  OrvObjectDb* db = base.getObjectDb();
  if (controller == nullptr || db == nullptr) return 64;

  OrvString report(argv[2]);
  int result = controller->caGetVolumeStatesForMonitor(report);
  printf("RESULT %d\n", result);
  const char* names[] = {"StatusReplicationMode",       "StatusLocalReplicationRole",
                         "StatusRemoteReplicationRole", "StatusRCVolumeGroup",
                         "StatusFailsafeMode",          "StatusAutoRecover",
                         "StatusRCLink",                "StatusRCVGVirtualVolume"};
  for (const char* name : names) {
    OrvString v;
    db->getStrValByName(name, v, 0);
    printf("STATUS %s=%s\n", name, v.getValue());
  }
  printf("PERIODIC %d\n", controller->getPeriodicVolumes().numObjects());
  fflush(stdout);
  return 0;
}
