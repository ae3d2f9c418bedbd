// A missing or unreadable password file is named once at set-up, so an
// operator sees why every CLI command then fails; it does not stop the run
// by itself (the ssh path does not need the file).

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "testing/sandbox/sandbox.h"
#include "tests/e2e/e2e_harness.h"

namespace orv_e2e {
namespace {

TEST(PasswordFile, MissingOrUnreadableFileIsNamed) {
  ORV_REQUIRE_SANDBOX();
  ORV_REQUIRE_RCGATE();
  struct Case {
    const char* array;
    bool present;  // false: removed; true: made unreadable (a directory)
  } cases[] = {{"vexaa", false}, {"vexab", false}, {"vexaa", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.array) + (c.present ? " unreadable" : " missing"));
    orv_sandbox::Sandbox sb;
    ASSERT_TRUE(sb.ok()) << sb.error();
    PackageScenario scenario;
    ASSERT_EQ(scenario.install(sb), "");
    const std::string path = scenario.passwordFile(c.array);
    ASSERT_TRUE(sb.remove(path));
    // Root reads any plain file, so "unreadable" is a directory in its place.
    if (c.present) {
      ASSERT_TRUE(sb.makeDir(path));
    }
    orv_sandbox::RunResult r = runRcgate(sb, {"pkgora"});
    ASSERT_TRUE(r.exited()) << r.describe();
    std::vector<std::string> msgs = messages(r.output);
    const std::string prefix =
        "Warning: Password file [" + path + "] of the array [" + c.array + "] cannot be read";
    bool found = false;
    for (const std::string& m : msgs) found = found || m.compare(0, prefix.size(), prefix) == 0;
    EXPECT_TRUE(found) << r.output;
  }
}

TEST(PasswordFile, PresentFilesGiveNoWarning) {
  ORV_REQUIRE_SANDBOX();
  ORV_REQUIRE_RCGATE();
  orv_sandbox::Sandbox sb;
  ASSERT_TRUE(sb.ok()) << sb.error();
  PackageScenario scenario;
  ASSERT_EQ(scenario.install(sb), "");
  orv_sandbox::RunResult r = runRcgate(sb, {"pkgora"});
  ASSERT_TRUE(r.exited()) << r.describe();
  EXPECT_EQ(r.output.find("Warning: Password file"), std::string::npos) << r.output;
  EXPECT_EQ(r.exitCode, 0) << r.output;
}

}  // namespace
}  // namespace orv_e2e
