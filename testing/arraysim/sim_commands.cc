#include "testing/arraysim/sim_commands.h"

#include <cstdlib>

#include "testing/arraysim/sim_format.h"

namespace arraysim {

namespace {

// Tasks kept per array; older ones are forgotten as a real array does.
constexpr size_t kMaxTasks = 50;

struct Args {
  std::vector<std::string> pos;
  std::string target;
  bool hasTarget = false;
  bool stopGroups = false;
  bool waitTask = false;
  bool csv = false;
  bool detail = false;
  std::string detailValue;  // showtask -d ID
  std::string error;
};

Args parseArgs(const std::vector<std::string>& words, size_t from,
               bool detailTakesValue = false) {
  Args a;
  for (size_t i = from; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (w == "-t") {
      if (i + 1 >= words.size()) {
        a.error = "option -t needs a target name";
        return a;
      }
      a.target = words[++i];
      a.hasTarget = true;
    } else if (w == "-stopgroups") {
      a.stopGroups = true;
    } else if (w == "-waittask") {
      a.waitTask = true;
    } else if (w == "-csvtable") {
      a.csv = true;
    } else if (w == "-d") {
      a.detail = true;
      if (detailTakesValue && i + 1 < words.size() && words[i + 1][0] != '-')
        a.detailValue = words[++i];
    } else if (!w.empty() && w[0] == '-') {
      // -f and the other confirmation or display flags change nothing here.
    } else {
      a.pos.push_back(w);
    }
  }
  return a;
}

bool isStartedLike(const std::string& status) {
  return status == "Started" || status == "Starting";
}

std::string swappedRole(const std::string& role) {
  if (role == "Primary") return "Secondary";
  if (role == "Secondary") return "Primary";
  if (role == "Primary-Rev") return "Secondary-Rev";
  if (role == "Secondary-Rev") return "Primary-Rev";
  return role;
}

class Runner {
 public:
  Runner(SimScenario& s, SimArray& a, const SimFaultEffect& effect)
      : s_(s), a_(a), effect_(effect) {}

  SimOutput run(const std::vector<std::string>& words) {
    if (words.empty()) return fail("no command given");
    const std::string& cmd = words[0];
    if (cmd == "showversion") return showVersion(words);
    if (cmd == "showsys") return showSys(words);
    if (cmd == "showrcopy") return showRcopy(words);
    if (cmd == "showtask") return showTask(words);
    if (cmd == "stoprcopygroup") return stopGroup(words);
    if (cmd == "startrcopygroup") return startGroup(words);
    if (cmd == "syncrcopy") return syncGroup(words);
    if (cmd == "setrcopygroup") return setGroup(words);
    SimOutput o;
    o.err = cmd + ": command not found\n";
    o.exitCode = 1;
    return o;
  }

 private:
  SimOutput fail(const std::string& message) {
    SimOutput o;
    o.err = "Error: " + message + "\n";
    o.exitCode = 1;
    return o;
  }

  SimOutput ok(const std::string& out = "") {
    SimOutput o;
    o.out = out;
    return o;
  }

  std::vector<const SimGroup*> visibleGroups() const {
    std::vector<const SimGroup*> out;
    if (effect_.groupMissing) return out;
    for (const SimGroup& g : a_.groups) out.push_back(&g);
    return out;
  }

  // The group named by a group command; sets err when it cannot be used.
  SimGroup* lookup(const Args& args, std::string& err, bool needTarget) {
    if (!args.error.empty()) {
      err = args.error;
      return nullptr;
    }
    if (args.pos.empty()) {
      err = "no Remote Copy group name given";
      return nullptr;
    }
    if (needTarget && !args.hasTarget) {
      err = "option -t <target> is required";
      return nullptr;
    }
    const std::string& name = args.pos.back();
    SimGroup* g = effect_.groupMissing ? nullptr : a_.findGroup(name);
    if (g == nullptr) {
      err = "Remote Copy group " + name + " does not exist";
      return nullptr;
    }
    if (args.hasTarget && args.target != g->target) {
      err = "Remote Copy group " + name + " does not replicate to target " +
            args.target;
      return nullptr;
    }
    return g;
  }

  SimGroup* peer(const SimGroup& g) { return s_.peerOf(g); }

  // Both arrays see an Up link on the pair's targets.
  bool linked(const SimGroup& g) {
    if (a_.linkState(g.target) != "Up") return false;
    SimArray* other = s_.findArray(g.peerArray);
    SimGroup* p = peer(g);
    return other != nullptr && p != nullptr &&
           other->linkState(p->target) == "Up";
  }

  void stopHalf(SimGroup& g) {
    if (g.status == "New") return;
    g.status = "Stopped";
    g.polls = 0;
    g.starting = 0;
    for (SimVolume& v : g.volumes)
      if (v.sync == "Synced" || v.sync == "Syncing" || v.sync == "NotSynced")
        v.sync = "Stopped";
  }

  void markSynced(SimGroup& g) {
    for (SimVolume& v : g.volumes) {
      if (v.sync == "Syncing") {
        v.sync = "Synced";
        v.last = s_.settings.now;
      }
    }
  }

  void startHalf(SimGroup& g) {
    g.polls = s_.settings.startPolls > 0 ? s_.settings.startPolls : 0;
    for (SimVolume& v : g.volumes)
      if (v.sync != "Synced") v.sync = "Syncing";
    if (s_.settings.startingPolls > 0) {
      g.status = "Starting";
      g.starting = s_.settings.startingPolls;
      return;
    }
    becomeStarted(g);
  }

  void becomeStarted(SimGroup& g) {
    g.status = "Started";
    g.starting = 0;
    if (g.polls == 0) markSynced(g);
  }

  void startPair(SimGroup& g) {
    startHalf(g);
    if (SimGroup* p = peer(g)) startHalf(*p);
  }

  // One listing of a starting or syncing pair brings it one poll closer to
  // Started and then to Synced.
  void pollPair(SimGroup& g) {
    SimGroup* p = peer(g);
    if (g.status == "Starting" && g.starting > 0) {
      --g.starting;
      if (p != nullptr && p->status == "Starting") p->starting = g.starting;
      if (g.starting == 0) {
        becomeStarted(g);
        if (p != nullptr && p->status == "Starting") becomeStarted(*p);
      }
      return;
    }
    if (g.status == "Started" && g.stopAfter > 0 && a_.linkState(g.target) == "Down") {
      if (--g.stopAfter == 0) {
        g.status = "Stopped";
        if (p != nullptr && p->status == "Started") p->status = "Stopped";
      }
      return;
    }
    if (g.status != "Started" || g.polls <= 0) return;
    bool syncing = false;
    for (const SimVolume& v : g.volumes) syncing |= v.sync == "Syncing";
    if (!syncing) return;
    --g.polls;
    if (p != nullptr) p->polls = g.polls;
    if (g.polls == 0) {
      markSynced(g);
      if (p != nullptr) markSynced(*p);
    }
  }

  void pollListed(const std::vector<const SimGroup*>& listed) {
    for (const SimGroup* g : listed) pollPair(*a_.findGroup(g->name));
  }

  SimTask& newTask(const std::string& type, const std::string& group) {
    if (a_.tasks.size() >= kMaxTasks) a_.tasks.erase(a_.tasks.begin());
    SimTask t;
    t.id = s_.settings.nextTask++;
    t.type = type;
    t.name = group;
    t.started = s_.settings.now;
    t.result = effect_.taskFails ? "failed" : s_.settings.taskResult;
    a_.tasks.push_back(t);
    return a_.tasks.back();
  }

  void finishTask(SimTask& t) {
    t.status = t.result;
    t.polls = 0;
    if (t.status != "done" || t.type != "remote_copy_sync") return;
    SimGroup* g = a_.findGroup(t.name);
    if (g == nullptr) return;
    for (SimGroup* half : {g, peer(*g)}) {
      if (half == nullptr) continue;
      half->changes = false;
      for (SimVolume& v : half->volumes) {
        if (v.sync == "Syncing" || v.sync == "Synced" ||
            v.sync == "NotSynced" || v.sync == "Stale") {
          v.sync = "Synced";
          v.last = s_.settings.now;
        }
      }
    }
  }

  // A command with -waittask: its task has ended when the command returns.
  SimOutput waited(const std::string& type, const std::string& group) {
    SimTask& t = newTask(type, group);
    t.status = t.result == "failed" ? "failed" : "done";
    SimOutput o;
    o.out = "Started tasks: " + std::to_string(t.id) + "\n";
    if (t.status == "done") {
      o.out += "Task " + std::to_string(t.id) + " has completed.\n";
    } else {
      o.out += "Task " + std::to_string(t.id) + " has failed.\n";
      o.exitCode = 1;
    }
    return o;
  }

  // ---- show commands ----

  SimOutput showVersion(const std::vector<std::string>& words) {
    bool shortForm = false;
    for (size_t i = 1; i < words.size(); ++i) shortForm |= words[i] == "-s";
    return ok(formatVersion(a_, shortForm));
  }

  SimOutput showSys(const std::vector<std::string>& words) {
    Args args = parseArgs(words, 1);
    return ok(args.detail ? formatSysDetail(a_) : formatSys(a_));
  }

  SimOutput showRcopy(const std::vector<std::string>& words) {
    Args args = parseArgs(words, 1);
    if (!args.error.empty()) return fail(args.error);
    std::string what = args.pos.empty() ? "" : args.pos[0];
    if (what == "links") return ok(formatLinks(a_, args.csv));
    if (what == "targets") return ok(formatTargets(a_, args.csv));
    std::vector<const SimGroup*> listed = visibleGroups();
    if (what == "groups" && args.pos.size() > 1) {
      std::vector<const SimGroup*> named;
      for (size_t i = 1; i < args.pos.size(); ++i) {
        const SimGroup* found = nullptr;
        for (const SimGroup* g : listed)
          if (g->name == args.pos[i]) found = g;
        if (found == nullptr)
          return fail("Remote Copy group " + args.pos[i] + " does not exist");
        named.push_back(found);
      }
      listed = named;
    } else if (!what.empty() && what != "groups") {
      return fail("invalid showrcopy subcommand " + what);
    }
    std::string text = what == "groups"
                           ? formatGroups(listed, args.csv)
                           : formatRcopyDetail(a_, listed, args.csv);
    pollListed(listed);
    return ok(text);
  }

  SimOutput showTask(const std::vector<std::string>& words) {
    Args args = parseArgs(words, 1, true);
    if (!args.detail) return ok(formatTaskList(a_, args.csv));
    std::string idText = args.detailValue;
    if (idText.empty() && !args.pos.empty()) idText = args.pos[0];
    if (idText.empty()) return fail("no task id given");
    char* end = nullptr;
    long id = std::strtol(idText.c_str(), &end, 10);
    SimTask* t = *end == '\0' ? a_.findTask(static_cast<int>(id)) : nullptr;
    if (t == nullptr) return fail("task " + idText + " does not exist");
    std::string text = formatTaskDetail(*t, s_.settings.now, args.csv);
    if (t->status == "active") {
      if (t->polls > 0) --t->polls;
      if (t->polls <= 0) finishTask(*t);
    }
    return ok(text);
  }

  // ---- group commands ----

  SimOutput stopGroup(const std::vector<std::string>& words) {
    Args args = parseArgs(words, 1);
    std::string err;
    SimGroup* g = lookup(args, err, true);
    if (g == nullptr) return fail(err);
    if (!isStartedLike(g->status) && g->status != "Failsafe")
      return ok("Remote Copy group " + g->name + " is already stopped.\n");
    bool withPeer = linked(*g);
    stopHalf(*g);
    if (withPeer) stopHalf(*peer(*g));
    return ok();
  }

  SimOutput startGroup(const std::vector<std::string>& words) {
    Args args = parseArgs(words, 1);
    std::string err;
    SimGroup* g = lookup(args, err, true);
    if (g == nullptr) return fail(err);
    if (isStartedLike(g->status))
      return ok("Remote Copy group " + g->name + " is already started.\n");
    if (!isPrimaryRole(g->role))
      return fail("Remote Copy group " + g->name + " has the role " +
                  g->role + "; start it from its primary system");
    if (!linked(*g))
      return fail("Remote Copy target " + g->target +
                  " is not ready: the links are down");
    if (isPrimaryRole(peer(*g)->role))
      return fail("Remote Copy group " + g->name +
                  " and its peer both have primary roles");
    startPair(*g);
    return ok();
  }

  SimOutput syncGroup(const std::vector<std::string>& words) {
    Args args = parseArgs(words, 1);
    std::string err;
    SimGroup* g = lookup(args, err, true);
    if (g == nullptr) return fail(err);
    if (g->status != "Started")
      return fail("Remote Copy group " + g->name + " is not started");
    if (!isPrimaryRole(g->role))
      return fail("syncrcopy must be issued on the primary system of group " +
                  g->name);
    if (!linked(*g))
      return fail("Remote Copy target " + g->target +
                  " is not ready: the links are down");
    if (!g->changes)
      return ok("No changes to synchronize for group " + g->name + ".\n");
    SimTask& t = newTask("remote_copy_sync", g->name);
    t.polls = s_.settings.taskPolls;
    std::string out = "Synchronization started for group " + g->name +
                      ", task ID = " + std::to_string(t.id) + "\n";
    if (t.polls <= 0) finishTask(t);
    return ok(out);
  }

  SimOutput setGroup(const std::vector<std::string>& words) {
    if (words.size() < 2) return fail("setrcopygroup needs a subcommand");
    const std::string& sub = words[1];
    Args args = parseArgs(words, 2);
    const bool allTargets = sub == "restore" && !args.hasTarget;
    std::string err;
    SimGroup* g = lookup(args, err, !allTargets);
    if (g == nullptr) return fail(err);
    // A waited-for task that fails leaves the pair as it was.
    SimGroup* p = peer(*g);
    const SimGroup before = *g;
    const SimGroup peerBefore = p != nullptr ? *p : SimGroup();
    SimOutput o;
    if (sub == "reverse")
      o = reverse(*g, args);
    else if (sub == "failover")
      o = failover(*g);
    else if (sub == "recover")
      o = recover(*g);
    else if (sub == "restore")
      o = restore(*g, args);
    else if (sub == "override")
      o = override(*g);
    else
      return fail("invalid setrcopygroup subcommand " + sub);
    if (o.exitCode != 0 || !args.waitTask) return o;
    SimOutput w = waited("rcopy_" + sub, g->name);
    if (w.exitCode != 0) {
      *g = before;
      if (p != nullptr) *p = peerBefore;
    }
    w.out = o.out + w.out;
    return w;
  }

  SimOutput reverse(SimGroup& g, const Args& args) {
    bool withPeer = linked(g);
    SimGroup* p = peer(g);
    if (args.stopGroups) {
      stopHalf(g);
      if (withPeer) stopHalf(*p);
    }
    if (isStartedLike(g.status) ||
        (withPeer && isStartedLike(p->status)))
      return fail("Remote Copy group " + g.name +
                  " must be stopped before it is reversed");
    g.role = swappedRole(g.role);
    if (withPeer) p->role = swappedRole(p->role);
    return ok();
  }

  SimOutput failover(SimGroup& g) {
    if (isPrimaryRole(g.role))
      return fail("Remote Copy group " + g.name + " has the role " + g.role +
                  "; failover applies to a secondary group");
    stopHalf(g);
    if (g.status == "New") g.status = "Stopped";
    g.role = "Primary-Rev";
    return ok();
  }

  SimOutput recover(SimGroup& g) {
    SimGroup* p = peer(g);
    if (p == nullptr) return fail("Remote Copy group " + g.name + " has no peer");
    SimGroup* revPrimary = nullptr;
    SimGroup* oldPrimary = nullptr;
    if (g.role == "Primary-Rev" && p->role == "Primary") {
      revPrimary = &g;
      oldPrimary = p;
    } else if (g.role == "Primary" && p->role == "Primary-Rev") {
      revPrimary = p;
      oldPrimary = &g;
    } else {
      return fail("Remote Copy group " + g.name +
                  " is not in a failover state that can be recovered");
    }
    if (!linked(g))
      return fail("Remote Copy target " + g.target +
                  " is not ready: the links are down");
    oldPrimary->role = "Secondary-Rev";
    startHalf(*revPrimary);
    startHalf(*oldPrimary);
    return ok();
  }

  SimOutput restore(SimGroup& g, const Args& args) {
    SimGroup* p = peer(g);
    if (p == nullptr) return fail("Remote Copy group " + g.name + " has no peer");
    const bool reversed =
        (g.role == "Primary-Rev" && p->role == "Secondary-Rev") ||
        (g.role == "Secondary-Rev" && p->role == "Primary-Rev");
    if (!reversed)
      return fail("Remote Copy group " + g.name +
                  " is not in a recovered state that can be restored");
    if (!linked(g))
      return fail("Remote Copy target " + g.target +
                  " is not ready: the links are down");
    if (args.stopGroups) {
      stopHalf(g);
      stopHalf(*p);
    }
    for (SimGroup* half : {&g, p})
      half->role = half->role == "Primary-Rev" ? "Secondary" : "Primary";
    startHalf(g);
    startHalf(*p);
    return ok();
  }

  SimOutput override(SimGroup& g) {
    if (g.status != "Failsafe")
      return fail("Remote Copy group " + g.name + " is not in failsafe state");
    g.status = "Stopped";
    return ok();
  }

  SimScenario& s_;
  SimArray& a_;
  const SimFaultEffect& effect_;
};

}  // namespace

SimOutput runCommand(SimScenario& s, const std::string& arrayName,
                     const std::vector<std::string>& words,
                     const SimFaultEffect& effect) {
  SimArray* a = s.findArray(arrayName);
  if (a == nullptr) {
    SimOutput o;
    o.err = "Error: unknown storage system " + arrayName + "\n";
    o.exitCode = 1;
    return o;
  }
  Runner r(s, *a, effect);
  return r.run(words);
}

}  // namespace arraysim
