// The action table binds rule-table names to controller members; a wrong,
// missing or reordered entry would start the wrong takeover.

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "controller/orv_rc_vexa.h"
#include "rcgate/orv_base.h"

namespace {

const char* const kExpectedOrder[] = {
    "ca_takeover_stop_local",
    "ca_takeover_stop_global",
    "ca_takeover_stop_datacenter",
    "ca_takeover_stoprcvg_reverse_startrcvg",
    "ca_takeover_reverse_startrcvg",
    "ca_takeover_failover",
    "ca_takeover_startrcvg_localsec_stop_datacenter_localprirev_nop",
    "ca_takeover_nop_recover",
    "ca_takeover_nop_startrcvg_remotesecrev_nop_remotepri_recover",
    "ca_takeover_startrcvg_remotesec_nop_remoteprirev_stop_datacenter",
    "ca_takeover_resyncwait_stoprcvg_reverse_startrcvg",
    "ca_takeover_startrcvg_resyncwait_stoprcvg_reverse_startrcvg",
    "ca_takeover_restore",
    "ca_takeover_startrcvg_localsec_stop_local_localprirev_nop",
    "ca_takeover_resyncwait_restore",
    "ca_takeover_startrcvg_resyncwait_restore",
    "ca_takeover_nop",
    "ca_takeover_stop_datacenter_startrcvg",
    "ca_takeover_nop_startrcvg",
    "ca_takeover_startrcvg_localpri_stop_datacenter_localsecrev_resyncwait_restore",
    "ca_takeover_reverse_current_local",
    "ca_takeover_recover_resyncwait_restore",
    "ca_takeover_startrcvg_localpri_nop_localsecrev_resyncwait_restore",
    "ca_takeover_stop_datacenter_recover",
    "ca_takeover_nop_ff",
    "ca_takeover_stop_datacenter_no_wait",
    "ca_takeover_stop_datacenter_no_rc",
    "ca_takeover_stop_global_no_ff",
    "ca_takeover_stop_datacenter_no_recover",
    "ca_takeover_stop_datacenter_local_unknown",
    "ca_takeover_stop_local_local_unknown_ro",
    "ca_takeover_stop_datacenter_no_auto",
    "ca_takeover_nop_yes_auto",
    "ca_takeover_restore_force",
    "ca_unrecognized_states",
    "ca_takeover_nop_syncrcopy",
    "ca_takeover_nop_startrcvg_syncrcopy",
    "ca_takeover_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
    "ca_takeover_startrcvg_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
    "ca_takeover_syncrcopy_resyncwait_restore",
    "ca_takeover_startrcvg_syncrcopy_resyncwait_restore",
    "ca_takeover_stop_datacenter_startrcvg_syncrcopy",
    "ca_takeover_stop_datacenter_startrcvg_localsecrev_syncrcopy_localpri_recover",
    "ca_takeover_startrcvg_localpri_stop_datacenter_localsecrev_syncrcopy_resyncwait_restore",
    "ca_takeover_nop_startrcvg_remotesecrev_syncrcopy_remotepri_recover",
    "ca_takeover_startrcvg_remotesec_nop_syncrcopy_remoteprirev_stop_datacenter",
    "ca_takeover_startrcvg_localsec_stop_local_syncrcopy_localprirev_stop_local",
    "ca_takeover_resyncwait_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
    "ca_takeover_resyncwait_syncrcopy_resyncwait_restore",
    "ca_takeover_stoprcvgwait_failover",
    "ca_takeover_failsafe_override",
};

TEST(ActionTable, HoldsTheFiftyOneActionsInTableOrder) {
  OrvBase driver;
  driver.loadCaFunctionList();
  const OrvList<OrvActionVal>& table = driver.getCaFunctionList();
  const int expected = sizeof(kExpectedOrder) / sizeof(kExpectedOrder[0]);
  ASSERT_EQ(expected, 51);
  ASSERT_EQ(table.numObjects(), expected);
  std::set<std::string> seen;
  for (int i = 0; i < expected; ++i) {
    const OrvActionVal& entry = table[i]->data();
    EXPECT_STREQ(entry.getActionName().getValue(), kExpectedOrder[i]) << "position " << i;
    EXPECT_NE(entry.getValue(), nullptr) << kExpectedOrder[i];
    EXPECT_TRUE(seen.insert(entry.getActionName().getValue()).second)
        << "duplicate " << kExpectedOrder[i];
  }
}

TEST(ActionTable, FallbackSitsAtPosition34AndIsTheUnrecognisedStatesMember) {
  OrvBase driver;
  driver.loadCaFunctionList();
  const OrvActionVal& entry = driver.getCaFunctionList()[34]->data();
  EXPECT_STREQ(entry.getActionName().getValue(), "ca_unrecognized_states");
  EXPECT_TRUE(entry.getValue() == &OrvRCVexa::ca_unrecognized_states);
}

TEST(ActionTable, EveryEntryIsBoundToADistinctMember) {
  // Two names sharing one member would mean one of them runs the wrong steps.
  OrvBase driver;
  driver.loadCaFunctionList();
  const OrvList<OrvActionVal>& table = driver.getCaFunctionList();
  for (int i = 0; i < table.numObjects(); ++i) {
    for (int j = i + 1; j < table.numObjects(); ++j) {
      EXPECT_FALSE(table[i]->data().getValue() == table[j]->data().getValue())
          << table[i]->data().getActionName() << " and " << table[j]->data().getActionName();
    }
  }
}

}  // namespace
