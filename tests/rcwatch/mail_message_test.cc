// The mail goes to the mail program on a pipe, so there is no mail file to
// plant anything at (tests/e2e/rcwatch_e2e_test.cc plants links, a FIFO, a
// hard link and a foreign file at the old name and sends through them):
// what is left to check here is the message itself.

#include "rcwatch/mail_message.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MailMessageTest, HeadersThenBody) {
  EXPECT_EQ(orv_mail::mailText("ops@example.com", "nodeA", "pkg1", "line 1\nline 2\n"),
            "To: ops@example.com\n"
            "From: root@nodeA\n"
            "Subject: Orvanta Vexa Replication Monitor notification for  pkg1 package\n"
            "line 1\nline 2\n");
}

// The body is handed over as it is, also a line of a single dot (the mail
// program is told not to end the message there) and a very long text.
TEST(MailMessageTest, BodyIsKeptWhole) {
  std::string body = "before\n.\nafter\n" + std::string(200000, 'x') + "\n";
  std::string text = orv_mail::mailText("a@b", "h", "p", body);
  EXPECT_EQ(text.substr(text.size() - body.size()), body);
  EXPECT_EQ(std::string(orv_mail::kSendmailOptions), "-t -i");
  EXPECT_EQ(orv_mail::kNotifyCommandSeconds, 60);
}

}  // namespace
