// The fakes against the very command lines the programs run: the cluster
// manager's output must survive the programs' own awk/sed/grep pipelines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/fakes/fake_data.h"
#include "testing/sandbox/sandbox.h"
#include "tests/e2e/e2e_harness.h"

namespace orv_e2e {
namespace {

using orv_sandbox::RunOptions;
using orv_sandbox::RunResult;
using orv_sandbox::Sandbox;

const std::string kData = orv_fake::kFakeDataDir;

class FakesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ORV_REQUIRE_SANDBOX();
    sb_.reset(new Sandbox);
    for (const std::string& m : sb_->missingStandIns())
      if (m.find("orvfake") != std::string::npos) GTEST_SKIP() << "fakes not built";
    ASSERT_EQ(scenario_.install(*sb_), "");
  }
  RunResult sh(const std::string& script) {
    RunOptions o;
    o.argv = {"/bin/sh", "-c", script};
    o.timeoutSeconds = 20;
    return sb_->run(o);
  }
  // The package-directory command of the configuration loader.
  static std::string dirCommand(const std::string& pkg) {
    return ". /etc/tarvos.conf; val1=`/usr/local/tarvos/bin/tvgetpkgenv " + pkg +
           " | grep VKR_PKG_DIR  | cut -d '=' -f 2 | tr -d '\"'`;echo \"$val1\"";
  }
  // The attribute-extract command of the configuration loader (read from
  // its standard output).
  static std::string extractCommand(const std::string& pkg) {
    return "/usr/local/tarvos/bin/tvgetpkgenv " + pkg +
           " | grep -e ^RCVEXA -e ^VKR | grep -v CLUSTER_TYPE | sed 's/^RCVEXA_//' | "
           "grep -v VKR_PKG_DIR | sed 's/=/ /' | sed 's/\"//g' | sed 's/NO_TIMEOUT/-1/' "
           "| sed 's/no_timeout/-1/'";
  }

  std::unique_ptr<Sandbox> sb_;
  PackageScenario scenario_;
};

TEST_F(FakesTest, LoaderPipelinesGiveDirectoryAndAttributeLines) {
  scenario_.set("RCVEXA_RESYNC_WAIT_TIMEOUT", "NO_TIMEOUT", false);
  scenario_.set("RCVEXA_DC1_STORAGE_SYSTEM_NAME", "", true);
  ASSERT_EQ(scenario_.install(*sb_), "");
  RunResult r = sh(dirCommand("pkgora"));
  EXPECT_EQ(r.exitCode, 0) << r.describe();
  EXPECT_EQ(r.output, "/usr/local/tarvos/run/pkgora\n");

  r = sh(extractCommand("pkgora"));
  EXPECT_EQ(r.exitCode, 0) << r.describe();
  EXPECT_EQ(r.output,
            "DC1_NODE_LIST nodea1.sitea.example nodea2\n"
            "DC2_NODE_LIST nodeb1 nodeb2\n"
            "DC1_STORAGE_SYSTEM_NAME \n"
            "DC2_STORAGE_SYSTEM_NAME vexab\n"
            "DC1_STORAGE_SYSTEM_USER rcadmin\n"
            "DC2_STORAGE_SYSTEM_USER rcadmin\n"
            "DC1_RC_TARGET_FOR_DC2 vexab_tgt\n"
            "DC2_RC_TARGET_FOR_DC1 vexaa_tgt\n"
            "DC1_RC_VOLUME_GROUP rcgora_a\n"
            "DC2_RC_VOLUME_GROUP rcgora_b\n"
            "RESYNC_WAIT_TIMEOUT -1\n"
            "AUTO_NONCURDATA 0\n"
            "DR_NOTIFICATION_CHOICES EMAIL SYSLOG\n"
            "RPO_THRESHOLD 0\n");
}

TEST_F(FakesTest, QuotedDirectoryLosesItsQuotesThroughEval) {
  scenario_.set("VKR_PKG_DIR", "/usr/local/tarvos/run/pkgora", true);
  ASSERT_EQ(scenario_.install(*sb_), "");
  EXPECT_EQ(sh(dirCommand("pkgora")).output, "/usr/local/tarvos/run/pkgora\n");
}

TEST_F(FakesTest, PkgenvArgumentForms) {
  struct Case {
    std::string args;
    int exitCode;
    std::string output;
  } cases[] = {
      {"pkgora", 0, scenario_.pkgenvText()},
      {"", 2, "usage: tvgetpkgenv <package_name>\n"},
      {"pkgora extra", 2, "usage: tvgetpkgenv <package_name>\n"},
      {"../pkgenv/pkgora", 2, "usage: tvgetpkgenv <package_name>\n"},
      {"'pkg;ls'", 2, "usage: tvgetpkgenv <package_name>\n"},
      {"pkgzz", 1, "tvgetpkgenv: package pkgzz does not exist\n"},
  };
  for (const Case& c : cases) {
    RunResult r = sh("/usr/local/tarvos/bin/tvgetpkgenv " + c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args;
    EXPECT_EQ(r.output, c.output) << c.args;
  }
  // Every call is in the call log, whatever it did.
  std::string log = sb_->readFile(kData + "/calls.log");
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 6) << log;
}

TEST_F(FakesTest, EmailAddressPipelineJoinsQuotedValues) {
  scenario_.attributes.push_back({"EMAIL_ID", "second@example.com", true});
  ASSERT_EQ(scenario_.install(*sb_), "");
  RunResult r = sh("/usr/local/tarvos/bin/tvgetpkgenv pkgora | grep EMAIL_ID |"
                   "sed 's/[^\"]*\"\\([^\"]*\\)\".*/\\1/' | sed ':a;N;$!ba;s/\\n/ /g'");
  EXPECT_EQ(r.output, "dr-ops@example.com second@example.com\n") << r.describe();
}

TEST_F(FakesTest, ClusterViewGivesTheNameLine) {
  RunResult r = sh("/usr/local/tarvos/bin/tvviewcl -s config -fline -v | grep ^name=");
  EXPECT_EQ(r.output, "name=clusterx\n");
  struct Case {
    const char* args;
    int exitCode;
  } cases[] = {{"-s config -fline -v", 0}, {"-s config -fline", 2}, {"", 2},
               {"-v -fline config -s", 2}};
  for (const Case& c : cases)
    EXPECT_EQ(sh(std::string("/usr/local/tarvos/bin/tvviewcl ") + c.args).exitCode,
              c.exitCode)
        << c.args;
  ASSERT_TRUE(sb_->remove(kData + "/clusterview"));
  r = sh("/usr/local/tarvos/bin/tvviewcl -s config -fline -v");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.output, "tvviewcl: cluster is not configured\n");
}

TEST_F(FakesTest, HostnameFailureSwitch) {
  ASSERT_TRUE(sb_->writeFile(kData + "/hostname/exit", "1\n"));
  RunResult r = sh("/bin/hostname");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.output, "");
  ASSERT_TRUE(sb_->remove(kData + "/hostname/exit"));
  EXPECT_EQ(sh("/bin/hostname").output, "nodea1\n");
}

// The mail comes on standard input; with -t the recipients come from its
// To: header; without -i a line of a single dot ends it.
TEST_F(FakesTest, SendmailReadsTheMailFromStandardInput) {
  RunResult r = sh("printf 'To: a@b\\nTo: c@d\\nSubject: s\\n\\nbody\\n.\\nmore\\n' | "
                   "/usr/sbin/sendmail -t -i");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.output, "");
  ASSERT_TRUE(sb_->writeFile(kData + "/sendmail/output",
                             "WARNING: RunAsUser for MSP ignored\n"));
  r = sh("printf 'To: e@f\\n\\nsecond\\n.\\ncut\\n' | /usr/sbin/sendmail -t");
  EXPECT_EQ(r.output, "WARNING: RunAsUser for MSP ignored\n");
  ASSERT_TRUE(sb_->remove(kData + "/sendmail/output"));
  r = sh("echo x | /usr/sbin/sendmail");
  EXPECT_EQ(r.exitCode, 64);
  std::vector<std::vector<std::string>> calls = fakeCalls(*sb_, "sendmail");
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0], (std::vector<std::string>{"/usr/sbin/sendmail", "-t", "-i"}));
  EXPECT_EQ(calls[1], (std::vector<std::string>{"/usr/sbin/sendmail", "-t"}));
  EXPECT_EQ(sb_->readFile(kData + "/sendmail/1.stdin"),
            "To: a@b\nTo: c@d\nSubject: s\n\nbody\n.\nmore\n");
  EXPECT_EQ(sb_->readFile(kData + "/sendmail/1.rcpt"), "a@b\nc@d\n");
  EXPECT_EQ(sb_->readFile(kData + "/sendmail/2.stdin"), "To: e@f\n\nsecond\n");
  EXPECT_EQ(sb_->readFile(kData + "/sendmail/2.rcpt"), "e@f\n");
}

TEST_F(FakesTest, EvqmsgKeepsEachArgumentAndExitCode) {
  const std::string cmd =
      "/opt/EMLN/bin/EvQ/evqmsg sev=warning app=\"Orvanta (Jx)\" obj=\"\" "
      "msg_text=\"line one\nHe said \\\"x\\\"\" msg_grp=\"HA\"";
  struct Case {
    const char* exitFile;
    int exitCode;
  } cases[] = {{nullptr, 0}, {"2\n", 2}, {"1", 1}};
  for (const Case& c : cases) {
    if (c.exitFile) {
      ASSERT_TRUE(sb_->writeFile(kData + "/evqmsg/exit", c.exitFile));
    }
    EXPECT_EQ(sh(cmd).exitCode, c.exitCode);
  }
  std::vector<std::vector<std::string>> calls = fakeCalls(*sb_, "evqmsg");
  ASSERT_EQ(calls.size(), 3u);
  std::vector<std::string> expected = {"/opt/EMLN/bin/EvQ/evqmsg", "sev=warning",
                                       "app=Orvanta (Jx)", "obj=",
                                       "msg_text=line one\nHe said \"x\"", "msg_grp=HA"};
  for (const auto& call : calls) EXPECT_EQ(call, expected);
}

TEST_F(FakesTest, UnknownNameRefuses) {
  ASSERT_TRUE(sb_->copyIn(buildDir() + "/testing/fakes/orvfake", "/usr/local/bin/other"));
  RunResult r = sh("/usr/local/bin/other");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.output, "orvfake: unknown fake 'other'\n");
}

}  // namespace
}  // namespace orv_e2e
