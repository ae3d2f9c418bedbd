#include "rcplan/dry_run.h"

#include <unistd.h>

#include <vector>

#include "controller/orv_rc_vexa.h"
#include "foundation/orv_list.h"
#include "foundation/orv_string.h"
#include "objectdb/orv_object_db.h"
#include "rcgate/orv_base.h"
#include "rcplan/rcplan_cli.h"
#include "rules/orv_rule_db.h"

namespace rcplan {

namespace {

std::string textOf(OrvObjectDb& db, const char* name) {
  OrvString value;
  if (!db.getStrValByName(name, value, 0)) return "";
  return value.getValue();
}

}  // namespace

std::string forceFlagPath(OrvObjectDb& db) {
  std::string path = textOf(db, "VKR_PKG_DIR");
  if (path.empty()) return "";
  // The same doubled '/' as the start-up's own path: one file either way.
  if (path.back() != '/') path += '/';
  return path + "/FORCEFLAG";
}

int peekForceFlag(OrvObjectDb& db, const std::string& path) {
  const bool present = !path.empty() && access(path.c_str(), F_OK) == 0;
  if (!db.setStrValByName("StatusForceFlag", present ? "yes" : "no")) return -1;
  return present ? 1 : 0;
}

int runDryRun(const std::string& package, std::ostream& out) {
  OrvBase driver;
  if (!driver.isGood()) return kExitDryRunFailed;
  // Stage 2 must leave the FORCEFLAG file alone; it is looked at below.
  driver.setForceFlagCheck(0);

  std::string programName = "rcplan";
  std::string packageName = package;
  std::vector<char*> argv = {&programName[0], &packageName[0], nullptr};
  if (driver.earlySetups(2, argv.data()) != 0) {
    out << "rcplan: the start-up of package " << package
        << " failed (see the messages above); rcgate would refuse the start.\n";
    return kExitDryRunFailed;
  }
  if (driver.startUpInit() != 0) {
    out << "rcplan: the start-up of package " << package
        << " failed on this node (see the messages above); rcgate would refuse the start.\n";
    return kExitDryRunFailed;
  }

  OrvObjectDb& db = *driver.getObjectDb();
  const std::string flagPath = forceFlagPath(db);
  const int flag = peekForceFlag(db, flagPath);
  if (flag < 0) {
    out << "rcplan: could not record the force flag.\n";
    return kExitDryRunFailed;
  }

  if (driver.fillObjectDb() != 0) {
    out << "rcplan: neither array could be read; rcgate would refuse the start on this node.\n";
    return kExitDryRunFailed;
  }
  driver.getController()->displayConfigs(0);
  driver.getController()->logArrayReasons();

  out << "\nDry run of package " << package << " on " << textOf(db, "LocalHostName")
      << " (site " << textOf(db, "StatusCurrentDC") << "): no action is run.\n";
  if (flag == 1) {
    out << "FORCEFLAG file: present (" << flagPath << "), left in place; "
        << "the next rcgate start consumes it.\n";
  } else {
    out << "FORCEFLAG file: absent.\n";
  }

  OrvString action;
  OrvList<OrvString> matched;
  if (!driver.getRuleDb()->evaluateAndGetAction(action, matched)) {
    if (driver.getRuleDb()->hasError()) {
      out << "No rule matched (a condition could not be evaluated); "
             "rcgate would refuse the start on this node.\n";
      return kExitDryRunFailed;
    }
    out << "No rule matched; rcgate would log:\n" << kOrvManualIntervention << "\n";
    return kExitNoRule;
  }
  out << "Action: " << action << "\n";
  out << "Matched conditions:\n";
  for (int i = 0; i < matched.numObjects(); ++i) out << matched[i]->data() << "\n";
  if (driver.findAction(action) == nullptr) {
    out << "The action is not in rcgate's action table; rcgate would log:\n"
        << kOrvManualIntervention << "\n";
    return kExitNoRule;
  }
  out.flush();
  return kExitDecided;
}

}  // namespace rcplan
