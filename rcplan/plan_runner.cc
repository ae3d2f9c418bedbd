#include "rcplan/plan_runner.h"

#include <sstream>

namespace rcplan {

namespace {

std::vector<std::string> wordsOf(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

bool has(const std::vector<std::string>& words, const char* word) {
  for (const std::string& w : words)
    if (w == word) return true;
  return false;
}

// The cells of one CSV line; a cell in double quotes may hold commas.
std::vector<std::string> cellsOf(const std::string& line) {
  std::vector<std::string> cells(1);
  bool quoted = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      cells.emplace_back();
    } else {
      cells.back() += c;
    }
  }
  return cells;
}

std::string lineOf(const std::vector<std::string>& cells) {
  std::string line;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) line += ',';
    line += cells[i].find(',') == std::string::npos ? cells[i] : "\"" + cells[i] + "\"";
  }
  return line;
}

int column(const std::vector<std::string>& header, const char* name) {
  for (size_t i = 0; i < header.size(); ++i)
    if (header[i] == name) return static_cast<int>(i);
  return -1;
}

// Walks a group listing: the group row under a header with Name, Status and
// Role, and the volume rows under a header with SyncStatus.  Either callback
// may change the cells it is given.
template <typename GroupRow, typename VolumeRow>
std::string walkListing(const std::string& listing, GroupRow onGroup, VolumeRow onVolume) {
  std::istringstream in(listing);
  std::string out;
  std::vector<std::string> groupHeader;
  int syncColumn = -1;
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> cells = cellsOf(line);
    if (column(cells, "Name") >= 0 && column(cells, "Role") >= 0) {
      groupHeader = cells;
      syncColumn = -1;
    } else if (column(cells, "SyncStatus") >= 0) {
      syncColumn = column(cells, "SyncStatus");
      groupHeader.clear();
    } else if (!groupHeader.empty() && cells.size() == groupHeader.size()) {
      if (onGroup(groupHeader, cells)) line = lineOf(cells);
    } else if (syncColumn >= 0 && static_cast<int>(cells.size()) > syncColumn) {
      if (onVolume(cells[syncColumn])) line = lineOf(cells);
    } else {
      groupHeader.clear();
      syncColumn = -1;
    }
    out += line + "\n";
  }
  return out;
}

// The half a discovery listing of group shows; known stays false when the
// group is not in it.
PlanRunner::Half readHalf(const std::string& listing, const std::string& group) {
  PlanRunner::Half half;
  half.group = group;
  bool volumesSynced = true;
  bool inGroup = false;
  walkListing(
      listing,
      [&](const std::vector<std::string>& header, std::vector<std::string>& cells) {
        inGroup = cells[column(header, "Name")] == group;
        if (inGroup && !half.known) {
          half.known = column(header, "Status") >= 0;
          if (half.known) {
            half.status = cells[column(header, "Status")];
            half.role = cells[column(header, "Role")];
          }
        }
        return false;
      },
      [&](std::string& sync) {
        if (inGroup) volumesSynced = volumesSynced && sync == "Synced";
        return false;
      });
  half.synced = half.known && volumesSynced;
  return half;
}

std::string swapped(const std::string& role) {
  if (role == "Primary") return "Secondary";
  if (role == "Secondary") return "Primary";
  if (role == "Primary-Rev") return "Secondary-Rev";
  if (role == "Secondary-Rev") return "Primary-Rev";
  return role;
}

void stop(PlanRunner::Half* h) {
  if (h == nullptr) return;
  h->status = "Stopped";
  h->synced = false;
  h->changed = true;
}

void start(PlanRunner::Half* h) {
  if (h == nullptr) return;
  h->status = "Started";
  h->synced = true;
  h->changed = true;
}

}  // namespace

PlanRunner::PlanRunner() { OrvCommandRunner::install(this); }

PlanRunner::~PlanRunner() {
  if (OrvCommandRunner::installed() == this) OrvCommandRunner::install(nullptr);
}

std::string PlanRunner::editListing(const std::string& listing, const Half& half) {
  bool inGroup = false;
  return walkListing(
      listing,
      [&](const std::vector<std::string>& header, std::vector<std::string>& cells) {
        inGroup = cells[column(header, "Name")] == half.group;
        const int status = column(header, "Status");
        if (!inGroup || status < 0) return false;
        cells[status] = half.status;
        cells[column(header, "Role")] = half.role;
        return true;
      },
      [&](std::string& sync) {
        if (!inGroup) return false;
        if (half.synced) {
          sync = "Synced";
        } else if (half.status == "Stopped" && (sync == "Synced" || sync == "Syncing")) {
          sync = "Stopped";
        }
        return true;
      });
}

namespace {
const char kSystemPart[] = "Remote Copy System Information\nStatus: Started, Normal\n\n";
}  // namespace

std::string PlanRunner::groupListing(const Listed& half) {
  std::string options;
  for (const std::string& o : half.options) options += (options.empty() ? "" : ",") + o;
  std::string out = std::string(kSystemPart) + "Group Information\n\n" +
                    "Name,Target,Status,Role,Mode,Options\n" +
                    lineOf({half.group, half.target, half.status, half.role, half.mode,
                            options.empty() ? "-" : options}) +
                    "\nLocalVV,ID,RemoteVV,ID,SyncStatus,LastSyncTime\n";
  for (const char* n : {"0", "1"})
    out += lineOf({half.group + ".vv" + n, n, "remote.vv" + std::string(n), n, half.volumeSync,
                   "NA"}) + "\n";
  return out;
}

std::string PlanRunner::linksListing(const std::string& target, const std::string& status) {
  return std::string(kSystemPart) + "Link Information\n\n" +
         "Target,Node,Address,Status,Options\n" +
         lineOf({target, "0:3:1", "10.0.0.1", status, "-"}) + "\n" +
         lineOf({target, "1:3:1", "10.0.0.2", status, "-"}) + "\n";
}

PlanRunner::Half* PlanRunner::halfOf(const std::string& array) {
  auto it = halves_.find(array);
  return it != halves_.end() && it->second.known ? &it->second : nullptr;
}

PlanRunner::Half* PlanRunner::otherHalf(const std::string& array) {
  for (const std::string& a : arrays_)
    if (a != array) return halfOf(a);
  return nullptr;
}

PlanRunner::Half* PlanRunner::halfOfGroup(const std::string& group) {
  for (auto& entry : halves_)
    if (entry.second.known && entry.second.group == group) return &entry.second;
  return nullptr;
}

void PlanRunner::observed(const std::string& array, const std::string& text,
                          const std::string& output, int exitStatus) {
  seen_[{array, text}] = {output, exitStatus};
  bool met = false;
  for (const std::string& a : arrays_) met = met || a == array;
  if (!met && !array.empty()) arrays_.push_back(array);
  const std::vector<std::string> words = wordsOf(text);
  // "showrcopy groups GROUP -csvtable": the first one read is the state the
  // decision saw.
  if (exitStatus == 0 && words.size() >= 3 && words[0] == "showrcopy" && words[1] == "groups" &&
      words[2][0] != '-' && !halves_[array].known)
    halves_[array] = readHalf(output, words[2]);
}

bool PlanRunner::answer(const std::string& array, const std::string& text, std::string& output,
                        int* exitStatus) {
  const std::vector<std::string> words = wordsOf(text);
  *exitStatus = 0;
  output.clear();
  if (words.empty()) {
    *exitStatus = 1;
    return true;
  }
  if (words[0] == "showtask" && words.size() >= 3) {
    output = "Id,Type,Name,Status,Phase,Step,StartTime,FinishTime,Priority,User\n" + words[2] +
             ",remote_copy_sync,-,done,1/1,-,-,-,n/a,rcplan\n";
    return true;
  }
  if (words[0].compare(0, 4, "show") == 0) {
    auto it = seen_.find({array, text});
    if (it == seen_.end()) {
      output = "Error: not read by the dry run\n";
      *exitStatus = 1;
      return true;
    }
    *exitStatus = it->second.exitStatus;
    output = it->second.output;
    const Half* half = halfOf(array);
    if (*exitStatus == 0 && half != nullptr && half->changed && words.size() >= 2 &&
        words[1] == "groups")
      output = editListing(output, *half);
    return true;
  }
  steps_.push_back(array + ": " + text);
  apply(array, words);
  if (words[0] == "syncrcopy") {
    output = "Synchronization started for group " + words.back() +
             ", task ID = " + std::to_string(nextTask_++) + "\n";
  } else if (has(words, "-waittask")) {
    const std::string id = std::to_string(nextTask_++);
    output = "Started tasks: " + id + "\nTask " + id + " has completed.\n";
  }
  return true;
}

void PlanRunner::apply(const std::string& array, const std::vector<std::string>& words) {
  Half* self = halfOf(array);
  Half* other = otherHalf(array);
  const std::string& verb = words[0];
  const std::string sub = words.size() > 1 ? words[1] : "";
  if (verb == "stoprcopygroup") {
    stop(self);
    stop(other);
  } else if (verb == "startrcopygroup" || verb == "syncrcopy") {
    start(self);
    start(other);
  } else if (verb == "setrcopygroup" && sub == "reverse") {
    if (has(words, "-stopgroups")) {
      stop(self);
      stop(other);
    }
    for (Half* h : {self, other})
      if (h != nullptr) h->role = swapped(h->role), h->changed = true;
  } else if (verb == "setrcopygroup" && sub == "failover") {
    stop(self);
    if (self != nullptr) self->role = "Primary-Rev";
  } else if (verb == "setrcopygroup" && sub == "recover") {
    for (Half* h : {self, other})
      if (h != nullptr && h->role != "Primary-Rev") h->role = "Secondary-Rev";
    start(self);
    start(other);
  } else if (verb == "setrcopygroup" && sub == "restore") {
    for (Half* h : {self, other})
      if (h != nullptr) h->role = h->role == "Primary-Rev" ? "Secondary" : "Primary";
    start(self);
    start(other);
  } else if (verb == "setrcopygroup" && sub == "override") {
    stop(self);
  }
}

void PlanRunner::noteWait(const char* what, const std::string& subject, long boundSeconds,
                          unsigned pollSeconds) {
  const std::string kind = what;
  std::string goal;
  if (kind == "volumes") {
    goal = "for the volumes to be synchronised";
    for (auto& entry : halves_)
      if (entry.second.known) start(&entry.second);
  } else if (kind == "task") {
    goal = "for the sync task " + subject + " to complete";
  } else {
    goal = "for the array to stop group " + subject;
    stop(halfOfGroup(subject));
  }
  const std::string bound =
      boundSeconds < 0 ? "without a limit" : "up to " + std::to_string(boundSeconds) + " s";
  steps_.push_back("then waits " + bound + " " + goal + ", polling every " +
                   std::to_string(pollSeconds) + " s");
}

}  // namespace rcplan
