// An array client that prints 20 MB is stopped at the output cap: the run
// logs it and keeps its memory small (in the memory-size binary).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "tests/e2e/e2e_harness.h"

namespace {

TEST(OutputCap, FloodingClientIsStoppedAndMemoryStaysSmall) {
  ORV_REQUIRE_SANDBOX();
  ORV_REQUIRE_RCGATE();
  if (access("/usr/bin/time", X_OK) != 0) GTEST_SKIP() << "no /usr/bin/time";
  // The version probe is read through a pipe, the listing into a file.
  const std::pair<const char*, const char*> cases[] = {
      {"showversion", "showversion -s 2>/dev/null "},
      {"showrcopy groups", "showrcopy groups rcgora_a -csvtable"}};
  for (const auto& [prefix, command] : cases) {
    SCOPED_TRACE(command);
    orv_sandbox::Sandbox sb;
    orv_e2e::PackageScenario s;
    s.arrays.array("vexaa").addFault("flood", prefix, 1);
    ASSERT_EQ(s.install(sb), "");
    orv_sandbox::RunOptions o;
    o.argv = {"/bin/sh", "-c",
              "exec /usr/bin/time -f %M -o /usr/local/rss " + orv_e2e::rcgatePath() + " pkgora"};
    o.virtualTime = true;
    orv_sandbox::RunResult r = sb.run(o);
    ASSERT_TRUE(r.exited()) << r.describe();
    EXPECT_GE(orv_e2e::findMessage(orv_e2e::messages(r.output, false),
                                   "Error: Output of command [/usr/bin/cli -sys vexaa -sockssl -pwf " +
                                       s.passwordFile("vexaa") + " " + command +
                                       "] exceeded 16 MiB; the command was stopped."),
              0)
        << r.output.substr(0, 3000);
    const long peakKb = std::atol(sb.readFile("/usr/local/rss").c_str());
    EXPECT_TRUE(peakKb > 0 && peakKb < 48 * 1024) << "rcgate's peak resident size " << peakKb;
  }
}

}  // namespace
