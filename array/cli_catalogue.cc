#include "array/cli_catalogue.h"

namespace {

const OrvCliCommand kCommands[] = {
    {cliShowRcopyDetail, "showrcopy -d -csvtable", 0, OrvCliCommand::kFillNone, 0, nullptr},
    {cliShowRcopyGroup, "showrcopy groups %s -csvtable", 1, OrvCliCommand::kFillGroup, 0,
     nullptr},
    {cliShowRcopyGroups, "showrcopy groups -csvtable", 0, OrvCliCommand::kFillNone, 0, nullptr},
    {cliShowRcopyLinks, "showrcopy links -csvtable", 0, OrvCliCommand::kFillNone, 0, nullptr},
    {cliStopGroup, "stoprcopygroup -t %s %s", 1, OrvCliCommand::kFillTargetGroup, 1,
     "\"stop\""},
    {cliStopGroupForce, "stoprcopygroup -f -t %s %s", 1, OrvCliCommand::kFillTargetGroup, 1,
     "\"stop\""},
    {cliStartGroup, "startrcopygroup -t %s %s", 1, OrvCliCommand::kFillTargetGroup, 1,
     "\"start\""},
    {cliReverse, "setrcopygroup reverse -f -t %s -waittask %s", 1,
     OrvCliCommand::kFillTargetGroup, 0, "\"reverse\""},
    {cliStopReverse, "setrcopygroup reverse -f -t %s -stopgroups -waittask %s", 1,
     OrvCliCommand::kFillTargetGroup, 0, "\"stop\" and \"reverse\""},
    {cliFailover, "setrcopygroup failover -f -t %s -waittask %s", 1,
     OrvCliCommand::kFillTargetGroup, 0, "\"failover\""},
    {cliRecover, "setrcopygroup recover -f -t %s %s", 1, OrvCliCommand::kFillTargetGroup, 0,
     "\"recover\""},
    {cliRestore, "setrcopygroup restore -f -t %s -waittask %s", 1,
     OrvCliCommand::kFillTargetGroup, 0, "\"restore\""},
    {cliRestoreAllTargets, "setrcopygroup restore -f -waittask %s", 1,
     OrvCliCommand::kFillGroup, 0, "\"restore\""},
    {cliStopRestore, "setrcopygroup restore -f -t %s -stopgroups -waittask %s", 1,
     OrvCliCommand::kFillTargetGroup, 0, "\"stop\" and \"restore\""},
    {cliOverride, "setrcopygroup override -f -t %s %s", 1, OrvCliCommand::kFillTargetGroup, 0,
     "\"override\""},
    {cliShowSysDetail, "showsys -d", 0, OrvCliCommand::kFillNone, 0, nullptr},
    {cliShowSys, "showsys", 0, OrvCliCommand::kFillNone, 0, nullptr},
    {cliSync, "syncrcopy -t %s %s", 1, OrvCliCommand::kFillTargetGroup, 0, "\"syncrcopy\""},
};

}  // namespace

const OrvCliCommand* OrvCliCatalogue::find(int option) {
  for (const OrvCliCommand& c : kCommands)
    if (c.option == option) return &c;
  return nullptr;
}
