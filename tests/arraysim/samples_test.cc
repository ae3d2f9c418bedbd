// Captured array outputs in tests/data/arraysim/: the parser tests read
// them, so they must be exactly what the simulator prints.  With
// ARRAYSIM_REGEN=1 these tests rewrite the files; otherwise they fail when
// the simulator's output drifts from them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include "tests/arraysim/sim_test_support.h"

namespace {

using arraysim::SimScenario;
using arraysim::SimTask;

struct Sample {
  const char* file;
  const char* path;   // "cli" or "ssh"
  const char* array;
  const char* command;
  int exitCode;
  std::function<void(SimScenario&)> setup;
};

SimScenario base() {
  return SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
}

void addTask(SimScenario& s, const char* status, int polls) {
  SimTask t;
  t.id = 1234;
  t.type = "remote_copy_sync";
  t.name = "grpB";
  t.status = status;
  t.polls = polls;
  t.result = status;
  t.started = arraysim::kDefaultNow;
  s.array("arrB").tasks.push_back(t);
}

const Sample kSamples[] = {
    {"showversion_s.txt", "cli", "arrA", "showversion -s", 0, nullptr},
    {"showversion.txt", "cli", "arrA", "showversion", 0, nullptr},
    {"showsys_d.txt", "cli", "arrA", "showsys -d", 0, nullptr},
    {"showsys.txt", "cli", "arrA", "showsys", 0, nullptr},
    {"showrcopy_groups_started.txt", "cli", "arrA",
     "showrcopy groups grpA -csvtable", 0,
     [](SimScenario& s) {
       s.array("arrA").group("grpA").options = "auto_recover,fail_wrt_on_err";
     }},
    {"showrcopy_groups_secondary.txt", "ssh", "arrB",
     "showrcopy groups grpB -csvtable", 0, nullptr},
    {"showrcopy_groups_stopped.txt", "cli", "arrA",
     "showrcopy groups grpA -csvtable", 0,
     [](SimScenario& s) {
       auto& g = s.array("arrA").group("grpA");
       g.status = "Stopped";
       g.setVolumes("Stopped");
     }},
    {"showrcopy_groups_syncing.txt", "cli", "arrA",
     "showrcopy groups grpA -csvtable", 0,
     [](SimScenario& s) {
       auto& g = s.array("arrA").group("grpA");
       g.volumes[0].sync = "Syncing (45%)";
       g.volumes[1].sync = "Synced";
       g.options = "auto_recover";
     }},
    {"showrcopy_groups_new.txt", "cli", "arrA",
     "showrcopy groups grpA -csvtable", 0,
     [](SimScenario& s) {
       auto& g = s.array("arrA").group("grpA");
       g.status = "New";
       g.setVolumes("New");
       for (auto& v : g.volumes) v.last = "";
     }},
    {"showrcopy_groups_failover.txt", "cli", "arrB",
     "showrcopy groups grpB -csvtable", 0,
     [](SimScenario& s) {
       auto& g = s.array("arrB").group("grpB");
       g.status = "Stopped";
       g.role = "Primary-Rev";
       g.setVolumes("Stopped");
     }},
    {"showrcopy_groups_failsafe.txt", "cli", "arrA",
     "showrcopy groups grpA -csvtable", 0,
     [](SimScenario& s) {
       auto& g = s.array("arrA").group("grpA");
       g.status = "Failsafe";
       g.options = "fail_wrt_on_err";
       g.setVolumes("Stale");
     }},
    {"showrcopy_groups_novolumes.txt", "cli", "arrA",
     "showrcopy groups grpA -csvtable", 0,
     [](SimScenario& s) { s.array("arrA").group("grpA").volumes.clear(); }},
    {"showrcopy_groups_all.txt", "cli", "arrA", "showrcopy groups -csvtable",
     0,
     [](SimScenario& s) {
       SimScenario other = SimScenario::healthyPair("arrA", "arrB", "grpC",
                                                    "grpD", "Sync", 1);
       s.array("arrA").groups.push_back(other.array("arrA").group("grpC"));
       auto& g = s.array("arrA").group("grpC");
       g.options = "auto_recover,fail_wrt_on_err";
       g.status = "Stopped";
       g.volumes[0].localId = 111;
       g.volumes[0].sync = "Stopped";
     }},
    {"showrcopy_periodic.txt", "cli", "arrA",
     "showrcopy groups grpA -csvtable", 0,
     [](SimScenario& s) {
       s = SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB",
                                    "Periodic", 3);
     }},
    {"showrcopy_groups_async.txt", "cli", "arrA",
     "showrcopy groups grpA -csvtable", 0,
     [](SimScenario& s) {
       s = SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB", "Async",
                                    1);
     }},
    {"showrcopy_links_up.txt", "cli", "arrA", "showrcopy links -csvtable", 0,
     nullptr},
    {"showrcopy_links_down.txt", "cli", "arrA", "showrcopy links -csvtable", 0,
     [](SimScenario& s) { s.linkDown("arrA", "arrB"); }},
    {"showrcopy_links_partial.txt", "ssh", "arrB", "showrcopy links -csvtable",
     0,
     [](SimScenario& s) { s.array("arrB").links[0].status = "Down"; }},
    {"showrcopy_targets.txt", "cli", "arrA", "showrcopy targets -csvtable", 0,
     nullptr},
    {"showrcopy_d.txt", "cli", "arrA", "showrcopy -d -csvtable", 0, nullptr},
    {"showtask_active.txt", "ssh", "arrB", "showtask -d 1234 -csvtable", 0,
     [](SimScenario& s) { addTask(s, "active", 3); }},
    {"showtask_done.txt", "ssh", "arrB", "showtask -d 1234 -csvtable", 0,
     [](SimScenario& s) { addTask(s, "done", 0); }},
    {"showtask_failed.txt", "ssh", "arrB", "showtask -d 1234 -csvtable", 0,
     [](SimScenario& s) { addTask(s, "failed", 0); }},
    {"syncrcopy_task.txt", "cli", "arrA", "syncrcopy -t arrB_tgt grpA", 0,
     nullptr},
    {"syncrcopy_notask.txt", "cli", "arrA", "syncrcopy -t arrB_tgt grpA", 0,
     [](SimScenario& s) { s.array("arrA").group("grpA").changes = false; }},
    {"reverse_waittask.txt", "cli", "arrB",
     "setrcopygroup reverse -f -t arrA_tgt -stopgroups -waittask grpB", 0,
     nullptr},
    {"restore_failed_task.txt", "cli", "arrA",
     "setrcopygroup restore -f -waittask grpA", 1,
     [](SimScenario& s) {
       s.array("arrA").group("grpA").role = "Secondary-Rev";
       s.array("arrB").group("grpB").role = "Primary-Rev";
       s.array("arrA").addFault("task_fails", "setrcopygroup restore");
     }},
    {"start_secondary_error.txt", "cli", "arrB",
     "startrcopygroup -t arrA_tgt grpB", 1,
     [](SimScenario& s) {
       s.array("arrA").group("grpA").status = "Stopped";
       s.array("arrB").group("grpB").status = "Stopped";
     }},
    {"group_missing.txt", "cli", "arrA", "showrcopy groups grpA -csvtable", 1,
     [](SimScenario& s) { s.array("arrA").addFault("group_missing"); }},
    {"unreachable_cli.txt", "cli", "arrA", "showrcopy groups grpA -csvtable",
     1, [](SimScenario& s) { s.array("arrA").addFault("unreachable"); }},
    {"unreachable_ssh.txt", "ssh", "arrA", "showrcopy groups grpA -csvtable",
     255, [](SimScenario& s) { s.array("arrA").addFault("unreachable"); }},
    {"too_many_connections.txt", "cli", "arrA", "showrcopy links -csvtable", 1,
     [](SimScenario& s) { s.array("arrA").addFault("too_many"); }},
    {"no_connection.txt", "cli", "arrA", "showrcopy links -csvtable", 1,
     [](SimScenario& s) { s.array("arrA").addFault("no_connection"); }},
    {"bad_format.txt", "cli", "arrA", "showrcopy links -csvtable", 1,
     [](SimScenario& s) { s.array("arrA").addFault("bad_format"); }},
    {"garbled.txt", "cli", "arrA", "showrcopy groups grpA -csvtable", 0,
     [](SimScenario& s) { s.array("arrA").addFault("garbled"); }},
};

std::string sampleDir() { return std::string(ORV_SOURCE_DIR) + "/tests/data/arraysim/"; }

class SampleTest : public ::testing::TestWithParam<Sample> {};

TEST_P(SampleTest, MatchesCapturedFile) {
  const Sample& sample = GetParam();
  simtest::TempDir dir;
  SimScenario s = base();
  if (sample.setup) sample.setup(s);
  ASSERT_TRUE(s.save(dir.path()));
  simtest::SimRun r = std::string(sample.path) == "ssh"
                          ? simtest::ssh(dir.path(), sample.array, sample.command)
                          : simtest::cli(dir.path(), sample.array, sample.command);
  EXPECT_EQ(r.exitCode, sample.exitCode) << r.output;
  const std::string path = sampleDir() + sample.file;
  const char* regen = std::getenv("ARRAYSIM_REGEN");
  if (regen != nullptr && std::string(regen) == "1") {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << r.output;
    ASSERT_TRUE(static_cast<bool>(out)) << path;
    return;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(static_cast<bool>(in))
      << path << " is missing; run with ARRAYSIM_REGEN=1";
  std::ostringstream captured;
  captured << in.rdbuf();
  EXPECT_EQ(r.output, captured.str()) << "simulator output drifted from "
                                      << sample.file;
}

INSTANTIATE_TEST_SUITE_P(Captured, SampleTest, ::testing::ValuesIn(kSamples),
                         [](const ::testing::TestParamInfo<Sample>& info) {
                           std::string name = info.param.file;
                           name = name.substr(0, name.find('.'));
                           return name;
                         });

}  // namespace
