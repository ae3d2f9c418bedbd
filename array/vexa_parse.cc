// Parsers of the arrays' "-csvtable" listings: header rows, the link and
// target tables, the group section with its volumes, the system listing,
// and the extractors built on them.
//
// Every line is trimmed before it is compared.  Cells are matched to header
// tags by position, so extra columns and empty cells do not shift fields.

#include <vector>

#include "array/orv_vexa_util.h"
#include "array/table_row.h"
#include "foundation/file_io.h"
#include "foundation/logger.h"

namespace {

const char kGroupTitle[] = "Group Information";
const char kLinkTitle[] = "Link Information";
const char kTargetTitle[] = "Target Information";

OrvList<OrvString> tagList(std::initializer_list<const char*> names) {
  OrvList<OrvString> list;
  for (const char* n : names) list.insertAtBack(OrvString(n));
  return list;
}

int countOf(const OrvList<OrvString>& tags) { return tags.numObjects(); }

// Reads one line and trims it; 0 on a read error.
int nextTrimmed(OrvInFile& in, OrvString& line) {
  if (!in.getNextLine(line)) return 0;
  line.trim();
  return 1;
}

// The common walk of the link and target tables: header row, section title
// before it, then rows until an empty line, another section or the end.
struct TableSpec {
  const char* title;
  const char* other1;
  const char* other2;
  const char* tagMissing;   // debug line when there is no header row
  const char* infoMissing;  // debug line when the title is missing
};

int readTableRows(Logger* log, const OrvString& file, OrvList<OrvString> required,
                  const TableSpec& spec, OrvList<OrvString>& tags,
                  std::vector<std::vector<OrvString> >& rows) {
  OrvString tagRow;
  if (!OrvVexaUtil::getTagRow(file, required, tags, tagRow)) {
    log->logDebug("%s", spec.tagMissing);
    return 0;
  }
  OrvInFile in(file, 1);
  if (!in.isGood()) {
    log->log("Error: File [%s] open failed.", file.getValue());
    return 0;
  }
  OrvString line;
  bool titleSeen = false;
  bool headerRead = false;
  while (!in.endOfFile()) {
    if (!nextTrimmed(in, line)) {
      log->log("Error: File [%s] access failed.", file.getValue());
      return 0;
    }
    if (line == tagRow) {
      headerRead = true;
      break;
    }
    if (line == spec.title) titleSeen = true;
  }
  if (!headerRead || !titleSeen) {
    log->logDebug("%s", spec.infoMissing);
    return 0;
  }
  OrvString current;
  if (!in.endOfFile() && !nextTrimmed(in, current)) {
    log->log("Error: File [%s] access failed.", file.getValue());
    return 0;
  }
  // A final row without a line feed arrives together with the end of file
  // and still counts.
  while (current.getLength() > 1 && current != spec.other1 && current != spec.other2) {
    std::vector<OrvString> cells;
    OrvTableRow::split(current, countOf(tags), 0, cells);
    rows.push_back(cells);
    if (in.endOfFile()) break;
    if (!nextTrimmed(in, current)) {
      log->log("Error: File [%s] access failed.", file.getValue());
      return 0;
    }
  }
  return 1;
}

struct VolumeHeader {
  OrvList<OrvString> tags;
  OrvString row;
};

int isGroupSectionEnd(const OrvString& line) {
  return line == kLinkTitle || line == kTargetTitle;
}

void fillGroup(const OrvList<OrvString>& tags, const OrvString& row, _VolGroupStatus& g) {
  std::vector<OrvString> cells;
  OrvTableRow::split(row, countOf(tags), 1, cells);
  g.name = OrvTableRow::cell(tags, cells, "Name");
  g.target = OrvTableRow::cell(tags, cells, "Target");
  g.status = OrvTableRow::cell(tags, cells, "Status");
  g.role = OrvTableRow::cell(tags, cells, "Role");
  g.mode = OrvTableRow::cell(tags, cells, "Mode");
  // Whole option words only: "no_fail_wrt_on_err" must not read as
  // "fail_wrt_on_err".
  OrvString options = OrvTableRow::cell(tags, cells, "Options");
  g.autoRecover = OrvTableRow::hasItem(options, "auto_recover") ? "yes" : "no";
  g.failsafeMode =
      OrvTableRow::hasItem(options, "fail_wrt_on_err") ? "fail_wrt_on_err" : "no_fail_wrt_on_err";
}

_VolumeStatus makeVolume(const OrvList<OrvString>& tags, const OrvString& row) {
  std::vector<OrvString> cells;
  OrvTableRow::split(row, countOf(tags), 0, cells);
  _VolumeStatus v;
  v.localVV = OrvTableRow::cell(tags, cells, "LocalVV");
  v.remoteVV = OrvTableRow::cell(tags, cells, "RemoteVV");
  v.syncStatus = OrvTableRow::cell(tags, cells, "SyncStatus");
  if (v.syncStatus.contains("Syncing")) v.syncStatus = "Syncing";
  v.lastSyncTime = OrvTableRow::cell(tags, cells, "LastSyncTime");
  return v;
}

}  // namespace

int OrvVexaUtil::getTagRow(OrvString file, OrvList<OrvString> requiredTags,
                           OrvList<OrvString>& tags, OrvString& tagRow) {
  refreshLogger();
  OrvInFile in(file, 1);
  if (!in.isGood()) {
    logger_->log("File [%s] open failed.", file.getValue());
    return 0;
  }
  OrvString line;
  bool found = false;
  while (!found && !in.endOfFile()) {
    if (!nextTrimmed(in, line)) {
      logger_->log("File [%s] access failed.", file.getValue());
      return 0;
    }
    if (line.getLength() <= 1) continue;
    found = true;
    for (int i = 0; i < requiredTags.numObjects() && found; ++i)
      if (!line.contains(requiredTags[i]->data().getValue())) found = false;
  }
  if (!found) return 0;
  tagRow = line;
  OrvString cells(line);
  const char* cell = cells.strToken(",", 1);
  for (;;) {
    OrvString tag(cell);
    tag.trim();
    if (tag.getLength() == 0) break;
    tags.insertAtBack(tag);
    if (cells.strTokenEndOfStr()) break;
    cell = cells.strToken(",", 0);
  }
  return 1;
}

int OrvVexaUtil::parseShowRCopyLinks(OrvString file, OrvList<_RcLink>& links) {
  refreshLogger();
  links.removeAll();
  static const TableSpec spec = {kLinkTitle, kGroupTitle, kTargetTitle, "Links tag not found",
                                 "Links information not found"};
  OrvList<OrvString> tags;
  std::vector<std::vector<OrvString> > rows;
  int ok = readTableRows(logger_, file, tagList({"Target", "Node", "Address", "Status"}), spec,
                         tags, rows);
  for (const std::vector<OrvString>& cells : rows) {
    _RcLink l;
    l.target = OrvTableRow::cell(tags, cells, "Target");
    l.node = OrvTableRow::cell(tags, cells, "Node");
    l.address = OrvTableRow::cell(tags, cells, "Address");
    l.status = OrvTableRow::cell(tags, cells, "Status");
    links.insertAtBack(l);
  }
  return ok;
}

int OrvVexaUtil::parseShowRCopyTargets(OrvString file, OrvList<_RcTarget>& targets) {
  refreshLogger();
  targets.removeAll();
  static const TableSpec spec = {kTargetTitle, kGroupTitle, kLinkTitle, "Target tag not found",
                                 "Target information not found"};
  OrvList<OrvString> tags;
  std::vector<std::vector<OrvString> > rows;
  int ok = readTableRows(logger_, file,
                         tagList({"Name", "ID", "Type", "Status", "SysName", "SysID"}), spec,
                         tags, rows);
  for (const std::vector<OrvString>& cells : rows) {
    _RcTarget t;
    t.name = OrvTableRow::cell(tags, cells, "Name");
    t.id = OrvTableRow::cell(tags, cells, "ID");
    t.type = OrvTableRow::cell(tags, cells, "Type");
    t.status = OrvTableRow::cell(tags, cells, "Status");
    t.policy = OrvTableRow::cell(tags, cells, "Policy");
    t.sysName = OrvTableRow::cell(tags, cells, "SysName");
    t.sysId = OrvTableRow::cell(tags, cells, "SysID");
    targets.insertAtBack(t);
  }
  return ok;
}

int OrvVexaUtil::parseShowRCopyGroups(OrvString file, OrvList<_VolGroupStatus>& groups) {
  refreshLogger();
  groups.removeAll();
  OrvList<OrvString> groupTags;
  OrvString groupRow;
  if (!getTagRow(file, tagList({"Name", "Target", "Status", "Role", "Mode", "Options"}),
                 groupTags, groupRow)) {
    logger_->logDebug("Volume group tags not found");
    return 0;
  }
  // A listing may mix synchronous groups (LastSyncTime) and periodic ones
  // (LastSnapTime); either volume header switches volume reading on.
  VolumeHeader headers[2];
  int headerCount = 0;
  if (getTagRow(file, tagList({"LocalVV", "ID", "RemoteVV", "SyncStatus", "LastSyncTime"}),
                headers[headerCount].tags, headers[headerCount].row))
    ++headerCount;
  if (getTagRow(file, tagList({"LocalVV", "ID", "RemoteVV", "SyncStatus", "LastSnapTime"}),
                headers[headerCount].tags, headers[headerCount].row))
    ++headerCount;
  if (headerCount == 0) {
    logger_->logDebug("Virtual Volume group tags not found");
    return 0;
  }

  OrvInFile in(file, 1);
  if (!in.isGood()) {
    logger_->log("Error: File [%s] open failed.", file.getValue());
    return 0;
  }
  OrvString current;
  bool inSection = false;
  while (!inSection && !in.endOfFile()) {
    if (!nextTrimmed(in, current)) {
      logger_->log("File [%s] access failed.", file.getValue());
      return 0;
    }
    inSection = current == kGroupTitle;
  }
  if (!inSection) {
    logger_->log("Group Information not found");
    return 0;
  }

  for (;;) {
    // Find the group header row; the current line counts, since the volume
    // walk of the previous group stops on the next group's header.
    while (current != groupRow && !isGroupSectionEnd(current) && !in.endOfFile()) {
      if (!nextTrimmed(in, current)) {
        logger_->log("File [%s] access failed.", file.getValue());
        return 0;
      }
    }
    if (current != groupRow || in.endOfFile()) break;
    OrvString dataRow;
    do {
      if (!nextTrimmed(in, dataRow)) {
        logger_->log("File [%s] access failed.", file.getValue());
        return 0;
      }
    } while (dataRow.getLength() < 2 && !in.endOfFile());
    if (dataRow.getLength() < 2 || dataRow == groupRow || isGroupSectionEnd(dataRow)) {
      current = dataRow;
      if (isGroupSectionEnd(current) || in.endOfFile()) break;
      continue;
    }
    _VolGroupStatus group;
    fillGroup(groupTags, dataRow, group);

    const VolumeHeader* volumeHeader = nullptr;
    bool afterHeader = false;
    current = "";
    while (!in.endOfFile()) {
      if (!nextTrimmed(in, current)) {
        logger_->log("File [%s] access failed.", file.getValue());
        return 0;
      }
      if (afterHeader) {
        afterHeader = false;
        if (current.getLength() < 2) break;  // an empty volume table
      }
      if (current.getLength() < 2) continue;
      if (current == groupRow || isGroupSectionEnd(current)) break;
      const VolumeHeader* h = nullptr;
      for (int i = 0; i < headerCount; ++i)
        if (current == headers[i].row) h = &headers[i];
      if (h != nullptr) {
        volumeHeader = h;
        afterHeader = true;
        continue;
      }
      if (volumeHeader != nullptr) group.volumes.insertAtBack(makeVolume(volumeHeader->tags, current));
    }
    groups.insertAtBack(group);
    if (isGroupSectionEnd(current)) break;
  }
  return 1;
}

int OrvVexaUtil::parseShowSysD(OrvString file, _ArrayInfo& info) {
  refreshLogger();
  OrvInFile in(file, 1);
  if (!in.isGood()) {
    logger_->log("Error: File [%s] open failed.", file.getValue());
    return 0;
  }
  OrvString line;
  bool general = false;
  while (!general && !in.endOfFile()) {
    if (!in.getNextLine(line)) {
      logger_->log("Error: File [%s] access failed.", file.getValue());
      return 0;
    }
    general = line.contains("--General--") != 0;
  }
  if (!general) {
    logger_->logDebug("Array general information not found in the CLI output");
    return 0;
  }
  bool name = false, model = false, serial = false, id = false;
  while (!in.endOfFile()) {
    if (!in.getNextLine(line)) {
      logger_->log("Error: File [%s] access failed.", file.getValue());
      return 0;
    }
    std::vector<OrvString> cells;
    OrvTableRow::split(line, 2, 0, cells);
    if (line.contains("System Name")) {
      info.systemName = cells[1];
      name = true;
    } else if (line.contains("System Model")) {
      info.systemModel = cells[1];
      model = true;
    } else if (line.contains("Serial Number")) {
      info.serialNumber = cells[1];
      serial = true;
    } else if (line.contains("System ID")) {
      info.systemId = cells[1];
      id = true;
    }
  }
  if (!(name && model && serial && id)) {
    logger_->logDebug("One or more Array general information not found in the CLI output");
    return 0;
  }
  return 1;
}

int OrvVexaUtil::extractVolmeGroupDetails(OrvString file, OrvString group, OrvString target,
                                          _VolGroupStatus& result) {
  refreshLogger();
  logger_->logDebug("Entered extractVolmeGroupDetails");
  result.volumes.removeAll();
  OrvList<_VolGroupStatus> groups;
  if (!parseShowRCopyGroups(file, groups)) {
    logger_->logDebug("Failed to parse showrcopy groups structure");
    return 0;
  }
  for (int i = 0; i < groups.numObjects(); ++i) {
    const _VolGroupStatus& g = groups[i]->data();
    if (g.name == group && g.target == target) {
      result = g;
      return 1;
    }
  }
  logger_->logDebug("Volume group name not found");
  return 0;
}

int OrvVexaUtil::extractVolumeGroupNames(OrvString file, OrvString target,
                                         OrvList<OrvString>& names) {
  refreshLogger();
  logger_->logDebug("Entered extractVolumeGroupNamesAndTarget");
  OrvList<_VolGroupStatus> groups;
  if (!parseShowRCopyGroups(file, groups)) {
    logger_->logDebug("Failed to parse showrcopy groups structure");
    return 0;
  }
  names.removeAll();
  for (int i = 0; i < groups.numObjects(); ++i)
    if (groups[i]->data().target == target) names.insertAtBack(groups[i]->data().name);
  logger_->logDebug("Leaving extractVolumeGroupNamesAndTarget");
  return 1;
}

int OrvVexaUtil::extractLinkStatus(OrvString file, OrvString target, OrvString& linkStatus) {
  refreshLogger();
  logger_->logDebug("Entered extractLinkStatus");
  OrvList<_RcLink> links;
  if (!parseShowRCopyLinks(file, links)) {
    logger_->logDebug("Failed to parse showrcopy links structure");
    return 0;
  }
  bool any = false, up = false, down = false;
  for (int i = 0; i < links.numObjects(); ++i) {
    const _RcLink& l = links[i]->data();
    if (l.target != target) continue;
    any = true;
    if (l.status == "Up") up = true;
    if (l.status == "Down") down = true;
  }
  if (!any) {
    logger_->logDebug("No link information found for the target");
    return 0;
  }
  linkStatus = up ? "Up" : (down ? "Down" : "Not Started");
  logger_->logDebug("Leaving extractLinkStatus");
  return 1;
}
