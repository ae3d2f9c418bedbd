// An array client that prints without end (20 MB before its listing) is
// stopped at the output cap: the run logs it, counts the command as
// failed, keeps its memory small and leaves no output file behind.  In the
// memory-size binary: it measures peak memory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "testing/arraysim/sim_model.h"
#include "testing/sandbox/sandbox.h"
#include "tests/e2e/e2e_harness.h"

namespace {

using orv_e2e::PackageScenario;

const char kRssFile[] = "/usr/local/rcgate-rss";

TEST(OutputCap, FloodingClientIsStoppedAndMemoryStaysSmall) {
  ORV_REQUIRE_SANDBOX();
  ORV_REQUIRE_RCGATE();
  if (access("/usr/bin/time", X_OK) != 0) GTEST_SKIP() << "no /usr/bin/time";
  // The version probe reads through a pipe, the listing goes to a file.
  for (const char* command : {"showversion", "showrcopy groups"}) {
    SCOPED_TRACE(command);
    orv_sandbox::Sandbox sb;
    ASSERT_TRUE(sb.ok()) << sb.error();
    PackageScenario s;
    s.arrays.array("vexaa").addFault("flood", command, 1);
    ASSERT_EQ(s.install(sb), "");
    orv_sandbox::RunOptions o;
    o.argv = {"/bin/sh", "-c",
              "exec /usr/bin/time -f %M -o " + std::string(kRssFile) + " " +
                  orv_e2e::rcgatePath() + " " + s.package};
    o.virtualTime = true;
    orv_sandbox::RunResult r = sb.run(o);
    ASSERT_TRUE(r.exited()) << r.describe();
    const std::vector<std::string> msgs = orv_e2e::messages(r.output, false);
    std::string stopped;
    for (const std::string& m : msgs)
      if (m.compare(0, 20, "Error: Output of com") == 0) stopped = m;
    const std::string line = std::string("/usr/bin/cli -sys vexaa -sockssl -pwf ") +
                             s.passwordFile("vexaa") + " " + command;
    EXPECT_EQ(stopped.compare(0, 26 + line.size(), "Error: Output of command [" + line), 0)
        << stopped << "\n" << r.output.substr(0, 3000);
    const std::string tail = "] exceeded 16 MiB; the command was stopped.";
    EXPECT_EQ(stopped.substr(stopped.size() > tail.size() ? stopped.size() - tail.size() : 0),
              tail);
    const long peakKb = std::atol(sb.readFile(kRssFile).c_str());
    EXPECT_GT(peakKb, 0);
    EXPECT_LT(peakKb, 48 * 1024) << "rcgate's peak resident size in KiB";
    std::vector<std::string> left;
    for (const std::string& name : sb.listDir(s.packageDir()))
      if (name.compare(0, 3, "orv") == 0) left.push_back(name);
    EXPECT_TRUE(left.empty()) << left.front();
  }
}

}  // namespace
