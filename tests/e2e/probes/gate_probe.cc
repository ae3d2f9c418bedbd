// gate_probe: a start of rcgate whose rule-table decision is changed before
// it is bound, to show how the action table treats names.
//
//   gate_probe PACKAGE as-is|upper|capital|NAME
//
// Runs rcgate's stages for PACKAGE (set-up, discovery, report, the rule
// table), then hands the table's action name on unchanged ("as-is"),
// upper-cased ("upper"), with its first letter capitalised ("capital"), or
// replaced by NAME, and carries it out as rcgate does.  Prints
// "PROBE decision <name>" and exits with rcgate's exit code; 64 on a
// usage error or when the table chose nothing.

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "controller/orv_rc_vexa.h"
#include "rcgate/orv_base.h"
#include "rules/orv_rule_db.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: gate_probe PACKAGE as-is|upper|capital|NAME\n");
    return 64;
  }
  OrvBase base;
  char* stageArgv[] = {argv[0], argv[1], nullptr};
  if (base.earlySetups(2, stageArgv) != 0) return 2;
  if (base.startUpInit() != 0) return 1;
  if (base.fillObjectDb() != 0) return 2;
  base.getController()->displayConfigs(0);

  OrvString action, trace;
  if (!base.getRuleDb()->evaluateAndGetAction(action, trace)) return 64;
  std::string name = action.getValue();
  const std::string how = argv[2];
  if (how == "upper") {
    for (char& c : name) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  } else if (how == "capital") {
    if (!name.empty()) name[0] = static_cast<char>(toupper(static_cast<unsigned char>(name[0])));
  } else if (how != "as-is") {
    name = how;
  }
  printf("PROBE decision %s\n", name.c_str());
  fflush(stdout);
  if (base.bindAction(OrvString(name.c_str())) == 0) return 2;
  return base.takeoverAndReport();
}
