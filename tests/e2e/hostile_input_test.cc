// Hostile input end to end: package names, configuration values and array
// outputs that carry shell syntax, quotes, line feeds or very long texts.
// Each case must end with its own clear error line and exit code, run no
// injected command (the payload would create a file named "pwned") and
// write nothing outside the package directory.
//
// Then hostile surroundings: links, FIFOs and hard links planted in the
// package directory (at config_data, at the marker's name, and by a watcher
// at every new output file), an output pipe closed early, stop signals
// during a hung array command, a standard input others read, and steps of
// the wall clock during a wait.

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "testing/arraysim/sim_model.h"
#include "testing/fakes/fake_data.h"
#include "testing/sandbox/sandbox.h"
#include "tests/e2e/action_states.h"
#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/fault_support.h"

namespace {

using orv_e2e::PackageScenario;

const char kMarker[] = "pwned";
const std::string kTouch = "touch /tmp/pwned";

bool hostHasMarker() {
  struct stat st;
  return lstat("/tmp/pwned", &st) == 0;
}

struct HostileCase {
  const char* name;
  // Changes the healthy scenario; args is rcgate's argument list.
  std::function<void(PackageScenario&, std::vector<std::string>& args)> setup;
  int exitCode;
  // Messages that must appear exactly (the first is the case's own error).
  std::vector<std::string> errors;
  // No array command at all, not even a version probe.
  bool arraysUntouched = false;
};

// Sets a value of site A's configuration that names a word the arrays or
// the shell will see.
std::function<void(PackageScenario&, std::vector<std::string>&)> attr(const std::string& name,
                                                                      const std::string& value) {
  return [name, value](PackageScenario& s, std::vector<std::string>&) { s.set(name, value); };
}

std::function<void(PackageScenario&, std::vector<std::string>&)> packageArg(
    const std::string& value) {
  return [value](PackageScenario&, std::vector<std::string>& args) { args = {value}; };
}

std::string invalidPackage(const std::string& name) {
  return "Error: Invalid package name [" + name + "]; the package configuration is not loaded.";
}

const std::string kLongName = std::string(5000, 'p') + ";" + kTouch;

std::vector<HostileCase> cases() {
  std::vector<HostileCase> c;
  // Package names: refused before any command line is built; without its
  // configuration the package has no resource group.
  for (const std::string& name : std::vector<std::string>{
           "pkgora;" + kTouch, "pkgora$(" + kTouch + ")", "pkgora`" + kTouch + "`",
        "pkgora\n" + kTouch, "pkgora' \"x", "pkgora|" + kTouch, kLongName}) {
    c.push_back({"package name", packageArg(name), 1,
                 {invalidPackage(name), "Cannot find resource group for PackageName"}});
  }
  // Configuration values that end in array command lines, of either site
  // (this node is on site A): the whole configuration is refused before any
  // array is asked, so no side can count as unreadable and leave the start
  // to the other side's state.
  const std::string longGroup = std::string(3000, 'g') + ";" + kTouch;
  const struct {
    const char* attribute;
    std::string value;
  } unsafe[] = {
      {"DC1_STORAGE_SYSTEM_NAME", "vexaa;" + kTouch},
      {"DC2_STORAGE_SYSTEM_NAME", "vexab$(" + kTouch + ")"},
      {"DC1_STORAGE_SYSTEM_USER", "rcadmin;" + kTouch},
      {"DC2_STORAGE_SYSTEM_USER", "rc'admin"},
      // Only safe characters, but no ssh user before the underscore.
      {"DC1_STORAGE_SYSTEM_USER", "rcadmin/"},
      {"DC1_RC_VOLUME_GROUP", "rcgora_a`" + kTouch + "`"},
      {"DC2_RC_VOLUME_GROUP", "rcgora_b$(" + kTouch + ")"},
      {"DC1_RC_VOLUME_GROUP", longGroup},
      {"DC1_RC_TARGET_FOR_DC2", "vexab_tgt|" + kTouch},
      {"DC2_RC_TARGET_FOR_DC1", "vexaa_tgt&" + kTouch},
  };
  for (const auto& u : unsafe) {
    c.push_back({u.attribute, attr(std::string("RCVEXA_") + u.attribute, u.value), 1,
                 {"Error: Unsafe value [" + u.value + "] of attribute [" + u.attribute +
                      "]; the package configuration is refused.",
                  "End of Orvanta with Vexa Remote Copy.."},
                 true});
  }
  c.push_back({"package directory with ;",
               attr("VKR_PKG_DIR", "/usr/local/tarvos/run/pkgora;" + kTouch), 1,
               {"Error: Invalid package directory [/usr/local/tarvos/run/pkgora;" + kTouch +
                    "] for package [pkgora].",
                "Cannot find resource group for PackageName"}});
  // The same target name on the array and in the configuration of site B's
  // node: refused before the array's listing is even asked for.
  c.push_back({"target carrying ; on array and in configuration",
               [](PackageScenario& s, std::vector<std::string>&) {
                 s.node = "nodeb1";
                 const std::string t = "vexaa_tgt;" + kTouch;
                 s.set("RCVEXA_DC2_RC_TARGET_FOR_DC1", t);
                 arraysim::SimArray& b = s.arrays.array("vexab");
                 b.group("rcgora_b").target = t;
                 for (arraysim::SimTarget& target : b.targets) target.name = t;
                 for (arraysim::SimLink& link : b.links)
                   if (link.target != "receive") link.target = t;
               },
               1,
               {"Error: Unsafe value [vexaa_tgt;" + kTouch +
                "] of attribute [DC2_RC_TARGET_FOR_DC1]; the package configuration is refused."},
               true});
  // Array outputs.
  c.push_back({"task id carrying $()",
               [](PackageScenario& s, std::vector<std::string>&) {
                 s.node = "nodeb1";
                 for (arraysim::SimArray& a : s.arrays.arrays)
                   for (arraysim::SimGroup& g : a.groups) {
                     g.mode = "Periodic";
                     g.setVolumes("Stale");
                   }
                 arraysim::SimFault& f = s.arrays.array("vexaa").addFault("fail", "syncrcopy");
                 f.exitCode = 0;
                 f.message = "Synchronization started, task ID = 1001$(" + kTouch + ")";
               },
               2,
               {"Error: Invalid task id [1001$(" + kTouch + ")] in the command output"}});
  c.push_back({"names in the group listing carrying shell text",
               [](PackageScenario& s, std::vector<std::string>&) {
                 arraysim::SimArray& a = s.arrays.array("vexaa");
                 a.group("rcgora_a").volumes[0].local = "vv`" + kTouch + "`";
                 arraysim::SimGroup other = a.group("rcgora_a");
                 other.name = "g$(" + kTouch + ")";
                 a.groups.push_back(other);
                 a.targets.push_back(a.targets[0]);
                 a.targets.back().name = "t;" + kTouch;
               },
               0, {"Orvanta has determined that the Remote Copy volumes are in a read/write state."}});
  c.push_back({"garbled group listing",
               [](PackageScenario& s, std::vector<std::string>&) {
                 s.arrays.array("vexaa").addFault("garbled", "showrcopy groups");
               },
               0,
               {"INFO: Current status of the Remote Copy volume group:\n"
                "\tLocal Replication Role of the Remote Copy Volume Group  = UNKNOWN\n"
                "\tRemote Replication Role of the Remote Copy Volume Group  = Secondary\n"
                "\tRemote Copy Link Status = Up\n"
                "\tRemote Copy Volume Group Status = Started\n"
                "\tRemote Copy Volume Group Virtual Volume SyncStatus  = Synced\n"}});
  // An attribute the catalogue does not know stops the loading.
  c.push_back({"unknown attribute",
               [](PackageScenario& s, std::vector<std::string>&) {
                 s.set("RCVEXA_NO_SUCH_SETTING", "1");
                 s.moveToFront("RCVEXA_NO_SUCH_SETTING");
               },
               1,
               {"Error: Object name [NO_SUCH_SETTING] not found "}});
  return c;
}

class HostileInput : public ::testing::Test {
 protected:
  void SetUp() override {
    ORV_REQUIRE_SANDBOX();
    ORV_REQUIRE_RCGATE();
    ASSERT_FALSE(hostHasMarker()) << "/tmp/pwned exists on the host before the test";
  }

  // Runs one case in a fresh sandbox and checks the common promises.
  void runCase(const HostileCase& c) {
    SCOPED_TRACE(c.name);
    orv_sandbox::Sandbox sb;
    ASSERT_TRUE(sb.ok()) << sb.error();
    PackageScenario s;
    std::vector<std::string> args = {s.package};
    c.setup(s, args);
    ASSERT_EQ(s.install(sb), "");
    const orv_fault::TreeSnapshot before = orv_fault::snapshot(sb);

    orv_sandbox::RunResult r = orv_e2e::runRcgate(sb, args);
    ASSERT_TRUE(r.exited()) << r.describe();
    std::vector<std::string> msgs = orv_e2e::messages(r.output, false);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.output.substr(0, 4000);
    for (const std::string& e : c.errors)
      EXPECT_GE(orv_e2e::findMessage(msgs, e), 0)
          << "missing: " << e.substr(0, 300) << "\n" << r.output.substr(0, 4000);

    EXPECT_TRUE(orv_fault::findByName(sb.dir(), kMarker).empty())
        << orv_fault::join(orv_fault::findByName(sb.dir(), kMarker));
    EXPECT_FALSE(hostHasMarker()) << "an injected command ran on the host";
    const arraysim::SimJournal journal = orv_e2e::journal(sb);
    for (const arraysim::SimJournalEntry& e : journal.entries)
      EXPECT_EQ(e.command.find("touch"), std::string::npos) << e.command;
    if (c.arraysUntouched) {
      EXPECT_TRUE(journal.entries.empty()) << journal.entries.front().command;
      // A refused configuration ends the run: no verdict of an action.
      EXPECT_LT(orv_e2e::findMessage(msgs, "Package is allowed to start up"), 0) << r.output;
      ASSERT_FALSE(msgs.empty());
      EXPECT_EQ(msgs.back(), "End of Orvanta with Vexa Remote Copy..") << r.output;
    }
    std::vector<std::string> outside = orv_fault::changedOutside(
        before, orv_fault::snapshot(sb),
        {s.packageDir(), arraysim::kDefaultDir, orv_fake::kFakeDataDir, "/dev",
         "/usr/local/tarvos/run/rcgate-locks"});
    EXPECT_TRUE(outside.empty()) << orv_fault::join(outside);
    EXPECT_TRUE(orv_fault::leftovers(sb, s.packageDir()).empty())
        << orv_fault::join(orv_fault::leftovers(sb, s.packageDir()));
    ++ran_;
  }

  int ran_ = 0;
};

TEST_F(HostileInput, ConfigurationAndArgumentsNeverReachTheShell) {
  std::vector<HostileCase> all = cases();
  for (const HostileCase& c : all) runCase(c);
  std::printf("hostile-input cases run: %d of %zu\n", ran_, all.size());
}

// The package directory is read back from the cluster manager's output
// through a shell; whatever the attribute holds, quoted or not, it must be
// taken as text and then refused.
TEST_F(HostileInput, PackageDirectoryAttributeIsNotEvaluated) {
  const std::string base = "/usr/local/tarvos/run/pkgora";
  struct Dir {
    std::string value;
    bool quoted;
  };
  const Dir dirs[] = {
      {base + "$(" + kTouch + ")", true},
      {base + "`" + kTouch + "`", true},
      {base + ";" + kTouch, false},
      {base + "$(" + kTouch + ")", false},
  };
  for (const Dir& d : dirs) {
    runCase({"package directory", [d](PackageScenario& s, std::vector<std::string>&) {
               s.set("VKR_PKG_DIR", d.value, d.quoted);
             },
             1,
             {"Error: Invalid package directory [" + d.value + "] for package [pkgora].",
              "Cannot find resource group for PackageName"}});
  }
}

// ---- Hostile surroundings ------------------------------------------------

// A switch-over that waits for the copy, stops, reverses and starts on this
// node's array, waits again and may start here (3): many array commands,
// each with its output file, and two resynchronisation waits.
const char kTakeover[] = "ca_takeover_resyncwait_stoprcvg_reverse_startrcvg";
// A file only root may read, outside the package directory.
const char kVictim[] = "/usr/local/victim";
const char kVictimText[] = "root only\n";

enum PlantKind { kSymlink, kHardLink, kFifo };
const char* const kPlantNames[] = {"symbolic link", "hard link", "FIFO"};

// Puts a link to the victim (or a FIFO) at the sandbox path.
bool plant(const orv_sandbox::Sandbox& sb, const std::string& path, PlantKind kind) {
  const std::string host = sb.hostPath(path);
  switch (kind) {
    case kSymlink:
      return symlink(kVictim, host.c_str()) == 0;
    case kHardLink:
      return link(sb.hostPath(kVictim).c_str(), host.c_str()) == 0;
    case kFifo:
      return mkfifo(host.c_str(), 0666) == 0;
  }
  return false;
}

// The planted entry is still there, of its kind.
bool stillPlanted(const orv_sandbox::Sandbox& sb, const std::string& path, PlantKind kind) {
  struct stat st;
  if (lstat(sb.hostPath(path).c_str(), &st) != 0) return false;
  if (kind == kSymlink) return S_ISLNK(st.st_mode);
  if (kind == kFifo) return S_ISFIFO(st.st_mode);
  return S_ISREG(st.st_mode) && st.st_nlink == 2;
}

struct GateRun {
  orv_sandbox::RunResult result;
  std::vector<std::string> msgs;
  std::vector<std::string> commands;  // "array: command", probes left out
  int sleeps = 0;
};

class HostileSurroundings : public ::testing::Test {
 protected:
  void SetUp() override {
    ORV_REQUIRE_SANDBOX();
    ORV_REQUIRE_RCGATE();
    sb_.reset(new orv_sandbox::Sandbox());
    ASSERT_TRUE(sb_->ok()) << sb_->error();
  }

  // The takeover's package and arrays, and the victim file.
  void install(const std::function<void(orv_e2e::PackageScenario&)>& change = nullptr,
               const char* action = kTakeover) {
    const orv_actions::ActionCase* c = orv_actions::findActionCase(action);
    ASSERT_NE(c, nullptr);
    s_ = orv_actions::scenarioFor(c->state);
    if (change) change(s_);
    ASSERT_EQ(orv_actions::installState(*sb_, s_, c->state), "");
    ASSERT_TRUE(sb_->writeFile(kVictim, kVictimText, 0600));
    before_ = orv_fault::snapshot(*sb_);
  }

  GateRun run(orv_sandbox::RunOptions o) {
    if (o.argv.empty()) o.argv = {orv_e2e::rcgatePath(), s_.package};
    o.virtualTime = true;
    o.vtimeLog = "/usr/local/orv-sandbox/vtime.log";
    sb_->remove(o.vtimeLog);
    if (o.timeoutSeconds == 60) o.timeoutSeconds = 120;
    GateRun r;
    r.result = sb_->run(o);
    r.msgs = orv_e2e::messages(r.result.output, false);
    for (const arraysim::SimJournalEntry& e : orv_e2e::journal(*sb_).entries)
      if (e.command.compare(0, 11, "showversion") != 0)
        r.commands.push_back(e.array + ": " + e.command);
    r.sleeps = orv_fault::readSleepLog(*sb_, o.vtimeLog).sleeps;
    return r;
  }
  GateRun run() { return run(orv_sandbox::RunOptions()); }

  bool has(const GateRun& r, const std::string& text) const {
    return orv_e2e::findMessage(r.msgs, text) >= 0;
  }

  // Nothing outside the package directory changed (the victim included).
  void expectNothingOutside() {
    EXPECT_EQ(sb_->readFile(kVictim), kVictimText);
    std::vector<std::string> outside = orv_fault::changedOutside(
        before_, orv_fault::snapshot(*sb_),
        {s_.packageDir(), arraysim::kDefaultDir, orv_fake::kFakeDataDir, "/dev",
         "/usr/local/tarvos/run/rcgate-locks"});
    EXPECT_TRUE(outside.empty()) << orv_fault::join(outside);
  }

  std::vector<std::string> leftovers() const {
    return orv_actions::leftoversOf(*sb_, s_);
  }

  std::unique_ptr<orv_sandbox::Sandbox> sb_;
  orv_e2e::PackageScenario s_;
  orv_fault::TreeSnapshot before_;
};

// Whatever stands at config_data is never written, read or removed: the
// configuration comes from the cluster manager through the pipe.
TEST_F(HostileSurroundings, PlantedConfigDataIsLeftAlone) {
  for (PlantKind kind : {kSymlink, kHardLink, kFifo}) {
    SCOPED_TRACE(kPlantNames[kind]);
    SetUp();
    // A healthy start on the primary site: nothing to do.
    s_ = orv_e2e::PackageScenario();
    ASSERT_EQ(s_.install(*sb_), "");
    ASSERT_TRUE(sb_->writeFile(kVictim, kVictimText, 0600));
    const std::string planted = s_.packageDir() + "/config_data";
    ASSERT_TRUE(plant(*sb_, planted, kind));
    before_ = orv_fault::snapshot(*sb_);
    GateRun r = run();
    ASSERT_TRUE(r.result.exited()) << r.result.describe();
    EXPECT_EQ(r.result.exitCode, 0) << r.result.output;
    EXPECT_TRUE(has(r, "Package is allowed to start up"));
    EXPECT_TRUE(stillPlanted(*sb_, planted, kind));
    expectNothingOutside();
    EXPECT_EQ(leftovers(), std::vector<std::string>{"config_data"});
  }
}

// The marker is created without following a link or waiting on a FIFO; an
// existing regular file (here a hard link) counts as the marker.
TEST_F(HostileSurroundings, PlantedMarkerIsNeitherFollowedNorWaitedOn) {
  for (PlantKind kind : {kSymlink, kHardLink, kFifo}) {
    SCOPED_TRACE(kPlantNames[kind]);
    SetUp();
    install([](orv_e2e::PackageScenario& s) {
      s.arrays.array(orv_actions::kLocal).addFault("fail", "startrcopygroup");
    });
    const std::string marker = s_.packageDir() + "/ORVVEXASTARTRCVG";
    ASSERT_TRUE(plant(*sb_, marker, kind));
    before_ = orv_fault::snapshot(*sb_);
    GateRun r = run();
    ASSERT_TRUE(r.result.exited()) << r.result.describe();
    EXPECT_EQ(r.result.exitCode, 3) << r.result.output;
    EXPECT_TRUE(has(r, kind == kHardLink ? "Replication will be started after package startup"
                                         : "Unable to start replication in background"))
        << r.result.output;
    EXPECT_TRUE(stillPlanted(*sb_, marker, kind));
    expectNothingOutside();
    EXPECT_TRUE(leftovers().empty()) << orv_fault::join(leftovers());
  }
}

// A watcher replaces every new output file of the run as soon as it
// appears.  The run writes and reads its files through the descriptors it
// made them with, so it ends as it would have, and the links lead nowhere.
class Swapper {
 public:
  Swapper(const std::string& dir, PlantKind kind, const std::string& victim)
      : dir_(dir), kind_(kind), victim_(victim) {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ >= 0) inotify_add_watch(fd_, dir.c_str(), IN_CREATE);
    thread_ = std::thread([this] { loop(); });
  }
  ~Swapper() {
    stop_ = true;
    thread_.join();
    if (fd_ >= 0) close(fd_);
  }
  int swapped() const { return swapped_; }
  bool ok() const { return fd_ >= 0; }

 private:
  void loop() {
    char buf[4096] __attribute__((aligned(__alignof__(struct inotify_event))));
    while (!stop_) {
      ssize_t n = read(fd_, buf, sizeof buf);
      if (n <= 0) {
        usleep(200);
        continue;
      }
      for (char* p = buf; p < buf + n;) {
        struct inotify_event* e = reinterpret_cast<struct inotify_event*>(p);
        p += sizeof(struct inotify_event) + e->len;
        std::string name = e->len ? e->name : "";
        if (name.compare(0, 3, "orv") != 0 || done_.count(name)) continue;
        done_.insert(name);
        std::string path = dir_ + "/" + name;
        if (unlink(path.c_str()) != 0) continue;
        int made = kind_ == kSymlink   ? symlink(kVictim, path.c_str())
                   : kind_ == kHardLink ? link(victim_.c_str(), path.c_str())
                                        : mkfifo(path.c_str(), 0666);
        if (made == 0) ++swapped_;
      }
    }
  }

  std::string dir_;
  PlantKind kind_;
  std::string victim_;
  int fd_ = -1;
  std::atomic<bool> stop_{false};
  std::atomic<int> swapped_{0};
  std::set<std::string> done_;
  std::thread thread_;
};

TEST_F(HostileSurroundings, OutputFilesSwappedByAWatcherChangeNothing) {
  install();
  const GateRun calm = run();
  ASSERT_TRUE(calm.result.exited()) << calm.result.describe();
  ASSERT_EQ(calm.result.exitCode, 3) << calm.result.output;
  for (PlantKind kind : {kSymlink, kHardLink, kFifo}) {
    SCOPED_TRACE(kPlantNames[kind]);
    SetUp();
    install();
    GateRun r;
    int swapped = 0;
    {
      Swapper watcher(sb_->hostPath(s_.packageDir()), kind, sb_->hostPath(kVictim));
      ASSERT_TRUE(watcher.ok());
      r = run();
      swapped = watcher.swapped();
    }
    ASSERT_TRUE(r.result.exited()) << r.result.describe();
    EXPECT_GE(swapped, 5);  // every output file of the run
    EXPECT_EQ(r.result.exitCode, calm.result.exitCode) << r.result.output;
    EXPECT_EQ(r.commands, calm.commands);
    expectNothingOutside();
    // Only what the watcher put there may be left (it can lose a race with
    // the run's own removal); nothing of the run's.
    for (const std::string& name : leftovers()) {
      struct stat st;
      ASSERT_EQ(lstat(sb_->hostPath(s_.packageDir() + "/" + name).c_str(), &st), 0);
      EXPECT_FALSE(S_ISREG(st.st_mode) && st.st_nlink == 1) << name;
    }
  }
}

// A log filter that stops reading after the first "Executing" line: the
// takeover still completes and the exit code is the normal one.
TEST_F(HostileSurroundings, ClosedOutputDoesNotCutTheTakeoverShort) {
  install();
  orv_sandbox::RunOptions o;
  o.argv = {"/bin/sh", "-c",
            "{ " + orv_e2e::rcgatePath() + " " + s_.package +
                "; echo $? >/usr/local/rc; } | sed -n '/Executing/{p;q;}'"};
  GateRun r = run(o);
  ASSERT_TRUE(r.result.exited()) << r.result.describe();
  EXPECT_EQ(sb_->readFile("/usr/local/rc"), "3\n") << r.result.output;
  EXPECT_EQ(r.msgs.size(), 1u) << r.result.output;
  arraysim::SimScenario after = orv_e2e::arraysAfter(*sb_);
  EXPECT_EQ(after.array(orv_actions::kLocal).group(orv_actions::kLocalGroup).status, "Started");
  EXPECT_EQ(after.array(orv_actions::kRemote).group(orv_actions::kRemoteGroup).status, "Started");
  EXPECT_EQ(after.array(orv_actions::kLocal).group(orv_actions::kLocalGroup).role, "Primary");
  EXPECT_TRUE(leftovers().empty()) << orv_fault::join(leftovers());
  EXPECT_FALSE(sb_->exists(s_.packageDir() + "/ORVVEXASTARTRCVG"));
}

// Pids of the processes below pid (children, grandchildren, ...).
std::vector<int> descendants(int pid) {
  std::map<int, std::vector<int>> children;
  DIR* d = opendir("/proc");
  while (d != nullptr) {
    struct dirent* e = readdir(d);
    if (e == nullptr) break;
    int p = atoi(e->d_name);
    if (p <= 0) continue;
    std::ifstream in("/proc/" + std::to_string(p) + "/stat");
    std::string line;
    std::getline(in, line);
    size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 2));
    std::string state;
    int ppid = 0;
    rest >> state >> ppid;
    children[ppid].push_back(p);
  }
  if (d != nullptr) closedir(d);
  std::vector<int> out;
  std::vector<int> unvisited = {pid};
  while (!unvisited.empty()) {
    int p = unvisited.back();
    unvisited.pop_back();
    for (int c : children[p]) {
      out.push_back(c);
      unvisited.push_back(c);
    }
  }
  return out;
}

// Whether pid still runs after ms milliseconds (a killed process needs a
// moment to be scheduled and die).
bool alive(int pid, int ms = 2000) {
  for (int i = 0; i < ms / 10; ++i) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line)) return false;
    size_t close = line.rfind(')');
    if (close != std::string::npos && line.compare(close + 2, 1, "Z") == 0) return false;
    usleep(10000);
  }
  return true;
}

// The simulator's journal (host path) shows a command (a setrcopygroup by
// default; '' for any) still hanging.
bool commandHangs(const std::string& journal, const std::string& command = "setrcopygroup") {
  std::ifstream in(journal);
  bool hanging = false;
  for (std::string line; std::getline(in, line);)
    hanging |= line.find("\t-1\t") != std::string::npos && line.find(command) != std::string::npos;
  return hanging;
}

// SIGTERM while the stop-and-reverse hangs on the array.  With a command
// time-out one signal is enough: the command ends at its bound.  Without
// one a second signal ends it at once.  Either way nothing is started
// after the signal, no process and no file is left, and the line names the
// last array step.
TEST_F(HostileSurroundings, StopSignalDuringAHungArrayCommand) {
  struct Case {
    const char* name;
    const char* timeout;  // RCVEXA_JxVexaCLICommandTimeout, '' for none
    int signals;
  } cases[] = {{"bounded command, one signal", "3", 1}, {"unbounded, two signals", "", 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    install([&c](orv_e2e::PackageScenario& s) {
      if (*c.timeout) s.set("RCVEXA_JxVexaCLICommandTimeout", c.timeout, false);
      s.arrays.array(orv_actions::kLocal).addFault("hang", "setrcopygroup").seconds = 300;
    });
    const std::string journal = sb_->hostPath(std::string(arraysim::kDefaultDir) + "/journal");
    std::vector<int> hung;
    int sent = 0;
    long firstAt = 0;
    long ticks = 0;
    orv_sandbox::RunOptions o;
    o.onPoll = [&](int pid) {
      ++ticks;
      if (sent == 0) {
        if (!commandHangs(journal)) return;
        hung = descendants(pid);
        kill(pid, SIGTERM);
        sent = 1;
        firstAt = ticks;
      } else if (sent < c.signals && ticks > firstAt + 10) {
        kill(pid, SIGTERM);
        ++sent;
      }
    };
    GateRun r = run(o);
    ASSERT_TRUE(r.result.exited()) << r.result.describe();
    EXPECT_EQ(sent, c.signals);
    EXPECT_EQ(r.result.exitCode, 1) << r.result.output;
    EXPECT_LT(r.result.elapsedMs, 60000);
    EXPECT_EQ(r.msgs.back(),
              "Error: Stopped by signal 15 after step [setrcopygroup reverse -f -t vexab_tgt "
              "-stopgroups -waittask rcgora_a on vexaa]; the storage may need attention.")
        << r.result.output;
    EXPECT_FALSE(has(r, "Executing \"start\" operation on the Remote Copy volume group rcgora_a"));
    // The record tells the same.
    const std::vector<std::string> records = orv_e2e::decisionEntries(*sb_, s_);
    ASSERT_EQ(records.size(), 1u);
    const nlohmann::json rec = orv_e2e::decisionRecord(*sb_, s_, records[0]);
    EXPECT_EQ(rec.value("reason", ""), r.msgs.back());
    EXPECT_EQ(rec.value("exit_code", -1), 1);
    EXPECT_EQ(rec.value("ended_in", ""), "takeover");
    EXPECT_FALSE(hung.empty());
    for (int pid : hung) EXPECT_FALSE(alive(pid)) << pid;
    EXPECT_TRUE(leftovers().empty()) << orv_fault::join(leftovers());
    EXPECT_FALSE(sb_->exists(s_.packageDir() + "/ORVVEXASTARTRCVG"));
  }
}

// What the run says, exits with and records matches what the arrays did:
// an array that refuses a takeover but exits 0 leaves the group secondary
// (no start); a stop during the discovery leaves a record of the stop and
// of the force flag it used up; a signal once every array command has
// ended changes nothing.
TEST_F(HostileSurroundings, TheVerdictAndTheRecordMatchTheArrays) {
  const std::string afterTakeover =
      "Error: After the takeover the local Remote Copy volume group [rcgora_a] has the role "
      "[Secondary]; the package is not started on it.";
  const std::string usedUp =
      "INFO: A FORCEFLAG file was present and has been used up; it does not allow a start in "
      "this state.";
  const std::string stopped = "Error: Stopped by signal 15 after step [";
  auto refuseWithExit0 = [](orv_e2e::PackageScenario& s) {
    s.arrays.array(orv_actions::kLocal).addFault("fail", "setrcopygroup").exitCode = 0;
  };
  struct Case {
    const char* name;
    const char* action;
    std::function<void(orv_e2e::PackageScenario&)> change;
    std::vector<std::string> env;
    bool signalOnHang;  // SIGTERM once a command hangs
    int exitCode;
    std::vector<std::string> lines;  // in this order
    std::string reason;              // the record's, from its start
    const char* endedIn;
  } cases[] = {
      {"reverse refused, exit 0", "ca_takeover_stoprcvg_reverse_startrcvg", refuseWithExit0, {},
       false, 1, {afterTakeover, usedUp, "Package is not allowed to start up"}, afterTakeover,
       "takeover"},
      {"failover refused, exit 0", "ca_takeover_failover", refuseWithExit0, {}, false, 1,
       {afterTakeover, usedUp, "Package is not allowed to start up"}, afterTakeover, "takeover"},
      {"SIGTERM during the discovery", "ca_takeover_failover",
       [](orv_e2e::PackageScenario& s) {
         s.set("RCVEXA_JxVexaCLICommandTimeout", "1", false);
         s.arrays.array(orv_actions::kLocal).addFault("hang", "showrcopy", 1).seconds = 300;
       },
       {}, true, 1, {"INFO: Force flag is set; user has enabled startup action.", stopped},
       stopped, "discovery"},
      {"signal after the last array command", "ca_takeover_stoprcvg_reverse_startrcvg", nullptr,
       {"VTIME_FSYNC_SIGNAL=15:rcgate"}, false, 3,
       {"Package is allowed to start up",
        "INFO: Signal 15 arrived after the last array step; the result stands."},
       "", "takeover"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    install(c.change, c.action);
    const std::string journal = sb_->hostPath(std::string(arraysim::kDefaultDir) + "/journal");
    bool sent = false;
    orv_sandbox::RunOptions o;
    o.env = c.env;
    o.onPoll = [&](int pid) {
      if (!c.signalOnHang || sent) return;
      sent = commandHangs(journal, "");
      if (sent) kill(pid, SIGTERM);
    };
    GateRun r = run(o);
    ASSERT_TRUE(r.result.exited()) << r.result.describe();
    EXPECT_EQ(r.result.exitCode, c.exitCode) << r.result.output;
    int at = -1;
    for (const std::string& line : c.lines) {
      int found = -1;
      for (size_t i = at + 1; i < r.msgs.size() && found < 0; ++i)
        if (r.msgs[i].compare(0, line.size(), line) == 0) found = static_cast<int>(i);
      EXPECT_GT(found, at) << line << "\n" << r.result.output;
      at = std::max(at, found);
    }
    const std::vector<std::string> records = orv_e2e::decisionEntries(*sb_, s_);
    ASSERT_EQ(records.size(), 1u);
    const nlohmann::json rec = orv_e2e::decisionRecord(*sb_, s_, records[0]);
    EXPECT_EQ(rec.value("reason", "?").compare(0, c.reason.size(), c.reason), 0)
        << rec.value("reason", "?");
    EXPECT_EQ(rec.value("exit_code", -1), c.exitCode);
    EXPECT_EQ(rec.value("ended_in", ""), c.endedIn);
    // Every state here had a FORCEFLAG: found and used, whatever came after.
    EXPECT_TRUE(rec["force_flag"].value("consumed", false));
    EXPECT_FALSE(rec["force_flag"].value("ignored", true));
    EXPECT_TRUE(leftovers().empty()) << orv_fault::join(leftovers());
  }
}

// Two starts of one package at once: the second is refused at once and
// sends nothing to the arrays; the first, held up by a slow reverse,
// decides and acts as it does alone.
TEST_F(HostileSurroundings, OneStartOfAPackageAtATime) {
  install(
      [](orv_e2e::PackageScenario& s) {
        s.arrays.array(orv_actions::kLocal).addFault("hang", "setrcopygroup").seconds = 2;
      },
      "ca_takeover_stoprcvg_reverse_startrcvg");
  // The second start waits (without sleeping) until the first one's
  // reverse hangs on the array; the journal's count of calls is taken
  // around it.
  const std::string gate = orv_e2e::rcgatePath();
  const std::string journal = std::string(arraysim::kDefaultDir) + "/journal";
  orv_sandbox::RunOptions o;
  o.argv = {"/bin/sh", "-c",
            "t=$(printf '\\t'); " + gate + " pkgora >/tmp/first.out & echo $! >/tmp/first.pid; " +
                "until grep -q \"${t}-1${t}\" " + journal + "; do :; done; wc -l <" + journal +
                " >/tmp/calls.before; " + gate + " pkgora >/tmp/second.out; echo $? >/tmp/second.rc;" +
                " wc -l <" + journal + " >/tmp/calls.after; wait $!; echo $? >/tmp/first.rc"};
  GateRun r = run(o);
  ASSERT_TRUE(r.result.exited()) << r.result.describe();
  const std::string second = sb_->readFile("/tmp/second.out");
  EXPECT_EQ(sb_->readFile("/tmp/second.rc"), "1\n") << second;
  std::string pid = sb_->readFile("/tmp/first.pid");
  if (!pid.empty()) pid.pop_back();
  EXPECT_GE(orv_e2e::findMessage(orv_e2e::messages(second, false),
                                 "Error: Another start of package [pkgora] is in progress "
                                 "(process " +
                                     pid + "); this start is refused."),
            0)
      << second;
  // No array touched, not even a version probe.
  EXPECT_EQ(sb_->readFile("/tmp/calls.after"), sb_->readFile("/tmp/calls.before"));
  EXPECT_EQ(sb_->readFile("/tmp/first.rc"), "3\n") << sb_->readFile("/tmp/first.out");
  const arraysim::SimScenario after = orv_e2e::arraysAfter(*sb_);
  const arraysim::SimGroup* local = nullptr;
  for (const arraysim::SimArray& a : after.arrays)
    if (a.name == orv_actions::kLocal) local = a.findGroup(orv_actions::kLocalGroup);
  ASSERT_NE(local, nullptr);
  EXPECT_EQ(local->role, "Primary");
  EXPECT_EQ(orv_e2e::decisionEntries(*sb_, s_).size(), 2u);
}

// SIGKILL of rcgate alone, and of its whole process group as a cluster
// manager does after its start time-out, while a reverse hangs: within a
// second no process of the run is left, so the reverse can no longer
// change the arrays behind the cluster manager's back.
TEST_F(HostileSurroundings, KilledGateLeavesNoArrayCommandRunning) {
  for (bool wholeGroup : {false, true}) {
    SCOPED_TRACE(wholeGroup ? "process group killed" : "rcgate alone killed");
    SetUp();
    install([](orv_e2e::PackageScenario& s) {
      s.arrays.array(orv_actions::kLocal).addFault("hang", "setrcopygroup").seconds = 3;
    });
    const std::string journal = sb_->hostPath(std::string(arraysim::kDefaultDir) + "/journal");
    std::vector<int> procs;
    std::string stateAtKill;
    orv_sandbox::RunOptions o;
    o.onPoll = [&](int pid) {
      if (!procs.empty()) return;
      if (!commandHangs(journal)) return;
      procs = descendants(pid);
      procs.push_back(pid);
      stateAtKill = sb_->readFile(std::string(arraysim::kDefaultDir) + "/state");
      kill(wholeGroup ? -pid : pid, SIGKILL);
    };
    GateRun r = run(o);
    ASSERT_FALSE(procs.empty()) << r.result.output;
    EXPECT_EQ(r.result.signal, SIGKILL) << r.result.describe();
    for (int pid : procs) EXPECT_FALSE(alive(pid, 1000)) << pid;
    EXPECT_EQ(sb_->readFile(std::string(arraysim::kDefaultDir) + "/state"), stateAtKill);
  }
}

// Array commands read /dev/null, not the caller's standard input: ssh
// (which reads its input) no longer eats the rest of a list read in a
// loop.  Closed standard input and error at start are no trouble either.
TEST_F(HostileSurroundings, ArrayCommandsLeaveTheStandardInputAlone) {
  s_ = orv_e2e::PackageScenario();
  // 3.3.1 on a RHEL 6 host: every array command goes through ssh.
  for (arraysim::SimArray& a : s_.arrays.arrays) a.version = "3.3.1";
  ASSERT_EQ(s_.install(*sb_), "");
  orv_sandbox::RunOptions o;
  o.argv = {"/bin/sh", "-c",
            "while read p; do " + orv_e2e::rcgatePath() + " \"$p\" 2>&-; echo \"done $?\"; done"};
  o.stdinText = "pkgora\npkgora\npkgora\n";
  GateRun r = run(o);
  ASSERT_TRUE(r.result.exited()) << r.result.describe();
  std::istringstream out(r.result.output);
  std::vector<std::string> done;
  for (std::string line; std::getline(out, line);)
    if (line.compare(0, 5, "done ") == 0) done.push_back(line);
  EXPECT_EQ(done, (std::vector<std::string>{"done 0", "done 0", "done 0"})) << r.result.output;
  bool ssh = false;
  for (const arraysim::SimJournalEntry& e : orv_e2e::journal(*sb_).entries) ssh |= e.path == "ssh";
  EXPECT_TRUE(ssh);
  EXPECT_TRUE(leftovers().empty()) << orv_fault::join(leftovers());
}

// An NTP step of the wall clock during a resynchronisation wait changes
// neither its outcome nor its length: forward by two hours while the copy
// catches up (90-minute limit), back by an hour while a copy never ends
// (1-minute limit).
TEST_F(HostileSurroundings, ClockStepDuringAResyncWaitChangesNothing) {
  struct Case {
    const char* name;
    const char* limit;
    bool neverSyncs;
    const char* step;
  } cases[] = {{"forward, copy catches up", "90", false, "VTIME_STEP=1:7200"},
               {"back, copy never ends", "1", true, "VTIME_STEP=2:-3600"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GateRun runs[2];
    for (int stepped = 0; stepped < 2; ++stepped) {
      SetUp();
      install([&c](orv_e2e::PackageScenario& s) {
        s.set("RCVEXA_RESYNC_WAIT_TIMEOUT", c.limit, false);
        if (c.neverSyncs)
          for (arraysim::SimArray& a : s.arrays.arrays)
            for (arraysim::SimGroup& g : a.groups) g.polls = 0;
      });
      orv_sandbox::RunOptions o;
      if (stepped) o.env = {c.step};
      runs[stepped] = run(o);
      ASSERT_TRUE(runs[stepped].result.exited()) << runs[stepped].result.describe();
    }
    EXPECT_EQ(runs[1].result.exitCode, runs[0].result.exitCode) << runs[1].result.output;
    EXPECT_EQ(runs[1].sleeps, runs[0].sleeps);
    EXPECT_EQ(runs[1].commands, runs[0].commands);
    const std::string timeout = "Error: Resyncwait timeout has occurred";
    EXPECT_EQ(orv_fault::hasMessageStarting(runs[1].msgs, timeout), c.neverSyncs);
    EXPECT_EQ(orv_fault::hasMessageStarting(runs[0].msgs, timeout), c.neverSyncs);
    EXPECT_EQ(runs[0].result.exitCode, c.neverSyncs ? 2 : 3);
  }
}

}  // namespace
