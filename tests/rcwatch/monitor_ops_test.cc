// Monitor operations that can run outside the sandbox: those that refuse
// their input before any command, and the channel choice by type word
// where the host has no mail program or event command to reach.

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "rcwatch/monitor.h"
#include "rcwatch/send_notify.h"

namespace {

TEST(PopulateEmailAddressesTest, UnsafePackageNameRunsNoCommand) {
  for (const char* name : {"pkg;touch /tmp/rcwatch_pwned", "$(id)", "a b", "", "pkg|x", "`x`"}) {
    OrvList<OrvString> addresses;
    addresses.insertAtBack("kept@example.com");
    testing::internal::CaptureStdout();
    int r = populateEmailAddresses(name, &addresses);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(r, 0) << name;
    EXPECT_EQ(addresses.numObjects(), 1) << name;
    EXPECT_NE(out.find("Error: The package name [" + std::string(name) + "]"), std::string::npos)
        << out;
    EXPECT_EQ(out.find("tvgetpkgenv"), std::string::npos) << out;
  }
  EXPECT_NE(access("/tmp/rcwatch_pwned", F_OK), 0);
}

TEST(SendNotificationTest, TypeWordsIgnoreCase) {
  if (access("/usr/sbin/sendmail", F_OK) == 0 || access("/opt/EMLN/bin/EvQ/evqmsg", F_OK) == 0)
    GTEST_SKIP() << "the host could really deliver; covered in the sandbox";
  struct {
    const char* type;
    const char* marker;  // a line only that channel writes
  } cases[] = {{"EMAIL", "sendEmailNotification: cannot execute /usr/sbin/sendmail"},
               {"eMaIl", "Sending eMaIl notification to address ops@x"},
               {"evq", "check_evq_notification: /opt/EMLN/bin/EvQ/evqmsg command not found"},
               {"EvQ", "check_evq_notification: /opt/EMLN/bin/EvQ/evqmsg command not found"}};
  for (const auto& c : cases) {
    SendNotify n;
    testing::internal::CaptureStdout();
    int r = n.sendNotification("pkg", "m", c.type, "", "ops@x");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(r, -1) << c.type;
    EXPECT_NE(out.find(c.marker), std::string::npos) << c.type << "\n" << out;
    EXPECT_EQ(out.find("Unknown notification type"), std::string::npos) << out;
    EXPECT_NE(out.find("\tError\tFailed to send notification"), std::string::npos) << out;
  }
}

}  // namespace
