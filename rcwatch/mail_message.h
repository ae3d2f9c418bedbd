// The mail handed to the mail program.
//
// The message (headers and body) goes to "/usr/sbin/sendmail -t -i" on its
// standard input through a pipe: there is no mail file, so monitors of
// several packages never share one, and nothing anyone plants in /tmp
// takes part in the delivery.

#ifndef RCWATCH_MAIL_MESSAGE_H_
#define RCWATCH_MAIL_MESSAGE_H_

#include <string>

namespace orv_mail {

const char kSendmailPath[] = "/usr/sbin/sendmail";
// Recipients from the headers (-t); a line of a single dot does not end
// the message (-i).
const char kSendmailOptions[] = "-t -i";
const char kSubjectText[] = "Orvanta Vexa Replication Monitor notification for ";
// The longest a mail program or event command may run (seconds).
const int kNotifyCommandSeconds = 60;

// The whole message: "To:", "From: root@<host>", "Subject:" (with ": " +
// summary when there is one) and the body right after the subject line.
std::string mailText(const std::string& address, const std::string& hostName,
                     const std::string& packageName, const std::string& body,
                     const std::string& summary = "");

}  // namespace orv_mail

#endif  // RCWATCH_MAIL_MESSAGE_H_
