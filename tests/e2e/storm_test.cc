// A site fails and the surviving node starts all its packages at once: 32
// rcgate runs together, each package with its own group pair on the same
// two simulated arrays, half of them healthy here (nothing to do), half
// primary on the other site (a takeover).  Each must decide and act
// exactly as a start of it alone does: exit code, action, its commands in
// order, its groups' state afterwards and one decision record of its own,
// with nothing left behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "testing/arraysim/sim_model.h"
#include "testing/sandbox/sandbox.h"
#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/fault_support.h"

namespace {

using orv_e2e::PackageScenario;

const int kPackages = 32;

std::string tag(int i) {
  char t[8];
  std::snprintf(t, sizeof t, "%02d", i);
  return t;
}

// Package i: pkgNN with groups rcNN_a (site A, this node's) and rcNN_b;
// an even i is primary here, an odd one on the other site.
PackageScenario package(int i) {
  PackageScenario s("pkg" + tag(i));
  const std::string g = "rc" + tag(i);
  s.set("RCVEXA_DC1_RC_VOLUME_GROUP", g + "_a");
  s.set("RCVEXA_DC2_RC_VOLUME_GROUP", g + "_b");
  s.arrays = arraysim::SimScenario::healthyPair("vexaa", "vexab", g + "_a", g + "_b");
  if (i % 2 == 1) {
    s.arrays.array("vexaa").group(g + "_a").role = "Secondary";
    s.arrays.array("vexab").group(g + "_b").role = "Primary";
  }
  return s;
}

// Every package installed, the arrays holding all their groups.
std::string installAll(orv_sandbox::Sandbox& sb) {
  arraysim::SimScenario all;
  for (int i = 1; i <= kPackages; ++i) {
    PackageScenario s = package(i);
    std::string why = s.install(sb);
    if (!why.empty()) return why;
    if (all.arrays.empty()) all = s.arrays;
    else
      for (arraysim::SimArray& a : all.arrays) a.groups.push_back(s.arrays.array(a.name).groups[0]);
  }
  return all.save(sb.hostPath(arraysim::kDefaultDir)) ? "" : "cannot save the arrays";
}

// What one package's start did, its own names replaced by "XX".
struct Outcome {
  std::string exit;
  std::string action;
  std::vector<std::string> commands;
  std::vector<std::string> groups;  // role and status of its two halves
  size_t records = 0;
  std::vector<std::string> leftovers;
};

std::string neutral(std::string text, int i) {
  for (const std::string& name : {"rc" + tag(i), "pkg" + tag(i)})
    for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at))
      text.replace(at + name.size() - 2, 2, "XX");
  return text;
}

Outcome outcomeOf(const orv_sandbox::Sandbox& sb, int i) {
  const std::string pkg = "pkg" + tag(i), group = "rc" + tag(i);
  Outcome o;
  o.exit = sb.readFile("/tmp/rc." + pkg);
  for (const std::string& m : orv_e2e::messages(sb.readFile("/tmp/out." + pkg), true))
    if (m.find("Action function is [") != std::string::npos) o.action = m;
  for (const arraysim::SimJournalEntry& e : orv_e2e::journal(sb).entries)
    if (e.command.find(group + "_") != std::string::npos)
      o.commands.push_back(e.array + ": " + neutral(e.command, i));
  const arraysim::SimScenario after = orv_e2e::arraysAfter(sb);
  for (const char* a : {"vexaa", "vexab"}) {
    const arraysim::SimGroup* g =
        after.findArray(a)->findGroup(group + (a[4] == 'a' ? "_a" : "_b"));
    o.groups.push_back(g == nullptr ? "missing" : g->role + " " + g->status);
  }
  PackageScenario s = package(i);
  o.records = orv_e2e::decisionEntries(sb, s).size();
  o.leftovers = orv_fault::leftovers(sb, s.packageDir());
  return o;
}

orv_sandbox::RunResult start(orv_sandbox::Sandbox& sb, const std::vector<int>& which) {
  std::string list;
  for (int i : which) list += " pkg" + tag(i);
  orv_sandbox::RunOptions o;
  o.argv = {"/bin/sh", "-c",
            "for p in" + list + "; do { " + orv_e2e::rcgatePath() +
                " $p >/tmp/out.$p 2>&1; echo $? >/tmp/rc.$p; } & done; wait"};
  o.env = {"DATAREP_DEBUG=1"};
  o.virtualTime = true;
  o.timeoutSeconds = 300;
  return sb.run(o);
}

TEST(StartStorm, EveryPackageDecidesAndActsAsAlone) {
  ORV_REQUIRE_SANDBOX();
  ORV_REQUIRE_RCGATE();
  // One of each kind alone, with every package configured.
  std::map<int, Outcome> alone;
  for (int i : {1, 2}) {
    orv_sandbox::Sandbox sb;
    ASSERT_TRUE(sb.ok()) << sb.error();
    ASSERT_EQ(installAll(sb), "");
    ASSERT_TRUE(start(sb, {i}).exited());
    alone[i] = outcomeOf(sb, i);
  }
  EXPECT_EQ(alone[2].exit, "0\n");
  EXPECT_EQ(alone[1].exit, "3\n");
  EXPECT_NE(alone[1].action, "");

  orv_sandbox::Sandbox sb;
  ASSERT_TRUE(sb.ok()) << sb.error();
  ASSERT_EQ(installAll(sb), "");
  std::vector<int> all;
  for (int i = 1; i <= kPackages; ++i) all.push_back(i);
  orv_sandbox::RunResult r = start(sb, all);
  ASSERT_TRUE(r.exited()) << r.describe();
  for (int i = 1; i <= kPackages; ++i) {
    SCOPED_TRACE("pkg" + tag(i));
    const Outcome& want = alone[2 - i % 2];
    Outcome got = outcomeOf(sb, i);
    EXPECT_EQ(got.exit, want.exit) << sb.readFile("/tmp/out.pkg" + tag(i)).substr(0, 3000);
    EXPECT_EQ(got.action, want.action);
    EXPECT_EQ(got.commands, want.commands);
    EXPECT_EQ(got.groups, want.groups);
    EXPECT_EQ(got.records, 1u);
    EXPECT_TRUE(got.leftovers.empty()) << orv_fault::join(got.leftovers);
  }
}

}  // namespace
