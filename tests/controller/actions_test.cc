// Takeover actions that can be judged without an array: the refusals and
// no-ops (exact messages, entry trace, result), and every array-touching
// action when no temporary output file can be made (result, and that
// nothing was sent).

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/controller/takeover_fixture.h"

namespace ctrlb_test {
namespace {

const std::string T4 = "\n\t\t\t\t";

struct RefusalCase {
  const char* name;
  Action action;
  const char* trace;  // debug entry line
  int result;
  std::vector<std::string> messages;  // normal level, in order
};

class RefusalTest : public ControllerFixture,
                    public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusalTest, LogsItsReasonAndReturnsItsCode) {
  const RefusalCase& c = GetParam();
  build(true);
  startCapture();
  int r = (ctl_.get()->*c.action)();
  std::vector<Message> msgs = stopCapture();
  EXPECT_EQ(r, c.result);
  EXPECT_EQ(texts(msgs, false), c.messages);
  std::vector<std::string> debug = texts(msgs, true);
  if (c.trace[0] == '\0') {
    EXPECT_TRUE(debug.empty());
  } else {
    ASSERT_FALSE(debug.empty());
    EXPECT_EQ(debug.front(), c.trace);
  }
  EXPECT_EQ(leftovers(), 0);
}

const RefusalCase kRefusals[] = {
    {"stop_local", &OrvRCVexa::ca_takeover_stop_local,
     "OrvRCVexa::ca_takeover_stop_local", 2, {}},
    {"stop_global", &OrvRCVexa::ca_takeover_stop_global,
     "OrvRCVexa::ca_takeover_stop_global", 1,
     {"The Remote Copy volume group is set with fail_wrt_on_err and the link "
      "is down."}},
    {"stop_global_no_ff", &OrvRCVexa::ca_takeover_stop_global_no_ff,
     "OrvRCVexa::ca_takeover_stop_global_no_ff", 1,
     {"Error: The local Remote Copy volume group role is \"Primary\" and the "
      "remote Remote Copy volume group role is \"Primary-Rev\".",
      "The link is down and the user has not created the FORCEFLAG file."}},
    {"stop_datacenter", &OrvRCVexa::ca_takeover_stop_datacenter,
     "OrvRCVexa::ca_takeover_stop_datacenter", 1,
     {"Error: The Remote Copy volume group is in either \"New\" status or its "
      "virtual volumes are in \"Stale\" state."}},
    {"no_wait", &OrvRCVexa::ca_takeover_stop_datacenter_no_wait,
     "OrvRCVexa::ca_takeover_stop_datacenter_no_wait", 1,
     {"Error: The Remote Copy volume group's virtual volume is in "
      "\"Syncing/Stale\" " + T4 +
      "state and RESYNC_WAIT_TIMEOUT parameter is set to 0."}},
    {"no_rc", &OrvRCVexa::ca_takeover_stop_datacenter_no_rc,
     "OrvRCVexa::ca_takeover_stop_datacenter_no_rc", 1,
     {"Error: The Remote Copy is not happening from the remote storage system "
      "to the local storage system.",
      "Start the Remote Copy volume group manually before restarting the "
      "package."}},
    {"no_recover", &OrvRCVexa::ca_takeover_stop_datacenter_no_recover,
     "OrvRCVexa::ca_takeover_stop_datacenter_no_recover", 1,
     {"Error: The local Remote Copy volume group role is \"Primary\" and the "
      "remote Remote Copy volume group role is \"Primary-Rev\".",
      "Start Remote Copy from the other site to this site using \"recover\" " +
          T4 + "operation before restarting the package."}},
    {"no_auto", &OrvRCVexa::ca_takeover_stop_datacenter_no_auto,
     "OrvRCVexa::ca_takeover_stop_datacenter_no_auto", 1,
     {"Error: The Remote Copy link is down and data in the local storage "
      "system may not be current.",
      "The user has set AUTO_NONCURDATA to \"0\" and has not created the "
      "FORCEFLAG file.",
      "To start the package forcefully using non current data, use FORCEFLAG "
      "file."}},
    {"local_unknown", &OrvRCVexa::ca_takeover_stop_datacenter_local_unknown,
     "OrvRCVexa::ca_takeover_stop_datacenter_local_unknown", 1,
     {"Error: Not able to determine the status of the local storage system." +
      T4 + "This may be due to either the storage system being down or " + T4 +
      "due to the SSH connectivity issues." + T4 +
      "Fix the problem to allow package startup." + T4 +
      "To start the package forcefully, use FORCEFLAG file."}},
    {"local_unknown_ro", &OrvRCVexa::ca_takeover_stop_local_local_unknown_ro,
     "OrvRCVexa::ca_takeover_stop_local_local_unknown_ro", 2,
     {"Error: Not able to determine the status of the local storage system." +
      T4 + "This may be due to the SSH connectivity issues." + T4 +
      "The remote Remote Copy volume group's role is \"Primary\" and the "
      "status is \"Started\"." + T4 +
      "This implies that the local Remote Copy volume group's role is "
      "\"Secondary\"." + T4 +
      "To allow package startup on this node, either fix the connectivity "
      "issues or" + T4 +
      "reverse the replication using Vexa Management Console."}},
    {"remote_unknown",
     &OrvRCVexa::ca_takeover_startrcvg_remotesec_nop_remoteprirev_stop_datacenter,
     "OrvRCVexa::ca_takeover_startrcvg_remotesec_nop_remoteprirev_stop_"
     "datacenter",
     2,
     {"Error: Not able to determine the status of the remote storage system." +
      T4 +
      "This may be due to the SSH connectivity issues or the remote storage "
      "system being down." + T4 +
      "The local Remote Copy volume group's role is \"Primary\". " + T4 +
      "This means remote Remote Copy volume group's role can be either "
      "\"Secondary\" or \"Primary-Rev\" or the remote storage system is down." +
      T4 + "To allow package startup on this node, either fix the "
      "connectivity " + T4 + "issue or use FORCEFLAG file."}},
    {"local_unknown_remote_pri",
     &OrvRCVexa::ca_takeover_startrcvg_localsec_stop_local_localprirev_nop,
     "OrvRCVexa::ca_takeover_startrcvg_localsec_stop_local_localprirev_nop", 2,
     {"Error: Not able to determine the status of the local storage system." +
      T4 +
      "This may be due to the SSH connectivity issues or the local storage "
      "system being down." + T4 +
      "The remote Remote Copy volume group's role is \"Primary\". " + T4 +
      "This means local Remote Copy volume group's role can be either "
      "\"Secondary\" or \"Primary-Rev\" or the local storage system is down." +
      T4 + "To allow the package startup on this node, either fix the "
      "connectivity " + T4 + "issue or use FORCEFLAG file."}},
    {"localsec_stop_datacenter",
     &OrvRCVexa::ca_takeover_startrcvg_localsec_stop_datacenter_localprirev_nop,
     "OrvRCVexa::ca_takeover_startrcvg_localsec_stop_datacenter_localprirev_"
     "nop",
     1, {}},
    {"reverse_current_local", &OrvRCVexa::ca_takeover_reverse_current_local,
     "ca_takeover_reverse_current_local", 1,
     {"Error: The local Remote Copy volume group role is \"Secondary-Rev\" and "
      "the link is down. Restore the links and ensure the storage systems are "
      "up before restarting this package."}},
    {"nop", &OrvRCVexa::ca_takeover_nop, "OrvRCVexa::ca_takeover_nop", 4,
     {"Orvanta has determined that the Remote Copy volumes are in a "
      "read/write state."}},
    {"nop_ff", &OrvRCVexa::ca_takeover_nop_ff, "OrvRCVexa::ca_takeover_nop_ff",
     4,
     {"Orvanta has detected a FORCEFLAG file. This means the user has "
      "indicated that the Remote Copy volumes are in a read/write state."}},
    {"nop_yes_auto", &OrvRCVexa::ca_takeover_nop_yes_auto,
     "OrvRCVexa::ca_takeover_nop_yes_auto", 4,
     {"Orvanta has detected that the Remote Copy volumes are in a read/write "
      "state. The local Remote Copy volume group is in \"Primary\" and the "
      "remote Remote Copy volume group is in \"Primary-Rev\" role. As a "
      "result, data in the local storage may not be current. The user has set "
      "\"AUTO_NONCURDATA = 1 \"."}},
    {"unrecognized", &OrvRCVexa::ca_unrecognized_states, "", 1, {}},
};

INSTANTIATE_TEST_SUITE_P(
    Refusals, RefusalTest, ::testing::ValuesIn(kRefusals),
    [](const ::testing::TestParamInfo<RefusalCase>& i) {
      return std::string(i.param.name);
    });

// ---- No temporary file ------------------------------------------------------

struct NoFileCase {
  const char* name;
  Action action;
  bool traced;  // logs "OrvRCVexa::" + its name at debug level first
  int result;
};

class NoFileTest : public ControllerFixture,
                   public ::testing::WithParamInterface<NoFileCase> {};

// The package directory cannot be created (it would lie in /proc), so no
// temporary file can be made in it.
TEST_P(NoFileTest, SendsNothingAndReturnsItsCode) {
  const NoFileCase& c = GetParam();
  build(true, "/proc/orv-no-such-dir/pkg");
  // Past the role check of the sync requests.
  set("StatusRemoteReplicationRole", "Primary");
  startCapture();
  int r = (ctl_.get()->*c.action)();
  std::vector<Message> msgs = stopCapture();
  EXPECT_EQ(r, c.result);
  for (const Message& m : msgs) {
    EXPECT_EQ(m.text.find("Executing"), std::string::npos) << m.text;
    EXPECT_EQ(m.text.find("operation failed"), std::string::npos) << m.text;
  }
  std::string trace = std::string("OrvRCVexa::ca_takeover_") + c.name;
  std::vector<std::string> debug = texts(msgs, true);
  if (c.traced) {
    ASSERT_FALSE(debug.empty());
    EXPECT_EQ(debug.front(), trace);
  } else {
    for (const std::string& d : debug) EXPECT_NE(d, trace);
  }
}

#define NOFILE(n, traced, result) {#n, &OrvRCVexa::ca_takeover_##n, traced, result}

const NoFileCase kNoFile[] = {
    NOFILE(failover, true, 2),
    NOFILE(restore, true, 2),
    NOFILE(restore_force, true, 2),
    NOFILE(failsafe_override, true, 2),
    NOFILE(nop_recover, true, 2),
    NOFILE(nop_startrcvg, true, 2),
    NOFILE(stop_datacenter_startrcvg, true, 2),
    NOFILE(stop_datacenter_recover, true, 2),
    NOFILE(nop_syncrcopy, false, 0),
    NOFILE(reverse_startrcvg, true, 2),
    NOFILE(stoprcvg_reverse_startrcvg, true, 2),
    NOFILE(nop_startrcvg_remotesecrev_nop_remotepri_recover, true, 2),
    NOFILE(nop_startrcvg_remotesecrev_syncrcopy_remotepri_recover, false, 0),
    NOFILE(startrcvg_remotesec_nop_syncrcopy_remoteprirev_stop_datacenter, false, 2),
    NOFILE(resyncwait_stoprcvg_reverse_startrcvg, true, 2),
    NOFILE(startrcvg_resyncwait_stoprcvg_reverse_startrcvg, true, 2),
    NOFILE(resyncwait_restore, true, 2),
    NOFILE(startrcvg_resyncwait_restore, true, 2),
    NOFILE(startrcvg_localpri_stop_datacenter_localsecrev_resyncwait_restore, false, 2),
    NOFILE(startrcvg_localpri_nop_localsecrev_resyncwait_restore, true, 2),
    NOFILE(recover_resyncwait_restore, true, 2),
    NOFILE(stop_datacenter_startrcvg_recover, false, 2),
    NOFILE(stop_datacenter_startrcvg_localsecrev_syncrcopy_localpri_recover, false, 2),
    NOFILE(stop_datacenter_startrcvg_syncrcopy, false, 1),
    NOFILE(startrcvg_localsec_stop_local_syncrcopy_localprirev_stop_local, false, 2),
    NOFILE(startrcvg_localpri_stop_datacenter_localsecrev_syncrcopy_resyncwait_restore, false, 2),
    NOFILE(nop_startrcvg_syncrcopy, false, 0),
    NOFILE(syncrcopy_resyncwait_stoprcvg_reverse_startrcvg, false, 2),
    NOFILE(syncrcopy_resyncwait_restore, false, 2),
    NOFILE(startrcvg_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg, false, 2),
    NOFILE(startrcvg_syncrcopy_resyncwait_restore, false, 2),
    NOFILE(resyncwait_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg, false, 2),
    NOFILE(resyncwait_syncrcopy_resyncwait_restore, false, 2),
};

INSTANTIATE_TEST_SUITE_P(
    NoTemporaryFile, NoFileTest, ::testing::ValuesIn(kNoFile),
    [](const ::testing::TestParamInfo<NoFileCase>& i) {
      return std::string(i.param.name);
    });

}  // namespace
}  // namespace ctrlb_test
