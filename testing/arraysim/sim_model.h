// The simulated pair of arrays: the state the simulator program works on,
// and the API tests use to build a scenario and read back what happened.
//
// A scenario holds both arrays of a replication pair in one file, because a
// remote-copy operation on one array changes the other.  Tests build one,
// save it into a directory, run the product (which calls the simulator as
// /usr/bin/cli or /usr/bin/ssh), then load the final state and the journal:
//
//   using namespace arraysim;
//   SimScenario s = SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
//   s.array("arrA").group("grpA").status = "Stopped";
//   s.array("arrB").addFault("unreachable");             // every command
//   s.array("arrA").addFault("fail", "startrcopygroup", 2);  // 2nd start
//   s.settings.startPolls = 3;           // Syncing for three group polls
//   s.save(dir);                         // dir/state, empty dir/journal
//   ... run the product ...
//   SimScenario after = SimScenario::load(dir);
//   EXPECT_EQ(after.array("arrA").group("grpA").role, "Primary-Rev");
//   SimJournal j = SimJournal::load(dir);
//   EXPECT_EQ(j.commands("arrA")[0], "showversion -s");
//
// The simulator finds its directory in $ARRAYSIM_DIR, else in
// "/usr/local/arraysim" (kDefaultDir).  Everything is plain data: change
// any field directly.  array()/group()/volume() of a name that does not
// exist add an empty element of that name (so a typo shows up as a missing
// group in the run, not as a crash); find*() return null instead.
//
// Progress is counted in polls, not time: a started group shows the status
// "Starting" for settings.startingPolls listings of the group (on either
// array; default 0), then "Started" with its volumes "Syncing" for
// settings.startPolls listings, after which they are "Synced".  Syncing
// volumes with no polls left stay Syncing (a copy that never ends).  A sync
// task shows "active" for settings.taskPolls "showtask" queries and then
// its result.  A started group with stopAfter > 0 whose links to its
// target are down stops itself (both halves "Stopped") after that many
// listings, as an array does when it cannot replicate.
//
// Fault kinds (SimFault::kind), each limited to the commands whose words
// start with SimFault::command ('' = every command, "showversion" included)
// and to the calls nth .. nth+count-1 of such commands (nth 0 = all calls;
// count 0 = every call from nth on):
//   unreachable      "... Network is unreachable", exit 1 (ssh: 255)
//   too_many         "Error: Too many CLI connections ...", exit 1
//   no_connection    "Error: Could not open connection to ...", exit 1
//   bad_format       "Error: Badly formatted response ...", exit 1
//   garbled          unparsable text, exit 0
//   flood            20 MB of text lines (a client gone wild), exit 0
//   fail             message (default "Error: Operation failed on ..."),
//                    exit code (default 1); the command changes nothing
//   hang             block for `seconds` (real, monotonic time, at most
//                    600), then run the command normally; journaled when
//                    the hang begins, with exit code -1, since the caller
//                    may kill it
//   group_missing    group commands act as if no group were configured
//   link_down        from the first affected call on, the links between
//                    this array and its peers are Down, on both sides and
//                    for good (SimScenario::cutLinks), before the command
//                    runs
//   task_fails       the task the command starts ends "failed"
// A fault with path "cli" or "ssh" applies to that access path only.  An
// unknown kind answers every call it matches with exit code 3, so a
// misspelt fault cannot pass for a healthy array.  An array missing from
// the scenario answers like an unreachable one.
#ifndef ORV_TESTING_ARRAYSIM_SIM_MODEL_H_
#define ORV_TESTING_ARRAYSIM_SIM_MODEL_H_

#include <string>
#include <vector>

namespace arraysim {

extern const char* const kDefaultDir;  // "/usr/local/arraysim"
extern const char* const kDefaultNow;  // time text the arrays print

// Where the simulator keeps "state" and "journal": $ARRAYSIM_DIR or
// kDefaultDir.
std::string simDirectory();

struct SimVolume {
  std::string local;        // LocalVV
  int localId = 0;
  std::string remote;       // RemoteVV
  int remoteId = 0;
  std::string sync = "Synced";  // New Syncing Synced NotSynced Stopped Stale
  std::string last;         // LastSyncTime / LastSnapTime; '' prints "NA"
};

struct SimGroup {
  std::string name;
  std::string target;       // target on this array leading to the peer
  std::string status = "Started";  // New Starting Started Stopped Failsafe
  std::string role = "Primary";    // Primary Secondary Primary-Rev ...
  std::string mode = "Sync";       // Sync Periodic Async
  std::string options;      // e.g. "auto_recover,fail_wrt_on_err"
  std::string peerArray;    // the array holding the other half
  std::string peerGroup;    // the other half's name there
  int polls = 0;            // listings left before Syncing becomes Synced
  int starting = 0;         // listings left before Starting becomes Started
  bool changes = true;      // unsynced writes: syncrcopy starts a task
  int stopAfter = 0;        // listings while its links are down before a
                            // started group stops itself (0 = never)
  std::vector<SimVolume> volumes;

  SimVolume& volume(const std::string& local);
  // Sets every volume's sync status.
  void setVolumes(const std::string& sync);
};

struct SimTarget {
  std::string name;
  int id = 1;
  std::string type = "IP";
  std::string status = "ready";
  std::string policy = "mirror_config";
  std::string sysName;
  std::string sysId;
};

struct SimLink {
  std::string target;       // a target name, or "receive"
  std::string node;
  std::string address;
  std::string status = "Up";
};

struct SimTask {
  int id = 0;
  std::string type;         // e.g. "remote_copy_sync"
  std::string name;         // the group
  std::string status = "active";  // active done failed
  int polls = 0;            // queries left showing "active"
  std::string result = "done";    // status after those queries
  std::string started;
};

struct SimFault {
  std::string kind;
  std::string command;      // prefix of the command words; '' = all
  std::string path;         // "cli", "ssh" or '' (both)
  int nth = 0;              // first matching call affected; 0 = all
  int count = 1;            // calls affected from nth on (nth > 0);
                            // 0 or less: every call from nth on
  double seconds = 0;       // hang
  std::string message;      // fail: replaces the default text
  int exitCode = 1;         // fail
  int seen = 0;             // matching calls so far (kept by the simulator)
};

struct SimArray {
  std::string name;
  std::string model = "VX 8400";
  std::string serial;
  std::string sysId;
  std::string version = "3.2.2";  // what "showversion -s" prints
  int versionLines = 0;           // further lines "showversion -s" prints
  std::vector<SimTarget> targets;
  std::vector<SimLink> links;
  std::vector<SimGroup> groups;
  std::vector<SimTask> tasks;
  std::vector<SimFault> faults;

  SimGroup& group(const std::string& name);
  SimGroup* findGroup(const std::string& name);
  const SimGroup* findGroup(const std::string& name) const;
  SimTarget* findTarget(const std::string& name);
  SimTask* findTask(int id);
  const SimTask* findTask(int id) const;
  // Adds a fault and returns it for further settings.
  SimFault& addFault(const std::string& kind, const std::string& command = "",
                     int nth = 0);
  // Sets the status of every link of `target` ('' = all non-receive links)
  // and the target's own status ("ready" for Up, else "failed").
  void setLinks(const std::string& status, const std::string& target = "");
  // Combined link state of `target` as seen here: "Up" when any link is
  // Up, else "Down" when any is Down, else "Not Started" ('' without links).
  std::string linkState(const std::string& target) const;
};

struct SimSettings {
  int startPolls = 2;       // group listings showing Syncing after a start
  int startingPolls = 0;    // listings showing "Starting" before those
  int taskPolls = 1;        // showtask queries showing "active"
  std::string taskResult = "done";  // end state of sync tasks
  std::string now = kDefaultNow;    // time text for new sync/task times
  int nextTask = 1001;
};

class SimScenario {
 public:
  SimSettings settings;
  std::vector<SimArray> arrays;

  // Two arrays, each with a target to the other (named "<peer>_tgt"),
  // two Up links plus two receive links, and one started group pair
  // (groupA Primary on arrayA, groupB Secondary on arrayB) in `mode` with
  // `volumes` Synced volumes "<group>_vvN".
  static SimScenario healthyPair(const std::string& arrayA,
                                 const std::string& arrayB,
                                 const std::string& groupA,
                                 const std::string& groupB,
                                 const std::string& mode = "Sync",
                                 int volumes = 2);

  SimArray& array(const std::string& name);
  SimArray* findArray(const std::string& name);
  const SimArray* findArray(const std::string& name) const;
  // The other half of a group, or null.
  SimGroup* peerOf(const SimGroup& group);

  // Both halves of a pair: links Down on both arrays (targets "failed").
  void linkDown(const std::string& arrayA, const std::string& arrayB);
  // The links of `arrayName` to every target, and the peers' links back
  // to it, Down.
  void cutLinks(const std::string& arrayName);
  // Both halves of the group's pair get `status`, their volumes `sync`.
  void setPair(const std::string& arrayName, const std::string& groupName,
               const std::string& status, const std::string& sync);

  // Text form (the state file) and back; parse() returns false with a
  // message naming the line on a malformed text.
  std::string toText() const;
  static bool parse(const std::string& text, SimScenario& out,
                    std::string* error);

  // Writes dir/state atomically and an empty dir/journal (creating dir).
  bool save(const std::string& dir) const;
  // Writes dir/state only (the simulator's own update).
  bool saveState(const std::string& dir) const;
  // Reads dir/state; an unreadable or malformed file gives an empty
  // scenario and, when error is given, the reason.
  static SimScenario load(const std::string& dir, std::string* error = nullptr);
};

// One line of the journal: the command the simulator received.
struct SimJournalEntry {
  std::string array;        // the -sys value or the ssh host
  std::string path;         // "cli" or "ssh"
  std::string credential;   // password file (cli) or user (ssh)
  int exitCode = 0;          // -1: a hanging call, journaled as it began
  std::string command;      // the command words joined by single blanks
  std::string argv;         // every argument after the program name, joined
                            // by single blanks (options included)
};

class SimJournal {
 public:
  std::vector<SimJournalEntry> entries;

  static SimJournal load(const std::string& dir);
  // Journal line format: fields separated by tabs, in the order of
  // SimJournalEntry (tabs and line breaks inside a field become blanks).
  // A line without the argv field is read with an empty one.
  static std::string format(const SimJournalEntry& e);
  static bool parseLine(const std::string& line, SimJournalEntry& out);

  // Commands in order, of one array ('' = all arrays).
  std::vector<std::string> commands(const std::string& array = "") const;
  // Commands of one array without the version probe.
  std::vector<std::string> actions(const std::string& array = "") const;
  // Number of entries whose command starts with `prefix`.
  int count(const std::string& prefix, const std::string& array = "") const;
};

// Small text helpers shared by the model and the simulator.
bool startsWith(const std::string& s, const std::string& prefix);
bool equalsNoCase(const std::string& a, const std::string& b);
bool isPrimaryRole(const std::string& role);  // Primary or Primary-Rev

}  // namespace arraysim

#endif  // ORV_TESTING_ARRAYSIM_SIM_MODEL_H_
