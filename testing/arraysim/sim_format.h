// What the simulated arrays print: the listings of the show commands, in
// their "-csvtable" form (comma-separated rows under section titles) or as
// aligned columns without it.  Pure functions of the model.
//
// Layouts (csv form), e.g. "showrcopy groups G -csvtable":
//   Remote Copy System Information
//   Status: Started, Normal
//   <blank>
//   Group Information
//   <blank>
//   Name,Target,Status,Role,Mode,Options
//   grpA,arrB_tgt,Started,Primary,Sync,"auto_recover,fail_wrt_on_err"
//   LocalVV,ID,RemoteVV,ID,SyncStatus,LastSyncTime      (Periodic groups:
//   grpA_vv0,101,grpB_vv0,201,Synced,2026-12-08 ...      LastSnapTime)
//   <blank>, then the next group from its header row on.
// A cell holding a comma is double-quoted; an empty Options cell prints
// "-", an empty sync time "NA".  "showrcopy -d" prints the system part,
// then "Target Information", "Link Information" and "Group Information",
// each title followed by a blank line, its header row and its rows, and
// sections separated by a blank line.
#ifndef ORV_TESTING_ARRAYSIM_SIM_FORMAT_H_
#define ORV_TESTING_ARRAYSIM_SIM_FORMAT_H_

#include <string>
#include <vector>

#include "testing/arraysim/sim_model.h"

namespace arraysim {

// Rows of cells printed as csv or as columns padded to the widest cell.
class SimTable {
 public:
  void row(const std::vector<std::string>& cells) { rows_.push_back(cells); }
  std::string render(bool csv) const;

 private:
  std::vector<std::vector<std::string>> rows_;
};

std::string formatGroups(const std::vector<const SimGroup*>& groups, bool csv);
std::string formatLinks(const SimArray& a, bool csv);
std::string formatTargets(const SimArray& a, bool csv);
std::string formatRcopyDetail(const SimArray& a,
                              const std::vector<const SimGroup*>& groups,
                              bool csv);
std::string formatSysDetail(const SimArray& a);
std::string formatSys(const SimArray& a);
std::string formatVersion(const SimArray& a, bool shortForm);
// "showtask -d ID": the task's row under its header and its detail lines.
std::string formatTaskDetail(const SimTask& t, const std::string& now,
                             bool csv);
// "showtask": one row per task.
std::string formatTaskList(const SimArray& a, bool csv);

}  // namespace arraysim

#endif  // ORV_TESTING_ARRAYSIM_SIM_FORMAT_H_
