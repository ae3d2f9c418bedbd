#include "rcplan/state_plan.h"

#include <strings.h>

#include "array/orv_vexa_util.h"
#include "controller/orv_rc_vexa.h"
#include "objectdb/orv_object_db.h"
#include "rcgate/orv_base.h"
#include "rcplan/plan_runner.h"
#include "rcplan/rcplan_cli.h"

namespace rcplan {

namespace {

// Site A's array holds the target to site B and the other way round, as in
// a real pair.  The directory takes the actions' temporary files only.
const char* const kPlaceholders[][2] = {
    {"VKR_PKG_DIR", "/tmp"},
    {"DC1_STORAGE_SYSTEM_NAME", "array-a"},  {"DC2_STORAGE_SYSTEM_NAME", "array-b"},
    {"DC1_STORAGE_SYSTEM_USER", "user-a"},   {"DC2_STORAGE_SYSTEM_USER", "user-b"},
    {"DC1_RC_VOLUME_GROUP", "group-a"},      {"DC2_RC_VOLUME_GROUP", "group-b"},
    {"DC1_RC_TARGET_FOR_DC2", "target-b"},   {"DC2_RC_TARGET_FOR_DC1", "target-a"},
    {"StatusCurrentDC", "A"},
};

bool isUnknown(const std::string& value) { return strcasecmp(value.c_str(), "UNKNOWN") == 0; }

// Hands runner what discovery would have read of one half.
void seedHalf(PlanRunner& runner, OrvObjectDb& db, const OrvString& array, const OrvString& group,
              const OrvString& target, const char* roleObject) {
  OrvString text;
  OrvVexaUtil::cliCommandText(cliShowRcopyGroup, 1, group, target, text, nullptr);
  PlanRunner::Listed half;
  half.role = db.textOf(roleObject);
  if (isUnknown(half.role)) {
    runner.observed(array.getValue(), text.getValue(),
                    "rcplan: no listing of this half: its role is UNKNOWN in the state given", 1);
    return;
  }
  half.group = group.getValue();
  half.target = target.getValue();
  half.status = db.textOf("StatusRCVolumeGroup");
  half.mode = db.textOf("StatusReplicationMode");
  half.volumeSync = db.textOf("StatusRCVGVirtualVolume");
  if (db.textOf("StatusFailsafeMode") == "fail_wrt_on_err")
    half.options.push_back("fail_wrt_on_err");
  if (db.textOf("StatusAutoRecover") == "yes") half.options.push_back("auto_recover");
  runner.observed(array.getValue(), text.getValue(), PlanRunner::groupListing(half), 0);

  const std::string link = db.textOf("StatusRCLink");
  if (isUnknown(link)) return;  // as if the link listing failed: nothing was read
  OrvString links;
  OrvVexaUtil::cliCommandText(cliShowRcopyLinks, 0, OrvString(), OrvString(), links, nullptr);
  runner.observed(array.getValue(), links.getValue(),
                  PlanRunner::linksListing(target.getValue(), link), 0);
}

}  // namespace

bool givesStartupMode(const std::vector<std::string>& pairs) {
  const std::string prefix = std::string(kStartupMode) + "=";
  for (const std::string& pair : pairs)
    if (pair.compare(0, prefix.size(), prefix) == 0) return true;
  return false;
}

bool setPlaceholderState(OrvObjectDb& db, const std::vector<std::string>& pairs,
                         std::ostream& err) {
  for (const auto& p : kPlaceholders)
    if (!db.setStrValByName(p[0], p[1])) return false;
  for (const std::string& pair : pairs) {
    const std::string name = pair.substr(0, pair.find('='));
    for (const auto& p : kPlaceholders) {
      if (name == p[0] && name != "StatusCurrentDC") {
        err << "rcplan: object '" << name
            << "' is part of the placeholder configuration of --state and cannot be set\n";
        return false;
      }
    }
    if (!applyPair(db, pair, err)) return false;
  }
  // rcgate derives the start-up mode from RESYNC_WAIT_TIMEOUT at every
  // start; so does this, unless the mode itself is given.
  if (!givesStartupMode(pairs) && !db.setApplicationStartup()) return false;
  const std::string site = db.textOf("StatusCurrentDC");
  if (site != "A" && site != "B") {
    err << "rcplan: object 'StatusCurrentDC' takes A or B, not '" << site << "'\n";
    return false;
  }
  return true;
}

GatePlan planState(OrvBase& driver, std::ostream& out) {
  OrvObjectDb& db = *driver.getObjectDb();
  OrvRCVexa& c = *driver.getController();
  const std::string site = db.textOf("StatusCurrentDC");
  out << "Array, group and target names are placeholders: this node on site " << site
      << ", local array " << c.getLocalArrayName() << " (group " << c.getLocalGroup()
      << ", target " << c.getLocalTarget() << "), remote array " << c.getRemoteArrayName()
      << " (group " << c.getRemoteGroup() << ", target " << c.getRemoteTarget() << ").\n";
  GatePlan plan;
  if (isUnknown(db.textOf("StatusLocalReplicationRole")) &&
      isUnknown(db.textOf("StatusRemoteReplicationRole"))) {
    out << "With both roles UNKNOWN neither array could be read; rcgate would refuse the "
           "start on this node before the decision.\n";
    plan.gateExit = 2;
    return plan;
  }
  PlanRunner runner;
  seedHalf(runner, db, c.getLocalArrayName(), c.getLocalGroup(), c.getLocalTarget(),
           "StatusLocalReplicationRole");
  seedHalf(runner, db, c.getRemoteArrayName(), c.getRemoteGroup(), c.getRemoteTarget(),
           "StatusRemoteReplicationRole");
  // Answered from here on: no command reaches a shell.
  runner.startPlanning();
  return planTakeover(driver, runner);
}

}  // namespace rcplan
