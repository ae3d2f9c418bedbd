// orv-demo: rcgate in one minute.  Runs the unmodified rcgate in the
// sandbox against the simulated array pair through a short story of one
// package's life, under virtual time so its waits pass at once:
//
//   1. a healthy start on the primary site             (exit 0)
//   2. a planned switch-over to the other site, first
//      dry-run with rcplan, then done: stop, reverse,
//      start                                           (exit 3)
//   3. the new primary site fails, the link is down:
//      the start on the surviving site is refused      (exit 1)
//   4. the operator creates the FORCEFLAG file: the
//      surviving site takes over with a failover       (exit 3)
//
// and ends with what the decision records of these starts tell afterwards:
// rcplan --history, and rcplan --replay of the refused start's record.
//
// Each step prints the situation, the decision, the commands the arrays
// received (from the simulator's journal) and the exit code.
//
//   orv-demo [--verbose]      the story (--verbose: rcgate's whole log too)
//   orv-demo --prepare DIR    only install the healthy package in sandbox
//                             directory DIR, for scripts that run
//                             `orv-sandbox --dir DIR --node nodea1 ...`
//   orv-demo --prepare-storm N DIR
//                             the same with N packages pkg01 .. pkgNN
// Exit code: 0 when every step ended as told, 1 otherwise, 77 when
// sandboxes cannot run here.
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "testing/arraysim/sim_model.h"
#include "testing/demo/demo_package.h"
#include "testing/sandbox/sandbox.h"

namespace {

using arraysim::SimScenario;

std::string buildDir(const orv_sandbox::Sandbox& sb) { return sb.buildDir(); }

// The message texts of a log ("[DEBUG ]Mmm dd HH:MM:SS - Node N : text");
// continuation lines are left out, the demo only shows first lines.
std::vector<std::string> messageTexts(const std::string& output) {
  std::vector<std::string> texts;
  size_t at = 0;
  while (at < output.size()) {
    size_t end = output.find('\n', at);
    if (end == std::string::npos) end = output.size();
    const std::string line = output.substr(at, end - at);
    at = end + 1;
    size_t node = line.find(" - Node ");
    if (node == std::string::npos || node > 24) continue;
    size_t colon = line.find(" : ", node);
    if (colon == std::string::npos) continue;
    texts.push_back((line.compare(0, 6, "DEBUG ") == 0 ? "DEBUG " : "") +
                    line.substr(colon + 3));
  }
  return texts;
}

bool startsWith(const std::string& s, const char* prefix) {
  return s.compare(0, std::string(prefix).size(), prefix) == 0;
}

std::string pad(const std::string& s, size_t width) {
  return s.size() >= width ? s + " " : s + std::string(width - s.size(), ' ');
}

void printArrays(const SimScenario& s) {
  for (const arraysim::SimArray& a : s.arrays) {
    for (const arraysim::SimGroup& g : a.groups) {
      std::string volumes;
      for (const arraysim::SimVolume& v : g.volumes) volumes += " " + v.sync;
      const bool unreachable = !a.faults.empty() && a.faults[0].kind == "unreachable";
      std::printf("    %s%s%s%s volumes%s, link %s%s\n", pad(a.name, 7).c_str(),
                  pad(g.name, 10).c_str(), pad(g.role, 13).c_str(), pad(g.status, 9).c_str(),
                  volumes.c_str(), a.linkState(g.target).c_str(),
                  unreachable ? "   [array unreachable]" : "");
    }
  }
}

// Prints the commands the arrays received, queries summed up.
void printJournal(const arraysim::SimJournal& journal) {
  int queries = 0;
  bool any = false;
  for (const arraysim::SimJournalEntry& e : journal.entries) {
    if (startsWith(e.command, "show")) {
      ++queries;
      continue;
    }
    std::printf("    %s: %s%s\n", e.array.c_str(), e.command.c_str(),
                e.exitCode != 0 ? "   (failed)" : "");
    any = true;
  }
  if (!any) std::printf("    (no command that changes anything)\n");
  std::printf("    + %d queries (showversion, showrcopy groups/links)\n", queries);
}

const char* exitMeaning(int code) {
  switch (code) {
    case 0:
    case 3:
      return "the package may start on this node";
    case 2:
      return "the package must not start on this node";
    default:
      return "the package must not start";
  }
}

struct Step {
  const char* title;
  const char* situation;
  const char* node;
  std::function<void(SimScenario&)> change;  // applied to the current state
  bool forceFlag;
  bool dryRunFirst;
  int expectedExit;
};

// The new primary site B is lost: its array no longer answers, the links
// are down, and the surviving half on vexaa stopped replicating.
void siteBFails(SimScenario& s) {
  s.array("vexab").addFault("unreachable");
  s.linkDown("vexaa", "vexab");
  arraysim::SimGroup& a = s.array("vexaa").group("rcgora_a");
  a.status = "Stopped";
  a.setVolumes("Stopped");
}

class Demo {
 public:
  explicit Demo(bool verbose) : verbose_(verbose) {}

  int run() {
    if (!sb_.ok()) return fail("sandbox: " + sb_.error());
    // Without its stand-ins every step would fail for a reason that has
    // nothing to do with rcgate: say what is missing and stop.
    const std::vector<std::string> missing = sb_.missingStandIns();
    for (const std::string& m : missing)
      std::fprintf(stderr, "orv-demo: stand-in not built: %s\n", m.c_str());
    if (!missing.empty()) return fail("build the stand-ins first (make demo builds them)");
    std::string why = orv_demo::installPackage(sb_, "nodea1", orv_demo::healthyArrays());
    if (!why.empty()) return fail(why);

    std::printf(
        "rcgate runs at every start of a cluster package.  It asks both storage arrays for\n"
        "the state of the package's Remote Copy group, picks a takeover action from its\n"
        "rule table, performs it and tells the cluster by its exit code whether the\n"
        "package may start on this node.  Package %s: site A = nodea1/nodea2 + array\n"
        "vexaa, site B = nodeb1/nodeb2 + array vexab.  Arrays simulated, time virtual.\n",
        orv_demo::kPackage);

    const Step steps[] = {
        {"A healthy start", "The package starts on nodea1 (site A), whose array holds the primary copy.",
         "nodea1", nullptr, false, false, 0},
        {"A planned switch-over", "The operator moves the package to nodeb1 (site B); both sites are healthy.",
         "nodeb1", nullptr, false, true, 3},
        {"Site B fails", "Site B is lost: vexab is unreachable, the link is down.  The cluster\n"
                          "  restarts the package on nodea1, whose copy may lack the last writes.",
         "nodea1", siteBFails, false, false, 1},
        {"The operator forces the start",
         "Having checked the data, the operator creates FORCEFLAG in the package directory\n"
         "  and starts the package on nodea1 again.",
         "nodea1", nullptr, true, false, 3},
    };
    int failures = 0;
    int n = 0;
    for (const Step& step : steps) {
      if (!runStep(++n, step)) ++failures;
    }
    if (!showRecords()) ++failures;
    std::printf("\n%s\n", failures == 0 ? "Every step ended as expected."
                                         : "Some step did not end as expected (see above).");
    return failures == 0 ? 0 : 1;
  }

 private:
  int fail(const std::string& why) {
    std::fprintf(stderr, "orv-demo: %s\n", why.c_str());
    return 1;
  }

  orv_sandbox::RunResult runTool(const std::string& program, bool debug,
                                 const std::vector<std::string>& args = {orv_demo::kPackage}) {
    orv_sandbox::RunOptions options;
    options.argv = {program};
    options.argv.insert(options.argv.end(), args.begin(), args.end());
    options.virtualTime = true;
    if (debug) options.env.push_back("DATAREP_DEBUG=1");
    return sb_.run(options);
  }

  bool runStep(int number, const Step& step) {
    std::printf("\n=== Step %d: %s ===\n  %s\n", number, step.title, step.situation);
    SimScenario arrays = orv_demo::loadArrays(sb_);
    if (step.change) step.change(arrays);
    const std::string flag = std::string(orv_demo::kPackageDir) + "/FORCEFLAG";
    if (!orv_demo::saveArrays(sb_, arrays) || !sb_.setNodeName(step.node) ||
        (step.forceFlag && !sb_.writeFile(flag, "checked by the operator\n"))) {
      fail("cannot prepare the step: " + sb_.error());
      return false;
    }
    std::printf("  Arrays before:\n");
    printArrays(arrays);
    if (step.forceFlag) std::printf("  %s exists.\n", flag.c_str());

    if (step.dryRunFirst) dryRun();

    std::printf("  $ rcgate %s        (on %s)\n", orv_demo::kPackage, step.node);
    orv_sandbox::RunResult r = runTool(buildDir(sb_) + "/rcgate/rcgate", true);
    if (!r.setupError.empty()) {
      fail("rcgate did not run: " + r.setupError);
      return false;
    }
    if (verbose_) std::printf("%s", r.output.c_str());
    std::string decision = "none (no rule matched)";
    std::vector<std::string> said;
    for (const std::string& m : messageTexts(r.output)) {
      if (startsWith(m, "DEBUG Action function is [")) decision = m.substr(26, m.size() - 27);
      if (startsWith(m, "Error") || startsWith(m, "ERROR") || startsWith(m, "Package is") ||
          startsWith(m, "INFO: Force flag") || startsWith(m, "Orvanta has detected"))
        said.push_back(m);
    }
    std::printf("  Decision: %s\n", decision.c_str());
    std::printf("  Array commands sent:\n");
    printJournal(orv_demo::loadJournal(sb_));
    std::printf("  rcgate said:\n");
    for (const std::string& m : said) std::printf("    %s\n", m.c_str());
    std::printf("  Arrays after:\n");
    printArrays(orv_demo::loadArrays(sb_));
    if (step.forceFlag)
      std::printf("  FORCEFLAG %s.\n", sb_.exists(flag) ? "is still there" : "was used up");
    const bool asExpected = r.exited() && r.exitCode == step.expectedExit;
    std::printf("  Exit code: %d, %s%s\n", r.exitCode, exitMeaning(r.exitCode),
                asExpected ? "" : "   <-- NOT AS EXPECTED");
    if (!asExpected) std::printf("  (expected %d; %s)\n", step.expectedExit, r.describe().c_str());
    return asExpected;
  }

  // Prints a tool's output indented; true when it ended with expected.
  bool showTool(const std::vector<std::string>& args, int expected) {
    std::string shown = "rcplan";
    for (const std::string& a : args) shown += " " + a;
    std::printf("  $ %s\n", shown.c_str());
    orv_sandbox::RunResult r = runTool(buildDir(sb_) + "/rcplan/rcplan", false, args);
    size_t at = 0;
    while (at < r.output.size()) {
      size_t end = r.output.find('\n', at);
      if (end == std::string::npos) end = r.output.size();
      std::printf("    %s\n", r.output.substr(at, end - at).c_str());
      at = end + 1;
    }
    const bool asExpected = r.exited() && r.exitCode == expected;
    std::printf("  Exit code: %d%s\n", r.exitCode, asExpected ? "" : "   <-- NOT AS EXPECTED");
    return asExpected;
  }

  // Every start left a decision record in the package directory: the list
  // of them, then the refused start decided again on the state it recorded.
  bool showRecords() {
    std::printf("\n=== Afterwards: the decision records ===\n"
                "  Each start left a record in %s/decisions.\n",
                orv_demo::kPackageDir);
    bool ok = showTool({"--history", orv_demo::kPackage}, 0);
    const std::string dir = std::string(orv_demo::kPackageDir) + "/decisions";
    std::string refused;
    for (const std::string& name : sb_.listDir(dir))
      if (sb_.readFile(dir + "/" + name).find("\n  \"exit_code\": 1\n") != std::string::npos)
        refused = dir + "/" + name;
    if (refused.empty()) return fail("no record of the refused start");
    std::printf("  The refused start of step 3, decided again by today's rule table:\n");
    return showTool({"--replay", refused}, 0) && ok;
  }

  // rcplan PKG before the real run; its queries are not counted as the
  // step's commands.
  void dryRun() {
    std::printf("  $ rcplan %s        (dry run first: decide, change nothing)\n",
                orv_demo::kPackage);
    orv_sandbox::RunResult r = runTool(buildDir(sb_) + "/rcplan/rcplan", false);
    std::string chosen = "-";
    size_t at = r.output.find("\nAction: ");
    if (at != std::string::npos) chosen = r.output.substr(at + 9, r.output.find('\n', at + 1) - at - 9);
    int changes = 0;
    for (const arraysim::SimJournalEntry& e : orv_demo::loadJournal(sb_).entries)
      if (!startsWith(e.command, "show")) ++changes;
    std::printf("    rcplan: would run %s (exit %d); array commands that change anything: %d\n",
                chosen.c_str(), r.exitCode, changes);
    orv_demo::saveArrays(sb_, orv_demo::loadArrays(sb_));
  }

  bool verbose_;
  orv_sandbox::Sandbox sb_;
};

int prepare(const std::string& dir, int storm = 0) {
  orv_sandbox::Sandbox::Options options;
  options.dir = dir;
  options.keep = true;
  orv_sandbox::Sandbox sb(options);
  if (!sb.ok()) {
    std::fprintf(stderr, "orv-demo: %s\n", sb.error().c_str());
    return 1;
  }
  std::string why = storm > 0 ? orv_demo::installStorm(sb, storm)
                              : orv_demo::installPackage(sb, "nodea1", orv_demo::healthyArrays());
  if (!why.empty()) {
    std::fprintf(stderr, "orv-demo: %s\n", why.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string reason = orv_sandbox::Sandbox::unavailableReason();
  if (!reason.empty()) {
    std::fprintf(stderr, "orv-demo: sandbox unavailable: %s\n", reason.c_str());
    return 77;
  }
  if (args.size() == 2 && args[0] == "--prepare") return prepare(args[1]);
  if (args.size() == 3 && args[0] == "--prepare-storm" && std::atoi(args[1].c_str()) > 0)
    return prepare(args[2], std::atoi(args[1].c_str()));
  if (args.empty() || (args.size() == 1 && args[0] == "--verbose"))
    return Demo(!args.empty()).run();
  std::fprintf(stderr, "usage: orv-demo [--verbose] | orv-demo --prepare DIR | orv-demo --prepare-storm N DIR\n");
  return 2;
}
