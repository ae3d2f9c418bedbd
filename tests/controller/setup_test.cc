// Controller set-up: the site decides which configured array, group and
// target are local; a missing object makes the controller not good.

#include <gtest/gtest.h>

#include "array/orv_vexa_util.h"
#include "ctrla_fixture.h"

namespace ctrla_test {
namespace {

class SetupTest : public CtrlAFixture {};

struct SiteCase {
  const char* site;
  const char* localArray;
  const char* remoteArray;
  const char* localPwf;
  const char* remotePwf;
  const char* localGroup;
  const char* remoteGroup;
  const char* localTarget;
  const char* remoteTarget;
};

TEST_F(SetupTest, SiteDecidesWhichDataCenterIsLocal) {
  const SiteCase cases[] = {
      {"A", "arrayA", "arrayB", "/usr/local/tarvos/conf/vexarc/admin_arrayA.pwf",
       "/usr/local/tarvos/conf/vexarc/oper_arrayB.pwf", "rcgA", "rcgB", "tgtAB", "tgtBA"},
      {"B", "arrayB", "arrayA", "/usr/local/tarvos/conf/vexarc/oper_arrayB.pwf",
       "/usr/local/tarvos/conf/vexarc/admin_arrayA.pwf", "rcgB", "rcgA", "tgtBA", "tgtAB"},
      // Only an exact upper-case "A" selects data center 1.
      {"a", "arrayB", "arrayA", "/usr/local/tarvos/conf/vexarc/oper_arrayB.pwf",
       "/usr/local/tarvos/conf/vexarc/admin_arrayA.pwf", "rcgB", "rcgA", "tgtBA", "tgtAB"},
      {"AB", "arrayB", "arrayA", "/usr/local/tarvos/conf/vexarc/oper_arrayB.pwf",
       "/usr/local/tarvos/conf/vexarc/admin_arrayA.pwf", "rcgB", "rcgA", "tgtBA", "tgtAB"},
  };
  for (const SiteCase& c : cases) {
    SCOPED_TRACE(c.site);
    configure(c.site);
    makeController();
    ASSERT_EQ(ctl_->isGood(), 1);
    EXPECT_STREQ(ctl_->getLocalArrayName().getValue(), c.localArray);
    EXPECT_STREQ(ctl_->getRemoteArrayName().getValue(), c.remoteArray);
    EXPECT_STREQ(ctl_->getLocalPasswordFile().getValue(), c.localPwf);
    EXPECT_STREQ(ctl_->getRemotePasswordFile().getValue(), c.remotePwf);
    EXPECT_STREQ(ctl_->getLocalGroup().getValue(), c.localGroup);
    EXPECT_STREQ(ctl_->getRemoteGroup().getValue(), c.remoteGroup);
    EXPECT_STREQ(ctl_->getLocalTarget().getValue(), c.localTarget);
    EXPECT_STREQ(ctl_->getRemoteTarget().getValue(), c.remoteTarget);
  }
}

TEST_F(SetupTest, FreshControllerStartsWithNoWaitClockAndDefaultTimeout) {
  configure("A");
  makeController();
  EXPECT_EQ(ctl_->getWaitStartTime(), 0);
  EXPECT_EQ(ctl_->getWaitTimeout(), 250);
  EXPECT_EQ(ctl_->getPeriodicVolumes().numObjects(), 0);
  EXPECT_STREQ(ctl_->getPackageDir().getValue(), dir_.c_str());
}

// Each object in the order initialize reads it, with what must already be
// filled when it is the first one missing.
TEST_F(SetupTest, FirstMissingObjectStopsSetUpAndKeepsWhatWasRead) {
  struct MissingCase {
    const char* missing;  // object left without value (site A)
    bool localArrayFilled;
    bool remoteArrayFilled;
    bool groupsFilled;
    bool localTargetFilled;
  };
  const MissingCase cases[] = {
      {"StatusCurrentDC", false, false, false, false},
      {"DC1_STORAGE_SYSTEM_USER", false, false, false, false},
      {"DC1_STORAGE_SYSTEM_NAME", false, false, false, false},
      {"DC2_STORAGE_SYSTEM_USER", true, false, false, false},
      {"DC2_STORAGE_SYSTEM_NAME", true, false, false, false},
      {"DC1_RC_VOLUME_GROUP", true, true, false, false},
      {"DC2_RC_VOLUME_GROUP", true, true, false, false},
      {"DC1_RC_TARGET_FOR_DC2", true, true, true, false},
      {"DC2_RC_TARGET_FOR_DC1", true, true, true, true},
  };
  for (const MissingCase& c : cases) {
    SCOPED_TRACE(c.missing);
    db_.reset(new OrvObjectDb());
    configure("A");
    // An empty text is a value the database reports as not set.
    db_->setStrValByName(c.missing, "");
    std::vector<std::string> msgs = logged([&] { makeController(); });
    EXPECT_EQ(ctl_->isGood(), 0);
    EXPECT_EQ(ctl_->getLocalArrayName() == "arrayA", c.localArrayFilled);
    EXPECT_EQ(ctl_->getRemoteArrayName() == "arrayB", c.remoteArrayFilled);
    EXPECT_EQ(ctl_->getLocalGroup() == "rcgA" && ctl_->getRemoteGroup() == "rcgB",
              c.groupsFilled);
    EXPECT_EQ(ctl_->getLocalTarget() == "tgtAB", c.localTargetFilled);
    EXPECT_TRUE(ctl_->getRemoteTarget() == "");
    // The database's own message is the only one.
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0], std::string("Error: Object Name [") + c.missing + "] value not set.");
  }
}

TEST_F(SetupTest, PasswordFilesAreBuiltFromUserAndNameOnly) {
  configure("A");
  set("DC1_STORAGE_SYSTEM_NAME", "10.0.0.7");
  makeController();
  ASSERT_EQ(ctl_->isGood(), 1);
  EXPECT_STREQ(ctl_->getLocalPasswordFile().getValue(),
               "/usr/local/tarvos/conf/vexarc/admin_10.0.0.7.pwf");
}

TEST_F(SetupTest, PackageDirectoryThatTheShellWouldInterpretIsRefused) {
  configure("A");
  const char* bad[] = {"/tmp/pkg dir", "/tmp/pkg;touch x", "/tmp/$(id)", "/tmp/a|b"};
  for (const char* dir : bad) {
    SCOPED_TRACE(dir);
    std::vector<std::string> msgs =
        logged([&] { ctl_.reset(new OrvRCVexa(db_.get(), dir)); });
    EXPECT_EQ(ctl_->isGood(), 0);
    ASSERT_FALSE(msgs.empty());
    EXPECT_NE(msgs.back().find(dir), std::string::npos) << msgs.back();
  }
}

TEST_F(SetupTest, CommandTimeoutComesFromItsObjectWhenPositive) {
  struct TimeoutCase {
    const char* text;  // nullptr: object left unset
    int expected;
  };
  const TimeoutCase cases[] = {
      {nullptr, 0}, {"30", 30}, {"1", 1}, {"0", 0}, {"-5", 0}, {"abc", 0}, {"12s", 0},
  };
  for (const TimeoutCase& c : cases) {
    SCOPED_TRACE(c.text ? c.text : "(unset)");
    db_.reset(new OrvObjectDb());
    configure("A");
    OrvVexaUtil::setCommandTimeout(99);
    if (c.text != nullptr) set("JxVexaCLICommandTimeout", c.text);
    makeController();
    EXPECT_EQ(OrvVexaUtil::getCommandTimeout(), c.expected);
  }
  OrvVexaUtil::setCommandTimeout(0);
}

}  // namespace
}  // namespace ctrla_test
