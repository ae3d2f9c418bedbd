#include "testing/arraysim/sim_format.h"

#include <algorithm>

namespace arraysim {

namespace {

std::string csvCell(const std::string& cell) {
  if (cell.find(',') == std::string::npos) return cell;
  return "\"" + cell + "\"";
}

std::string orDash(const std::string& s) { return s.empty() ? "-" : s; }

std::string systemPart() {
  return "Remote Copy System Information\nStatus: Started, Normal\n\n";
}

std::string section(const std::string& title, const std::string& body) {
  return title + "\n\n" + body;
}

std::string groupBlock(const SimGroup& g, bool csv) {
  SimTable head;
  head.row({"Name", "Target", "Status", "Role", "Mode", "Options"});
  head.row({g.name, g.target, g.status, g.role, g.mode, orDash(g.options)});
  SimTable vols;
  const bool periodic = g.mode == "Periodic";
  vols.row({"LocalVV", "ID", "RemoteVV", "ID", "SyncStatus",
            periodic ? "LastSnapTime" : "LastSyncTime"});
  for (const SimVolume& v : g.volumes)
    vols.row({v.local, std::to_string(v.localId), v.remote,
              std::to_string(v.remoteId), v.sync,
              v.last.empty() ? "NA" : v.last});
  return head.render(csv) + vols.render(csv);
}

}  // namespace

std::string SimTable::render(bool csv) const {
  std::string out;
  if (csv) {
    for (const auto& r : rows_) {
      for (size_t i = 0; i < r.size(); ++i) {
        if (i > 0) out += ",";
        out += csvCell(r[i]);
      }
      out += "\n";
    }
    return out;
  }
  std::vector<size_t> width;
  for (const auto& r : rows_) {
    if (width.size() < r.size()) width.resize(r.size(), 0);
    for (size_t i = 0; i < r.size(); ++i)
      width[i] = std::max(width[i], r[i].size());
  }
  for (const auto& r : rows_) {
    std::string line;
    for (size_t i = 0; i < r.size(); ++i) {
      if (i > 0) line += " ";
      line += r[i];
      if (i + 1 < r.size()) line += std::string(width[i] - r[i].size(), ' ');
    }
    out += line + "\n";
  }
  return out;
}

std::string formatGroups(const std::vector<const SimGroup*>& groups,
                         bool csv) {
  std::string body;
  for (size_t i = 0; i < groups.size(); ++i) {
    if (i > 0) body += "\n";
    body += groupBlock(*groups[i], csv);
  }
  return systemPart() + section("Group Information", body);
}

namespace {

std::string linkTable(const SimArray& a, bool csv) {
  SimTable t;
  t.row({"Target", "Node", "Address", "Status", "Options"});
  for (const SimLink& l : a.links)
    t.row({l.target, l.node, l.address, l.status, "-"});
  return t.render(csv);
}

std::string targetTable(const SimArray& a, bool csv) {
  SimTable t;
  t.row({"Name", "ID", "Type", "Status", "Options", "Policy", "SysName",
         "SysID"});
  for (const SimTarget& x : a.targets)
    t.row({x.name, std::to_string(x.id), x.type, x.status, "-", x.policy,
           x.sysName, x.sysId});
  return t.render(csv);
}

}  // namespace

std::string formatLinks(const SimArray& a, bool csv) {
  return systemPart() + section("Link Information", linkTable(a, csv));
}

std::string formatTargets(const SimArray& a, bool csv) {
  return systemPart() + section("Target Information", targetTable(a, csv));
}

std::string formatRcopyDetail(const SimArray& a,
                              const std::vector<const SimGroup*>& groups,
                              bool csv) {
  std::string out = systemPart();
  out += section("Target Information", targetTable(a, csv)) + "\n";
  out += section("Link Information", linkTable(a, csv)) + "\n";
  std::string body;
  for (size_t i = 0; i < groups.size(); ++i) {
    if (i > 0) body += "\n";
    body += groupBlock(*groups[i], csv);
  }
  return out + section("Group Information", body);
}

std::string formatSysDetail(const SimArray& a) {
  std::string out =
      "--------------------------------General--------------------------------"
      "\n";
  out += "System Name," + a.name + "\n";
  out += "System Model," + a.model + "\n";
  out += "Serial Number," + a.serial + "\n";
  out += "System ID," + a.sysId + "\n";
  out += "Number of Nodes,2\n";
  out += "Master Node,0\n";
  out += "Nodes Online,0 1\n";
  out += "Nodes in Cluster,0 1\n";
  out += "Chunklet Size (MB),1024\n";
  out += "Minimum PW length,6\n";
  out += "\n";
  out += "--------------------------------Capacity-------------------------------"
         "\n";
  out += "Total Capacity (MB),8388608\n";
  out += "Allocated Capacity (MB),4194304\n";
  out += "Free Capacity (MB),4194304\n";
  out += "Failed Capacity (MB),0\n";
  return out;
}

std::string formatSys(const SimArray& a) {
  SimTable t;
  t.row({"ID", "-Name-", "---Model---", "-Serial-", "Nodes", "Master",
         "TotalCap", "AllocCap", "FreeCap", "FailedCap"});
  t.row({a.sysId, a.name, a.model, a.serial, "2", "0", "8388608", "4194304",
         "4194304", "0"});
  return "                                  ----------------(MB)----------------"
         "\n" +
         t.render(false);
}

std::string formatVersion(const SimArray& a, bool shortForm) {
  if (shortForm) {
    // A client that says more than its version (patch lists, banners).
    std::string text = a.version + "\n";
    for (int i = 1; i <= a.versionLines; ++i)
      text += "Patch " + std::to_string(i) + " of " + std::to_string(a.versionLines) +
              ": installed and verified on this storage system\n";
    return text;
  }
  return "Release version " + a.version +
         "\nPatches:  None\n\nComponent Name                   Version\n"
         "CLI Server                       " +
         a.version +
         "\n"
         "CLI Client                       " +
         a.version + "\n";
}

namespace {

std::string phaseOf(const SimTask& t) {
  return t.status == "done" ? "1/1" : "0/1";
}

}  // namespace

std::string formatTaskDetail(const SimTask& t, const std::string& now,
                             bool csv) {
  SimTable head;
  head.row({"Id", "Type", "Name", "Status", "Phase", "Step", "StartTime",
            "FinishTime", "Priority", "User"});
  const bool finished = t.status != "active";
  head.row({std::to_string(t.id), t.type, t.name, t.status, phaseOf(t),
            finished ? "-" : "1/1", t.started, finished ? now : "-", "n/a",
            "admin"});
  std::string out = head.render(csv);
  out += "\nDetailed status:\n";
  out += t.started + " Created     task.\n";
  out += t.started + " Started     " + t.type + " of " + t.name + ".\n";
  if (t.status == "done") out += now + " Completed   task.\n";
  if (t.status == "failed")
    out += now + " Failed      " + t.type + " of " + t.name +
           ": remote copy was interrupted.\n";
  return out;
}

std::string formatTaskList(const SimArray& a, bool csv) {
  SimTable t;
  t.row({"Id", "Type", "Name", "Status", "Phase", "Step", "StartTime",
         "FinishTime", "Priority", "User"});
  for (const SimTask& x : a.tasks)
    t.row({std::to_string(x.id), x.type, x.name, x.status, phaseOf(x),
           x.status == "active" ? "1/1" : "-", x.started, "-", "n/a",
           "admin"});
  return t.render(csv);
}

}  // namespace arraysim
