// 32 packages started at once after a site failure (even ones primary
// here, odd ones a takeover) each decide and act as a start alone does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/fault_support.h"

namespace {

const int kPackages = 32;

std::string tag(int i) { return (i < 10 ? "0" : "") + std::to_string(i); }

orv_e2e::PackageScenario package(int i) {
  orv_e2e::PackageScenario s("pkg" + tag(i));
  const std::string g = "rc" + tag(i);
  s.set("RCVEXA_DC1_RC_VOLUME_GROUP", g + "_a");
  s.set("RCVEXA_DC2_RC_VOLUME_GROUP", g + "_b");
  s.arrays = arraysim::SimScenario::healthyPair("vexaa", "vexab", g + "_a", g + "_b");
  if (i % 2 == 1) {
    s.arrays.arrays[0].groups[0].role = "Secondary";
    s.arrays.arrays[1].groups[0].role = "Primary";
  }
  return s;
}

// Starts `which` together among all packages installed: what each did.
std::vector<std::string> storm(const std::vector<int>& which) {
  orv_sandbox::Sandbox sb;
  arraysim::SimScenario all;
  std::string list;
  for (int i = 1; i <= kPackages; ++i) {
    orv_e2e::PackageScenario s = package(i);
    EXPECT_EQ(s.install(sb), "");
    if (i == 1) all = s.arrays;
    else
      for (size_t a = 0; a < 2; ++a) all.arrays[a].groups.push_back(s.arrays.arrays[a].groups[0]);
  }
  EXPECT_TRUE(all.save(sb.hostPath(arraysim::kDefaultDir)));
  for (int i : which) list += " pkg" + tag(i);
  orv_sandbox::RunOptions o;
  o.argv = {"/bin/sh", "-c",
            "for p in" + list + "; do { " + orv_e2e::rcgatePath() +
                " $p >/tmp/out.$p 2>&1; echo $? >/tmp/rc.$p; } & done; wait"};
  o.env = {"DATAREP_DEBUG=1"};
  o.virtualTime = true;
  o.timeoutSeconds = 300;
  EXPECT_TRUE(sb.run(o).exited());
  const arraysim::SimScenario after = orv_e2e::arraysAfter(sb);
  std::vector<std::string> did;
  for (int i : which) {
    const std::string g = "rc" + tag(i);
    std::string d = "exit " + sb.readFile("/tmp/rc.pkg" + tag(i));
    for (const std::string& m : orv_e2e::messages(sb.readFile("/tmp/out.pkg" + tag(i))))
      if (m.find("Action function is [") != std::string::npos) d += m + "\n";
    for (const arraysim::SimJournalEntry& e : orv_e2e::journal(sb).entries)
      if (e.command.find(g + "_") != std::string::npos) d += e.array + ": " + e.command + "\n";
    for (const arraysim::SimArray& a : after.arrays)
      for (const arraysim::SimGroup& grp : a.groups)
        if (grp.name.compare(0, g.size(), g) == 0) d += grp.name + " " + grp.role + " " + grp.status + "\n";
    orv_e2e::PackageScenario s = package(i);
    d += "records " + std::to_string(orv_e2e::decisionEntries(sb, s).size()) + "; left " +
         orv_fault::join(orv_fault::leftovers(sb, s.packageDir()), " ");
    for (size_t at = d.find(g); at != std::string::npos; at = d.find(g, at)) d.replace(at + 2, 2, "XX");
    did.push_back(d);
  }
  return did;
}

TEST(StartStorm, EveryPackageDecidesAndActsAsAlone) {
  ORV_REQUIRE_SANDBOX();
  ORV_REQUIRE_RCGATE();
  const std::vector<std::string> alone[2] = {storm({2}), storm({1})};
  EXPECT_EQ(alone[0][0].substr(0, 7) + alone[1][0].substr(0, 7), "exit 0\nexit 3\n");
  std::vector<int> all;
  for (int i = 1; i <= kPackages; ++i) all.push_back(i);
  const std::vector<std::string> together = storm(all);
  for (int i = 1; i <= kPackages; ++i)
    EXPECT_EQ(together[i - 1], alone[i % 2][0]) << "pkg" << tag(i);
  EXPECT_EQ(alone[1][0].substr(alone[1][0].size() - 16), "records 1; left ") << alone[1][0];
}

}  // namespace
