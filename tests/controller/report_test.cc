// The configuration and status report, output copying and the force-flag
// explanation, as they appear in the log.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controller/report_text.h"
#include "ctrla_fixture.h"

namespace ctrla_test {
namespace {

class ReportTest : public CtrlAFixture {
 protected:
  void SetUp() override {
    CtrlAFixture::SetUp();
    configure("A");
    set("AUTO_NONCURDATA", "1");
    set("StatusReplicationMode", "sync");
    set("StatusFailsafeMode", "fail_wrt_on_err");
    set("StatusLocalReplicationRole", "Primary");
    set("StatusRemoteReplicationRole", "Secondary");
    set("StatusRCLink", "Up");
    set("StatusRCVolumeGroup", "Started");
    set("StatusRCVGVirtualVolume", "Synced");
    makeController();
  }
  std::vector<std::string> report(int afterTakeover) {
    return logged([&] { ctl_->displayConfigs(afterTakeover); });
  }
};

TEST_F(ReportTest, BeforeTakeoverLogsConfigurationThenStatus) {
  db_->setIntValByName("RESYNC_WAIT_TIMEOUT", 30);
  std::vector<std::string> msgs = report(0);
  ASSERT_EQ(msgs.size(), 2u);
  EXPECT_EQ(msgs[0],
            "INFO: Configuration for the Remote Copy volume group:\n"
            "\tLocal Remote Copy Volume Group Name  = rcgA\n"
            "\tRemote Remote Copy Volume Group Name  = rcgB\n"
            "\tLocal Jx Vexa Storage System User Name = admin\n"
            "\tRemote Jx Vexa Storage System User Name = oper\n"
            "\tLocal Jx Vexa Storage System Name/IP = arrayA\n"
            "\tRemote Jx Vexa Storage System Name/IP = arrayB\n"
            "\tReplication Mode of the Remote Copy Volume Group = sync\n"
            "\tFailSafe Mode of the Remote Copy Volume Group = fail_wrt_on_err\n"
            "\tAutoRecover = yes\n"
            "\tRESYNC_WAIT_TIMEOUT = 30\n"
            "\tAUTO_NONCURDATA = 1\n");
  EXPECT_EQ(msgs[1],
            "INFO: Current status of the Remote Copy volume group:\n"
            "\tLocal Replication Role of the Remote Copy Volume Group  = Primary\n"
            "\tRemote Replication Role of the Remote Copy Volume Group  = Secondary\n"
            "\tRemote Copy Link Status = Up\n"
            "\tRemote Copy Volume Group Status = Started\n"
            "\tRemote Copy Volume Group Virtual Volume SyncStatus  = Synced\n");
}

TEST_F(ReportTest, SiteBReportsDataCenterTwoAsLocal) {
  set("StatusCurrentDC", "B");
  std::vector<std::string> msgs = report(0);
  ASSERT_EQ(msgs.size(), 2u);
  EXPECT_NE(msgs[0].find("\tLocal Remote Copy Volume Group Name  = rcgB\n"), std::string::npos);
  EXPECT_NE(msgs[0].find("\tRemote Remote Copy Volume Group Name  = rcgA\n"), std::string::npos);
  EXPECT_NE(msgs[0].find("\tLocal Jx Vexa Storage System User Name = oper\n"), std::string::npos);
  EXPECT_NE(msgs[0].find("\tRemote Jx Vexa Storage System Name/IP = arrayA\n"),
            std::string::npos);
}

TEST_F(ReportTest, FailsafeAndTimeoutLines) {
  struct Case {
    const char* failsafe;
    int timeout;
    const char* failsafeLine;
    const char* timeoutLine;
  };
  const Case cases[] = {
      {"no_fail_wrt_on_err", -1,
       "\tFailSafe Mode of the Remote Copy Volume Group = no_fail_wrt_on_err (Ignore if Tessel "
       "OS Version is 3.1.1 or later)\n",
       "\tRESYNC_WAIT_TIMEOUT = no_timeout\n"},
      {"fail_wrt_on_err", 0, "\tFailSafe Mode of the Remote Copy Volume Group = fail_wrt_on_err\n",
       "\tRESYNC_WAIT_TIMEOUT = 0\n"},
      {"UNKNOWN", 86400, "\tFailSafe Mode of the Remote Copy Volume Group = UNKNOWN\n",
       "\tRESYNC_WAIT_TIMEOUT = 86400\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failsafe);
    set("StatusFailsafeMode", c.failsafe);
    setIntByContext("RESYNC_WAIT_TIMEOUT", c.timeout);
    std::vector<std::string> msgs = report(0);
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_NE(msgs[0].find(c.failsafeLine), std::string::npos) << msgs[0];
    EXPECT_NE(msgs[0].find(c.timeoutLine), std::string::npos) << msgs[0];
  }
}

TEST_F(ReportTest, AfterTakeoverOnlyTheStatusWithoutTheLink) {
  std::vector<std::string> msgs = report(1);
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0],
            "INFO: Status of the Remote Copy volume group after takeover:\n"
            "\tLocal Replication Role of the Remote Copy Volume Group  = Primary\n"
            "\tRemote Replication Role of the Remote Copy Volume Group  = Secondary\n"
            "\tRemote Copy Volume Group Status = Started\n"
            "\tRemote Copy Volume Group Virtual Volume SyncStatus  = Synced\n");
}

TEST_F(ReportTest, AfterTakeoverNeedsNoSite) {
  db_->setStrValByName("StatusCurrentDC", "");
  std::vector<std::string> msgs = report(1);
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0].rfind("INFO: Status of the Remote Copy volume group after takeover:\n", 0),
            0u);
}

TEST_F(ReportTest, UnknownSiteBeforeTakeoverPrintsNoReport) {
  db_->setStrValByName("StatusCurrentDC", "");
  std::vector<std::string> msgs = report(0);
  for (const std::string& m : msgs) EXPECT_EQ(m.find("INFO:"), std::string::npos) << m;
}

TEST_F(ReportTest, EmptyValuesLeaveTheirLinesOut) {
  db_->setStrValByName("StatusRemoteReplicationRole", "");
  db_->setStrValByName("AUTO_NONCURDATA", "");
  std::vector<std::string> msgs = report(0);
  bool sawConfig = false, sawStatus = false;
  for (const std::string& m : msgs) {
    if (m.rfind("INFO: Configuration", 0) == 0) {
      sawConfig = true;
      EXPECT_EQ(m.find("AUTO_NONCURDATA"), std::string::npos);
    }
    if (m.rfind("INFO: Current status", 0) == 0) {
      sawStatus = true;
      EXPECT_EQ(m.find("Remote Replication Role"), std::string::npos);
      EXPECT_NE(m.find("Local Replication Role"), std::string::npos);
    }
  }
  EXPECT_TRUE(sawConfig);
  EXPECT_TRUE(sawStatus);
}

TEST(ReportText, LinesAreAddedOnlyForValues) {
  OrvString text("head\n");
  orv_report::addLine(text, "Label = ", "");
  EXPECT_STREQ(text.getValue(), "head\n");
  orv_report::addLine(text, "Label = ", "v");
  EXPECT_STREQ(text.getValue(), "head\n\tLabel = v\n");
}

class CliOutputCopyTest : public CtrlAFixture {};

TEST_F(CliOutputCopyTest, OutputIsCopiedVerbatimAtTheKindsLevel) {
  configure("A");
  makeController();
  std::string file = writeFile("out", "Error: 100% busy %s %d\n");
  for (int kind : {1, 2}) {
    std::vector<std::string> msgs =
        logged([&] { ctl_->PrintMessageFromVexaCLIOutput(file.c_str(), kind); });
    ASSERT_EQ(msgs.size(), 1u) << kind;
    EXPECT_EQ(msgs[0], "Error: 100% busy %s %d\n") << kind;
  }
  // Kind 5 is debug output, which this logger does not write.
  EXPECT_TRUE(logged([&] { ctl_->PrintMessageFromVexaCLIOutput(file.c_str(), 5); }).empty());
}

TEST_F(CliOutputCopyTest, EmptyOrMissingFileLogsNothing) {
  configure("A");
  makeController();
  std::string empty = writeFile("empty", "");
  EXPECT_TRUE(logged([&] { ctl_->PrintMessageFromVexaCLIOutput(empty.c_str(), 1); }).empty());
  std::string missing = dir_ + "/missing";
  EXPECT_TRUE(logged([&] { ctl_->PrintMessageFromVexaCLIOutput(missing.c_str(), 2); }).empty());
}

class ForceFlagMessageTest : public CtrlAFixture {};

TEST_F(ForceFlagMessageTest, AutoNonCurDataAndForceFlagCombine) {
  struct Case {
    const char* autoValue;  // "" : unset
    const char* force;
    const char* message;
  };
  const Case cases[] = {
      {"1", "yes", "The user has set AUTO_NONCURDATA to \"1\""},
      {"0", "yes", "Orvanta has detected a FORCEFLAG file."},
      {"", "yes", "Orvanta has detected a FORCEFLAG file."},
      {"1", "no", "The user has set AUTO_NONCURDATA to \"1\""},
      {"0", "no", "The user has set AUTO_NONCURDATA to \"0\" and has not created the FORCEFLAG file."},
      {"", "no", "The user has set AUTO_NONCURDATA to \"0\" and has not created the FORCEFLAG file."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.autoValue) + "/" + c.force);
    db_.reset(new OrvObjectDb());
    configure("A");
    if (*c.autoValue) set("AUTO_NONCURDATA", c.autoValue);
    set("StatusForceFlag", c.force);
    makeController();
    std::vector<std::string> msgs = logged([&] { ctl_->PrintForceFlagMessage(); });
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0], c.message);
  }
}

}  // namespace
}  // namespace ctrla_test
