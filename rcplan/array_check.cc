// The array half of rcplan --check: the listings a start's discovery reads,
// asked through the same command layer, and nothing else.

#include <strings.h>

#include <string>

#include "array/orv_vexa_util.h"
#include "array/rc_records.h"
#include "controller/takeover_actions_steps.h"
#include "foundation/logger.h"
#include "foundation/orv_list.h"
#include "foundation/orv_string.h"
#include "foundation/util.h"
#include "objectdb/orv_object.h"
#include "objectdb/orv_object_db.h"
#include "rcplan/check_findings.h"

namespace rcplan {

namespace {

// The first non-blank line of a command's output: the array's or ssh's own
// reason when a command failed.
std::string firstOutputLine(OrvString& file) {
  OrvString content;
  if (!OrvUtil::orvReadFile(file, content, 0)) return "no output";
  const std::string text = content.getValue();
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    const size_t first = line.find_first_not_of(" \t\r");
    if (first != std::string::npos) {
      line = line.substr(first);
      return line.substr(0, line.find_last_not_of(" \t\r") + 1);
    }
    at = end + 1;
  }
  return "no output";
}

// Whether discovery could store text in the status object: the decision
// table knows only the values of its possible set.
bool statusAccepts(const char* object, const std::string& text) {
  OrvObjectDb catalogue;
  OrvObject* found = nullptr;
  if (!catalogue.getObjectByName(object, found, 0)) return false;
  OrvObject copy(*found);
  return copy.setValue(OrvString(text.c_str())) != 0;
}

// Runs one listing and tells whether the command layer killed it at its
// bound (it logs that line, and nothing else says so).
int listWithin(e_CLI_CMD_OPTION option, const OrvString& array, const OrvString& passwordFile,
               OrvString& file, int* rc, bool* timedOut) {
  *timedOut = false;
  Logger::setTap(
      [](const std::string& text, void* flag) {
        if (text.compare(0, 29, "Error: Array command timed ou") == 0) *static_cast<bool*>(flag) = true;
      },
      timedOut);
  const int ok = OrvVexaUtil::JxVexaCliCmdExec(option, array, passwordFile, file, rc);
  Logger::setTap(nullptr, nullptr);
  return ok;
}

void reportTimeout(const CheckSite& s, const char* command, CheckFindings& f) {
  f.line("Error: Array [%s] (site %s) did not answer [%s] within %d s (%s); check the network "
         "and the array.",
         s.array.c_str(), s.site, command, s.commandTimeout,
         s.timeoutFromAttribute ? "RCVEXA_JxVexaCLICommandTimeout"
                                : "the check's own bound; RCVEXA_JxVexaCLICommandTimeout sets it");
}

bool startsWith(const std::string& text, const char* prefix) {
  return strncasecmp(text.c_str(), prefix, std::string(prefix).size()) == 0;
}

}  // namespace

void checkArray(const CheckSite& s, CheckFindings& f, ArrayView& view) {
  const OrvString array(s.array.c_str());
  const OrvString passwordFile(s.passwordFile.c_str());
  const char* name = s.array.c_str();
  OrvVexaUtil::AccessPath path = OrvVexaUtil::kAccessCli;
  OrvString sshUser;
  if (!OrvVexaUtil::selectAccessPath(array, passwordFile, &path, sshUser)) {
    f.line("Error: The access path to array [%s] (site %s) could not be chosen: a local command "
           "failed to start.",
           name, s.site);
    return;
  }
  const std::string how = path == OrvVexaUtil::kAccessCli
                              ? std::string("the array client")
                              : std::string("ssh as ") + sshUser.getValue();
  // Output files go to /tmp: the check leaves the package directory alone.
  StepOutputFile groups(OrvString("/tmp"));
  StepOutputFile links(OrvString("/tmp"));
  if (!groups.ok() || !links.ok()) {
    f.line("Error: No temporary file could be made in /tmp; array [%s] (site %s) was not asked.",
           name, s.site);
    return;
  }
  int rc = -1;  // stays -1 when the command could not be run at all
  bool timedOut = false;
  if (!listWithin(cliShowRcopyGroups, array, passwordFile, groups.path(), &rc, &timedOut)) {
    if (timedOut) return reportTimeout(s, "showrcopy groups -csvtable", f);
    f.line("Error: Array [%s] (site %s) does not answer through %s (exit %d: %s); check the "
           "network, the array and the login.",
           name, s.site, how.c_str(), rc, firstOutputLine(groups.path()).c_str());
    return;
  }
  f.line("Array [%s] (site %s) answers through %s.", name, s.site, how.c_str());

  OrvList<_VolGroupStatus> listed;
  OrvVexaUtil::parseShowRCopyGroups(groups.path(), listed);
  const _VolGroupStatus* group = nullptr;
  std::string names;
  for (int i = 0; i < listed.numObjects(); ++i) {
    const _VolGroupStatus& g = listed[i]->data();
    if (group == nullptr && s.group == g.name.getValue()) group = &g;
    names += (names.empty() ? "" : " ") + std::string(g.name.getValue());
  }
  if (group == nullptr) {
    f.line("Error: Group [%s] (RCVEXA_%s_RC_VOLUME_GROUP) is not on array [%s] (site %s; groups "
           "there: %s); correct the attribute or create the group.",
           s.group.c_str(), s.prefix, name, s.site, names.empty() ? "none" : names.c_str());
    return;
  }
  view.groupRead = true;
  view.role = group->role.getValue();
  view.mode = group->mode.getValue();
  if (s.target != group->target.getValue())
    f.line("Error: Group [%s] on array [%s] (site %s) replicates through target [%s], not [%s] "
           "(%s); a start does not find it: correct the attribute.",
           s.group.c_str(), name, s.site, group->target.getValue(), s.target.c_str(),
           s.targetAttribute);
  if (!statusAccepts("StatusReplicationMode", view.mode))
    f.line("Error: Group [%s] on array [%s] (site %s) replicates in mode [%s], which the decision "
           "table does not know (sync, periodic, async); a start cannot use this array.",
           s.group.c_str(), name, s.site, view.mode.c_str());
  if (!statusAccepts("StatusLocalReplicationRole", view.role))
    f.line("Error: Group [%s] on array [%s] (site %s) has the role [%s], which the decision "
           "table does not know; a start cannot use this array.",
           s.group.c_str(), name, s.site, view.role.c_str());

  OrvString linkStatus;
  rc = -1;
  if (!listWithin(cliShowRcopyLinks, array, passwordFile, links.path(), &rc, &timedOut)) {
    if (timedOut) return reportTimeout(s, "showrcopy links -csvtable", f);
    f.line("Error: Array [%s] (site %s) does not answer the link listing (exit %d: %s); check "
           "the array.",
           name, s.site, rc, firstOutputLine(links.path()).c_str());
  } else if (!OrvVexaUtil::extractLinkStatus(links.path(), s.target.c_str(), linkStatus)) {
    f.line("Error: Target [%s] (%s) has no link on array [%s] (site %s); correct the attribute "
           "or set up the target's links on the array.",
           s.target.c_str(), s.targetAttribute, name, s.site);
  } else if (!(linkStatus == "Up")) {
    f.line("Warning: The links of array [%s] (site %s) to target [%s] are %s: nothing is "
           "replicated; repair them before the package goes live.",
           name, s.site, s.target.c_str(), linkStatus.getValue());
  }
  // One Up link makes the target Up for a start; the others down are a
  // redundancy lost, said here since nothing else says it.
  OrvList<_RcLink> all;
  int up = 0, total = 0;
  if (linkStatus.getLength() > 0 && OrvVexaUtil::parseShowRCopyLinks(links.path(), all)) {
    for (int i = 0; i < all.numObjects(); ++i) {
      if (!(all[i]->data().target == s.target.c_str())) continue;
      ++total;
      if (all[i]->data().status == "Up") ++up;
    }
  }
  if (linkStatus == "Up" && up < total)
    f.line("Warning: Only %d of the %d links of array [%s] (site %s) to target [%s] are Up; "
           "replication runs on the others: repair the links that are down.",
           up, total, name, s.site, s.target.c_str());
  const std::string linkCount =
      total > 0 ? std::to_string(up) + " of " + std::to_string(total) + " Up" : "not read";
  f.line("Group [%s] on array [%s] (site %s): %s, %s, mode %s; links to [%s]: %s.",
         s.group.c_str(), name, s.site, view.role.c_str(), group->status.getValue(),
         view.mode.c_str(), s.target.c_str(), linkCount.c_str());
}

void checkPair(const CheckSite sites[2], const ArrayView views[2], bool tableStarts,
               CheckFindings& f) {
  if (!views[0].groupRead || !views[1].groupRead) return;
  const std::string& a = views[0].role;
  const std::string& b = views[1].role;
  const bool complementary = (startsWith(a, "Primary") && startsWith(b, "Secondary")) ||
                             (startsWith(a, "Secondary") && startsWith(b, "Primary"));
  // The decision table wins: a state it starts the package in is no error.
  for (int i = 0; tableStarts && !complementary && i < 2; ++i) {
    if (views[i].role == "Primary-Rev" && views[1 - i].role == "Primary") {
      f.line("Warning: site %s [%s] is Primary-Rev: the group was failed over to site %s while "
             "site %s still reports Primary; recover the group with the array's tools once site "
             "%s is healthy again",
             sites[i].site, sites[i].group.c_str(), sites[i].site, sites[1 - i].site,
             sites[1 - i].site);
      return;
    }
  }
  if (!complementary && tableStarts)
    f.line("Warning: The two halves are not one primary and one secondary (site A [%s]: %s, site "
           "B [%s]: %s), yet the decision table starts the package on this node in this state "
           "(see the verdict), so it is no error here; bring the group into a known state with "
           "the array's tools.",
           sites[0].group.c_str(), a.c_str(), sites[1].group.c_str(), b.c_str());
  else if (!complementary)
    f.line("Error: The two halves are not one primary and one secondary (site A [%s]: %s, site B "
           "[%s]: %s); bring the group into a known state with the array's tools before a start.",
           sites[0].group.c_str(), a.c_str(), sites[1].group.c_str(), b.c_str());
  if (strcasecmp(views[0].mode.c_str(), views[1].mode.c_str()) != 0)
    f.line("Error: The two halves replicate in different modes (site A: %s, site B: %s); set "
           "one mode for the group on both arrays.",
           views[0].mode.c_str(), views[1].mode.c_str());
}

}  // namespace rcplan
