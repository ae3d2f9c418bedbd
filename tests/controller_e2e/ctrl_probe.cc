// ctrl_probe: runs controller operations one by one, inside the sandbox,
// the way rcgate would reach them.
//
//   ctrl_probe PACKAGE [--no-discover] [--set NAME=VALUE]...
//              [--clock-ago SECONDS] OPERATION...
//
// Stages 1 and 2 of rcgate load the package configuration, find the site
// and create the controller; then, unless --no-discover, the replication
// state is discovered as before a takeover.  --set overrides a status
// object afterwards (validated like any write); --clock-ago stands for an
// earlier wait of the same run that started the shared wait clock SECONDS
// ago.  Each OPERATION is a takeover action of the action table, one of the
// other catalogue members, or one of the group operations and waits below;
// after each the probe prints "RESULT <operation> <code>".  Exit status 0
// when every operation was found and run, 64 on a usage or set-up error.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "controller/orv_rc_vexa.h"
#include "foundation/process_guard.h"
#include "objectdb/orv_object_db.h"
#include "rcgate/orv_base.h"

namespace {

using Member = int (OrvRCVexa::*)();

struct Extra {
  const char* name;
  Member member;
};

// "resyncwait" / "resyncwait_warn": ca_resyncwait(1) / (0);
// "periodic_resyncwait:ID" follows task ID; "syncrcopy_task" requests a
// sync and prints the task id it got.
int runSpecial(OrvRCVexa* c, const std::string& op, int& result) {
  if (op == "resyncwait") {
    result = c->ca_resyncwait(1);
    return 1;
  }
  if (op == "resyncwait_warn") {
    result = c->ca_resyncwait(0);
    return 1;
  }
  if (op.rfind("periodic_resyncwait:", 0) == 0) {
    result = c->ca_periodic_resyncwait(op.substr(20).c_str(), 1);
    return 1;
  }
  if (op == "syncrcopy_task") {
    OrvString taskId;
    result = c->syncrcopy(taskId);
    printf("TASKID %s\n", taskId.getValue());
    return 1;
  }
  return 0;
}

const Extra kExtras[] = {
    {"StartLocalGroup", &OrvRCVexa::StartLocalGroup},
    {"StartRemoteGroup", &OrvRCVexa::StartRemoteGroup},
    {"syncrcopy", static_cast<Member>(&OrvRCVexa::syncrcopy)},
    {"ca_takeover_stop_datacenter_startrcvg_recover",
     &OrvRCVexa::ca_takeover_stop_datacenter_startrcvg_recover},
};

int usage() {
  fprintf(stderr,
          "usage: ctrl_probe PACKAGE [--no-discover] [--set NAME=VALUE]... "
          "[--clock-ago SECONDS] OPERATION...\n");
  return 64;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  bool discover = true;
  long clockAgo = -1;
  std::vector<std::string> sets;
  std::vector<std::string> ops;
  for (int i = 2; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--no-discover") {
      discover = false;
    } else if (a == "--set" && i + 1 < argc) {
      sets.push_back(argv[++i]);
    } else if (a == "--clock-ago" && i + 1 < argc) {
      clockAgo = atol(argv[++i]);
    } else if (a.rfind("--", 0) == 0) {
      return usage();
    } else {
      ops.push_back(a);
    }
  }
  if (ops.empty()) return usage();

  OrvBase base;
  char* stageArgv[] = {argv[0], argv[1], nullptr};
  if (base.earlySetups(2, stageArgv) != 0 || base.startUpInit() != 0) {
    printf("PROBE set-up failed\n");
    return 64;
  }
  OrvRCVexa* controller = base.getController();
  OrvObjectDb* db = base.getObjectDb();
  if (controller == nullptr || db == nullptr) return 64;
  if (discover && !controller->caGetVolumeStates(0)) {
    printf("PROBE discovery failed\n");
  }
  for (const std::string& s : sets) {
    size_t eq = s.find('=');
    if (eq == std::string::npos) return usage();
    if (!db->setStrValByName(s.substr(0, eq).c_str(), s.substr(eq + 1).c_str()))
      return 64;
  }
  if (clockAgo >= 0) controller->setWaitStartTime(orv_guard::monotonicSeconds() - clockAgo);

  const OrvList<OrvActionVal>& table = base.getCaFunctionList();
  for (const std::string& op : ops) {
    int result = 0;
    bool found = runSpecial(controller, op, result) != 0;
    for (OrvListNode<OrvActionVal>* n = table[0]; !found && n != nullptr;
         n = n->next()) {
      OrvActionVal& action = n->data();
      if (op == action.getActionName().getValue()) {
        result = (controller->*action.getValue())();
        found = true;
      }
    }
    for (const Extra& e : kExtras) {
      if (!found && op == e.name) {
        result = (controller->*e.member)();
        found = true;
      }
    }
    if (!found) {
      printf("PROBE unknown operation %s\n", op.c_str());
      return 64;
    }
    printf("RESULT %s %d\n", op.c_str(), result);
    fflush(stdout);
  }
  return 0;
}
