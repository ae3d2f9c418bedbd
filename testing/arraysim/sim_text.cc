// The state file: SimScenario to text and back.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "testing/arraysim/sim_model.h"

namespace arraysim {

namespace {

const char kHeader[] =
    "# arraysim state: both arrays of a simulated replication pair.\n"
    "# One record per line: a keyword, a name, then key=value fields; a\n"
    "# value holding blanks, quotes or '=' is double-quoted (\\\" and \\\\\n"
    "# escapes).  Records below an \"array\" line belong to that array and\n"
    "# \"volume\" lines to the group above them; indentation is cosmetic.\n"
    "# Blank lines and lines starting with '#' are ignored.\n"
    "#   settings start_polls= starting_polls= task_polls= task_result= now=\n"
    "#            next_task=\n"
    "#   array NAME model= serial= sysid= version= version_lines=\n"
    "#   target NAME id= type= status= policy= sysname= sysid=\n"
    "#   link TARGET node= address= status=\n"
    "#   group NAME target= status= role= mode= options= peer_array=\n"
    "#         peer_group= polls= starting= changes=yes|no stop_after=\n"
    "#   volume LOCALVV id= remote= remote_id= sync= last=\n"
    "#   task ID type= name= status= polls= result= started=\n"
    "#   fault KIND command= path= nth= count= seconds= message= exit= seen=\n";

std::string quote(const std::string& v) {
  bool plain = !v.empty();
  for (char c : v)
    if (c == ' ' || c == '\t' || c == '"' || c == '=' || c == '\\' ||
        c == '#')
      plain = false;
  if (plain) return v;
  std::string out = "\"";
  for (char c : v) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

class Line {
 public:
  Line(const std::string& indent, const std::string& keyword,
       const std::string& name) {
    text_ = indent + keyword + " " + quote(name);
  }
  Line& f(const char* key, const std::string& v) {
    text_ += std::string(" ") + key + "=" + quote(v);
    return *this;
  }
  Line& f(const char* key, int v) { return f(key, std::to_string(v)); }
  std::string str() const { return text_ + "\n"; }

 private:
  std::string text_;
};

std::string seconds(double s) {
  std::ostringstream out;
  out << s;
  return out.str();
}

// Splits a record line into words; quoted words keep their blanks.
// Returns false on an unterminated quote.
bool splitWords(const std::string& line, std::vector<std::string>& words) {
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    std::string word;
    bool quoted = false;
    while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
      char c = line[i++];
      if (c == '"') {
        quoted = !quoted;
      } else if (quoted && c == '\\' && i < line.size()) {
        word += line[i++];
      } else {
        word += c;
      }
    }
    if (quoted) return false;
    words.push_back(word);
  }
  return true;
}

bool toInt(const std::string& s, int& out) {
  if (s.empty()) return false;
  char* end = nullptr;
  long v = std::strtol(s.c_str(), &end, 10);
  if (*end != '\0') return false;
  out = static_cast<int>(v);
  return true;
}

struct Record {
  std::string keyword;
  std::string name;
  std::map<std::string, std::string> fields;
  std::string error;

  std::string get(const char* key, const std::string& def = "") const {
    auto it = fields.find(key);
    return it == fields.end() ? def : it->second;
  }
  int num(const char* key, int def) {
    auto it = fields.find(key);
    if (it == fields.end()) return def;
    int v = 0;
    if (!toInt(it->second, v)) error = std::string("bad number for ") + key;
    return v;
  }
};

}  // namespace

std::string SimScenario::toText() const {
  std::string out = kHeader;
  out += "\n";
  out += Line("", "settings", "pair")
             .f("start_polls", settings.startPolls)
             .f("starting_polls", settings.startingPolls)
             .f("task_polls", settings.taskPolls)
             .f("task_result", settings.taskResult)
             .f("now", settings.now)
             .f("next_task", settings.nextTask)
             .str();
  for (const SimArray& a : arrays) {
    out += "\n";
    Line array("", "array", a.name);
    array.f("model", a.model).f("serial", a.serial).f("sysid", a.sysId).f("version", a.version);
    if (a.versionLines != 0) array.f("version_lines", a.versionLines);
    out += array.str();
    for (const SimTarget& t : a.targets)
      out += Line("  ", "target", t.name)
                 .f("id", t.id)
                 .f("type", t.type)
                 .f("status", t.status)
                 .f("policy", t.policy)
                 .f("sysname", t.sysName)
                 .f("sysid", t.sysId)
                 .str();
    for (const SimLink& l : a.links)
      out += Line("  ", "link", l.target)
                 .f("node", l.node)
                 .f("address", l.address)
                 .f("status", l.status)
                 .str();
    for (const SimGroup& g : a.groups) {
      out += Line("  ", "group", g.name)
                 .f("target", g.target)
                 .f("status", g.status)
                 .f("role", g.role)
                 .f("mode", g.mode)
                 .f("options", g.options)
                 .f("peer_array", g.peerArray)
                 .f("peer_group", g.peerGroup)
                 .f("polls", g.polls)
                 .f("starting", g.starting)
                 .f("changes", g.changes ? "yes" : "no")
                 .f("stop_after", g.stopAfter)
                 .str();
      for (const SimVolume& v : g.volumes)
        out += Line("    ", "volume", v.local)
                   .f("id", v.localId)
                   .f("remote", v.remote)
                   .f("remote_id", v.remoteId)
                   .f("sync", v.sync)
                   .f("last", v.last)
                   .str();
    }
    for (const SimTask& t : a.tasks)
      out += Line("  ", "task", std::to_string(t.id))
                 .f("type", t.type)
                 .f("name", t.name)
                 .f("status", t.status)
                 .f("polls", t.polls)
                 .f("result", t.result)
                 .f("started", t.started)
                 .str();
    for (const SimFault& f : a.faults)
      out += Line("  ", "fault", f.kind)
                 .f("command", f.command)
                 .f("path", f.path)
                 .f("nth", f.nth)
                 .f("count", f.count)
                 .f("seconds", seconds(f.seconds))
                 .f("message", f.message)
                 .f("exit", f.exitCode)
                 .f("seen", f.seen)
                 .str();
  }
  return out;
}

bool SimScenario::parse(const std::string& text, SimScenario& out,
                        std::string* error) {
  out = SimScenario();
  std::istringstream in(text);
  std::string raw;
  int lineNo = 0;
  SimArray* array = nullptr;
  SimGroup* group = nullptr;
  auto fail = [&](const std::string& why) {
    if (error != nullptr)
      *error = "state line " + std::to_string(lineNo) + ": " + why;
    out = SimScenario();
    return false;
  };
  while (std::getline(in, raw)) {
    ++lineNo;
    size_t first = raw.find_first_not_of(" \t\r");
    if (first == std::string::npos || raw[first] == '#') continue;
    std::vector<std::string> words;
    if (!splitWords(raw, words)) return fail("unterminated quote");
    Record r;
    r.keyword = words[0];
    if (words.size() < 2) return fail("record without a name");
    r.name = words[1];
    for (size_t i = 2; i < words.size(); ++i) {
      size_t eq = words[i].find('=');
      if (eq == std::string::npos) return fail("field without '=': " + words[i]);
      r.fields[words[i].substr(0, eq)] = words[i].substr(eq + 1);
    }
    if (r.keyword == "settings") {
      out.settings.startPolls = r.num("start_polls", out.settings.startPolls);
      out.settings.startingPolls =
          r.num("starting_polls", out.settings.startingPolls);
      out.settings.taskPolls = r.num("task_polls", out.settings.taskPolls);
      out.settings.taskResult = r.get("task_result", out.settings.taskResult);
      out.settings.now = r.get("now", out.settings.now);
      out.settings.nextTask = r.num("next_task", out.settings.nextTask);
    } else if (r.keyword == "array") {
      SimArray a;
      a.name = r.name;
      a.model = r.get("model", a.model);
      a.serial = r.get("serial");
      a.sysId = r.get("sysid");
      a.version = r.get("version", a.version);
      a.versionLines = r.num("version_lines", 0);
      out.arrays.push_back(a);
      array = &out.arrays.back();
      group = nullptr;
    } else if (array == nullptr) {
      return fail(r.keyword + " before any array");
    } else if (r.keyword == "target") {
      SimTarget t;
      t.name = r.name;
      t.id = r.num("id", t.id);
      t.type = r.get("type", t.type);
      t.status = r.get("status", t.status);
      t.policy = r.get("policy", t.policy);
      t.sysName = r.get("sysname");
      t.sysId = r.get("sysid");
      array->targets.push_back(t);
    } else if (r.keyword == "link") {
      SimLink l;
      l.target = r.name;
      l.node = r.get("node");
      l.address = r.get("address");
      l.status = r.get("status", l.status);
      array->links.push_back(l);
    } else if (r.keyword == "group") {
      SimGroup g;
      g.name = r.name;
      g.target = r.get("target");
      g.status = r.get("status", g.status);
      g.role = r.get("role", g.role);
      g.mode = r.get("mode", g.mode);
      g.options = r.get("options");
      g.peerArray = r.get("peer_array");
      g.peerGroup = r.get("peer_group");
      g.polls = r.num("polls", 0);
      g.starting = r.num("starting", 0);
      g.changes = r.get("changes", "yes") == "yes";
      g.stopAfter = r.num("stop_after", 0);
      array->groups.push_back(g);
      group = &array->groups.back();
    } else if (r.keyword == "volume") {
      if (group == nullptr) return fail("volume before any group");
      SimVolume v;
      v.local = r.name;
      v.localId = r.num("id", 0);
      v.remote = r.get("remote");
      v.remoteId = r.num("remote_id", 0);
      v.sync = r.get("sync", v.sync);
      v.last = r.get("last");
      group->volumes.push_back(v);
    } else if (r.keyword == "task") {
      SimTask t;
      if (!toInt(r.name, t.id)) return fail("task id is not a number");
      t.type = r.get("type");
      t.name = r.get("name");
      t.status = r.get("status", t.status);
      t.polls = r.num("polls", 0);
      t.result = r.get("result", t.result);
      t.started = r.get("started");
      array->tasks.push_back(t);
    } else if (r.keyword == "fault") {
      SimFault f;
      f.kind = r.name;
      f.command = r.get("command");
      f.path = r.get("path");
      f.nth = r.num("nth", 0);
      f.count = r.num("count", 1);
      f.seconds = std::atof(r.get("seconds", "0").c_str());
      f.message = r.get("message");
      f.exitCode = r.num("exit", 1);
      f.seen = r.num("seen", 0);
      array->faults.push_back(f);
    } else {
      return fail("unknown record " + r.keyword);
    }
    if (!r.error.empty()) return fail(r.error);
  }
  return true;
}

namespace {

bool makeDirs(const std::string& dir) {
  for (size_t i = 1; i <= dir.size(); ++i) {
    if (i == dir.size() || dir[i] == '/') {
      std::string prefix = dir.substr(0, i);
      if (mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
  }
  return true;
}

bool writeAtomically(const std::string& path, const std::string& text) {
  std::string tmp = path + ".tmp." + std::to_string(getpid());
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text;
    out.flush();
    if (!out) {
      std::remove(tmp.c_str());
      return false;
    }
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace

bool SimScenario::saveState(const std::string& dir) const {
  return makeDirs(dir) && writeAtomically(dir + "/state", toText());
}

bool SimScenario::save(const std::string& dir) const {
  if (!saveState(dir)) return false;
  std::ofstream journal(dir + "/journal", std::ios::trunc);
  return static_cast<bool>(journal);
}

SimScenario SimScenario::load(const std::string& dir, std::string* error) {
  SimScenario s;
  std::ifstream in(dir + "/state", std::ios::binary);
  if (!in) {
    if (error != nullptr) *error = "cannot read " + dir + "/state";
    return s;
  }
  std::ostringstream text;
  text << in.rdbuf();
  parse(text.str(), s, error);
  return s;
}

}  // namespace arraysim
