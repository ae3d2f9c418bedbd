#include "rcwatch/send_notify.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

const char kHeader[] = ">------------ Orvanta Vexa Replication Monitor Notification ------------<";
const char kFooter[] = ">---------- End Orvanta Vexa Replication Monitor Notification ----------<";

TEST(SendNotifyTest, Framing) {
  SendNotify n;
  n.buildNotificationMessage("hello");
  EXPECT_EQ(n.getHeader(), kHeader);
  EXPECT_EQ(n.getFooter(), kFooter);
  EXPECT_EQ(n.getMessage(), "hello\n");
  const std::string& t = n.getNotificationTime();
  ASSERT_EQ(t.size(), std::string("Notification Time: ").size() + 25);
  EXPECT_EQ(t.compare(0, 19, "Notification Time: "), 0);
  EXPECT_EQ(t.back(), '\n');
  // Empty details keep their own empty line.
  EXPECT_EQ(n.framedText(""), std::string(kHeader) + "\n" + t + "\nhello\n\n\n" + kFooter + "\n");
  EXPECT_EQ(n.framedText("D"), std::string(kHeader) + "\n" + t + "\nhello\n\nD\n" + kFooter + "\n");
}

TEST(SendNotifyTest, UnknownTypeFails) {
  for (const char* type : {"fax", "", "e-mail", "sys log", "evq "}) {
    SendNotify n;
    testing::internal::CaptureStdout();
    int r = n.sendNotification("pkg", "m", type, "", "");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(r, -1) << type;
    EXPECT_NE(out.find("Error: Unknown notification type\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\tError\tFailed to send notification"), std::string::npos) << out;
  }
}

class ConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/rcwatch_consoleXXXXXX";
    int fd = mkstemp(templ);
    ASSERT_GE(fd, 0);
    close(fd);
    path_ = templ;
  }
  void TearDown() override { unlink(path_.c_str()); }
  std::string read() {
    std::ifstream in(path_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string path_;
};

TEST_F(ConsoleTest, AppendsFramedText) {
  std::ofstream(path_) << "earlier\n";
  SendNotify n;
  n.buildNotificationMessage("msg");
  EXPECT_EQ(n.sendConsoleNotification("diag", path_), 0);
  EXPECT_EQ(read(), "earlier\n" + n.framedText("diag"));
}

TEST_F(ConsoleTest, MissingDeviceStillCountsAsSent) {
  unlink(path_.c_str());
  SendNotify n;
  n.buildNotificationMessage("msg");
  EXPECT_EQ(n.sendConsoleNotification("", path_), 0);
  EXPECT_NE(access(path_.c_str(), F_OK), 0);
}

}  // namespace
