// The model library: the state file's text form, the link summary and the
// journal lines that other tests rely on.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/arraysim/sim_test_support.h"

namespace {

using arraysim::SimFault;
using arraysim::SimJournal;
using arraysim::SimJournalEntry;
using arraysim::SimScenario;
using arraysim::SimTask;

SimScenario trickyScenario() {
  SimScenario s = SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB",
                                           "Periodic", 3);
  s.settings.now = "2026-12-09 01:02:03 UTC";
  s.settings.startPolls = 0;
  s.settings.startingPolls = 5;
  s.settings.taskResult = "failed";
  s.array("arrA").model = "VX \"big\" 8400";
  auto& g = s.array("arrA").group("grpA");
  g.options = "auto_recover,fail_wrt_on_err";
  g.polls = 4;
  g.starting = 6;
  g.changes = false;
  g.stopAfter = 3;
  g.volumes[1].last = "";
  g.volumes[2].sync = "Syncing (45%)";
  SimTask t;
  t.id = 77;
  t.type = "remote_copy_sync";
  t.name = "grpA";
  t.polls = 2;
  t.started = "a=b";
  s.array("arrB").tasks.push_back(t);
  SimFault& f = s.array("arrB").addFault("fail", "setrcopygroup reverse", 2);
  f.message = "Error: back\\slash # and = sign";
  f.exitCode = 7;
  f.count = 3;
  f.path = "ssh";
  s.array("arrB").addFault("hang").seconds = 0.25;
  return s;
}

TEST(SimText, RoundTripKeepsEveryField) {
  SimScenario s = trickyScenario();
  SimScenario back;
  std::string error;
  ASSERT_TRUE(SimScenario::parse(s.toText(), back, &error)) << error;
  EXPECT_EQ(back.toText(), s.toText());
  EXPECT_EQ(back.settings.now, "2026-12-09 01:02:03 UTC");
  EXPECT_EQ(back.settings.startPolls, 0);
  EXPECT_EQ(back.settings.startingPolls, 5);
  EXPECT_EQ(back.array("arrA").model, "VX \"big\" 8400");
  const auto& g = back.array("arrA").group("grpA");
  EXPECT_EQ(g.options, "auto_recover,fail_wrt_on_err");
  EXPECT_EQ(g.polls, 4);
  EXPECT_EQ(g.starting, 6);
  EXPECT_FALSE(g.changes);
  EXPECT_EQ(g.stopAfter, 3);
  EXPECT_EQ(g.mode, "Periodic");
  ASSERT_EQ(g.volumes.size(), 3u);
  EXPECT_EQ(g.volumes[1].last, "");
  EXPECT_EQ(g.volumes[2].sync, "Syncing (45%)");
  ASSERT_EQ(back.array("arrB").tasks.size(), 1u);
  EXPECT_EQ(back.array("arrB").tasks[0].started, "a=b");
  ASSERT_EQ(back.array("arrB").faults.size(), 2u);
  const SimFault& f = back.array("arrB").faults[0];
  EXPECT_EQ(f.message, "Error: back\\slash # and = sign");
  EXPECT_EQ(f.command, "setrcopygroup reverse");
  EXPECT_EQ(f.nth, 2);
  EXPECT_EQ(f.count, 3);
  EXPECT_EQ(f.exitCode, 7);
  EXPECT_EQ(f.path, "ssh");
  EXPECT_DOUBLE_EQ(back.array("arrB").faults[1].seconds, 0.25);
}

TEST(SimText, SaveAndLoadThroughADirectory) {
  simtest::TempDir dir;
  SimScenario s = trickyScenario();
  ASSERT_TRUE(s.save(dir.path() + "/deeper/sim"));
  std::string error;
  SimScenario back = SimScenario::load(dir.path() + "/deeper/sim", &error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(back.toText(), s.toText());
  EXPECT_TRUE(SimJournal::load(dir.path() + "/deeper/sim").entries.empty());
}

TEST(SimText, HandWrittenStateWithDefaults) {
  const char* text =
      "# comment with an \"odd quote\n"
      "array a1 version=3.3.1\n"
      "group g1 target=t1 role=Secondary\n"
      "  volume v1 sync=New\n"
      "\n"
      "array a2\n";
  SimScenario s;
  std::string error;
  ASSERT_TRUE(SimScenario::parse(text, s, &error)) << error;
  ASSERT_EQ(s.arrays.size(), 2u);
  EXPECT_EQ(s.array("a1").version, "3.3.1");
  EXPECT_EQ(s.array("a2").version, "3.2.2");
  const auto& g = s.array("a1").group("g1");
  EXPECT_EQ(g.status, "Started");
  EXPECT_EQ(g.mode, "Sync");
  EXPECT_TRUE(g.changes);
  ASSERT_EQ(g.volumes.size(), 1u);
  EXPECT_EQ(g.volumes[0].sync, "New");
  EXPECT_EQ(s.settings.startPolls, 2);
}

struct BadState {
  const char* text;
  const char* error;
};

TEST(SimText, MalformedStateNamesTheLine) {
  const BadState cases[] = {
      {"group g\n", "state line 1: group before any array"},
      {"array a\n  volume v\n", "state line 2: volume before any group"},
      {"array a\n\n  frob x\n", "state line 3: unknown record frob"},
      {"array a\n  link t status=\"Up\n", "state line 2: unterminated quote"},
      {"array a\n  group g polls=x\n", "state line 2: bad number for polls"},
      {"array a\n  task abc\n", "state line 2: task id is not a number"},
      {"array a\n  group g junk\n", "state line 2: field without '=': junk"},
      {"array\n", "state line 1: record without a name"},
  };
  for (const BadState& c : cases) {
    SimScenario s = SimScenario::healthyPair("x", "y", "gx", "gy");
    std::string error;
    EXPECT_FALSE(SimScenario::parse(c.text, s, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
    EXPECT_TRUE(s.arrays.empty()) << "a failed parse leaves no half state";
  }
}

TEST(SimText, LoadOfMissingStateReportsIt) {
  std::string error;
  SimScenario s = SimScenario::load("/nonexistent/arraysim", &error);
  EXPECT_TRUE(s.arrays.empty());
  EXPECT_NE(error.find("/nonexistent/arraysim/state"), std::string::npos);
}

struct LinkCase {
  std::vector<std::string> statuses;
  const char* combined;
};

TEST(SimArray, LinkStateCombinesTheTargetsLinks) {
  const LinkCase cases[] = {
      {{"Up", "Down"}, "Up"},
      {{"Down", "Up"}, "Up"},
      {{"Down", "Down"}, "Down"},
      {{"Stopped", "Down"}, "Down"},
      {{"Stopped"}, "Not Started"},
      {{}, ""},
  };
  for (const LinkCase& c : cases) {
    arraysim::SimArray a;
    for (const std::string& st : c.statuses) {
      arraysim::SimLink l;
      l.target = "t1";
      l.status = st;
      a.links.push_back(l);
    }
    arraysim::SimLink other;  // another target's link never counts
    other.target = "t2";
    other.status = c.statuses.empty() ? "Up" : "Down";
    a.links.push_back(other);
    EXPECT_EQ(a.linkState("t1"), c.combined);
  }
}

TEST(SimArray, SetLinksLeavesReceiveLinksAlone) {
  SimScenario s = SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
  s.linkDown("arrA", "arrB");
  for (const auto& l : s.array("arrA").links)
    EXPECT_EQ(l.status, l.target == "receive" ? "Up" : "Down");
  EXPECT_EQ(s.array("arrA").linkState("arrB_tgt"), "Down");
  EXPECT_EQ(s.array("arrB").linkState("arrA_tgt"), "Down");
  EXPECT_EQ(s.array("arrA").targets[0].status, "failed");
  s.array("arrA").setLinks("Up", "arrB_tgt");
  EXPECT_EQ(s.array("arrA").linkState("arrB_tgt"), "Up");
  EXPECT_EQ(s.array("arrA").targets[0].status, "ready");
}

TEST(SimScenario, SetPairAndCutLinksReachBothHalves) {
  SimScenario s = SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
  SimScenario other = SimScenario::healthyPair("arrC", "arrD", "grpC", "grpD");
  s.arrays.push_back(other.array("arrC"));
  s.arrays.push_back(other.array("arrD"));
  s.setPair("arrB", "grpB", "Stopped", "Stale");
  for (const char* a : {"arrA", "arrB"}) {
    const auto& g = s.array(a).groups.at(0);
    EXPECT_EQ(g.status, "Stopped") << a;
    for (const auto& v : g.volumes) EXPECT_EQ(v.sync, "Stale") << a;
  }
  EXPECT_EQ(s.array("arrC").group("grpC").status, "Started");
  s.cutLinks("arrA");
  EXPECT_EQ(s.array("arrA").linkState("arrB_tgt"), "Down");
  EXPECT_EQ(s.array("arrB").linkState("arrA_tgt"), "Down");
  EXPECT_EQ(s.array("arrC").linkState("arrD_tgt"), "Up") << "other pairs keep their links";
  EXPECT_EQ(s.array("arrD").linkState("arrC_tgt"), "Up");
}

TEST(SimScenario, HealthyPairIsAConsistentPair) {
  SimScenario s = SimScenario::healthyPair("dc1", "dc2", "g1", "g2", "Async", 3);
  auto& a = s.array("dc1").group("g1");
  auto& b = s.array("dc2").group("g2");
  EXPECT_EQ(a.role, "Primary");
  EXPECT_EQ(b.role, "Secondary");
  EXPECT_EQ(a.target, "dc2_tgt");
  EXPECT_EQ(b.target, "dc1_tgt");
  EXPECT_EQ(s.peerOf(a), &b);
  EXPECT_EQ(s.peerOf(b), &a);
  ASSERT_EQ(a.volumes.size(), 3u);
  EXPECT_EQ(a.volumes[2].remote, b.volumes[2].local);
  EXPECT_EQ(a.volumes[2].remoteId, b.volumes[2].localId);
  EXPECT_EQ(s.array("dc1").targets[0].sysName, "dc2");
  EXPECT_EQ(s.array("dc1").targets[0].sysId, s.array("dc2").sysId);
  EXPECT_EQ(s.findArray("dc3"), nullptr);
  EXPECT_EQ(s.array("dc1").findGroup("g2"), nullptr);
}

TEST(SimJournalTest, LinesRoundTripAndFilter) {
  SimJournalEntry e;
  e.array = "arrA";
  e.path = "cli";
  e.credential = "/p/admin_arrA.pwf";
  e.exitCode = 255;
  e.command = "setrcopygroup reverse -f -t arrB_tgt -waittask grpA";
  e.argv = "-sys arrA -sockssl -pwf /p/admin_arrA.pwf " + e.command;
  SimJournalEntry back;
  ASSERT_TRUE(SimJournal::parseLine(SimJournal::format(e), back));
  EXPECT_EQ(back.array, "arrA");
  EXPECT_EQ(back.credential, "/p/admin_arrA.pwf");
  EXPECT_EQ(back.exitCode, 255);
  EXPECT_EQ(back.command, e.command);
  EXPECT_EQ(back.argv, e.argv);

  e.command = "odd\targument\nline";
  ASSERT_TRUE(SimJournal::parseLine(SimJournal::format(e), back));
  EXPECT_EQ(back.command, "odd argument line");
  for (const char* bad :
       {"", "a\tcli\tu", "a\tcli\tu\tx\tcmd", "a\tcli\tu\t\tcmd", "a\tcli\tu\t-\tc"})
    EXPECT_FALSE(SimJournal::parseLine(bad, back)) << bad;

  simtest::TempDir dir;
  std::ofstream(dir.path() + "/journal")
      << "arrA\tcli\tp\t0\tshowversion -s\n"
      << "arrA\tcli\tp\t0\tshowrcopy groups grpA -csvtable\n"
      << "garbage line\n"
      << "arrB\tssh\tadmin\t1\tshowrcopy groups grpB -csvtable\n"
      << "arrB\tssh\tadmin\t0\tshowrcopy links -csvtable\n";
  SimJournal j = SimJournal::load(dir.path());
  ASSERT_EQ(j.entries.size(), 4u);
  EXPECT_EQ(j.commands("arrB"),
            (std::vector<std::string>{"showrcopy groups grpB -csvtable",
                                      "showrcopy links -csvtable"}));
  EXPECT_EQ(j.actions("arrA"),
            (std::vector<std::string>{"showrcopy groups grpA -csvtable"}));
  EXPECT_EQ(j.commands().size(), 4u);
  EXPECT_EQ(j.count("showrcopy groups"), 2);
  EXPECT_EQ(j.count("showrcopy", "arrB"), 2);
  EXPECT_EQ(j.count("showrcopy groups grpA", "arrB"), 0);
}

}  // namespace
