// The mail file handed to the mail program.
//
// The file has a fixed name in a world-writable directory and is written
// with the monitor's (root's) rights, so whatever already sits at that name
// may have been planted.  openMailFile never follows a symbolic link, never
// blocks on a FIFO, and only writes into a regular file with a single link
// owned by the effective user; anything else is refused.  The file is
// emptied only after those checks, so a refused file is left as it was.

#ifndef RCWATCH_MAIL_FILE_H_
#define RCWATCH_MAIL_FILE_H_

#include <cstdio>
#include <string>

namespace orv_mail {

const char kMailFilePath[] = "/tmp/tmpccemail.txt";
const char kSendmailPath[] = "/usr/sbin/sendmail";
const char kSubjectText[] = "Orvanta Vexa Replication Monitor notification for ";

// Creates (mode 0600) or truncates path and returns it open for writing;
// nullptr with errno set on failure (ELOOP for a link, EPERM for a file of
// the wrong kind or owner).
FILE* openMailFile(const char* path);

// The whole file: "To:", "From: root@<host>", "Subject:" and the body right
// after the subject line.
std::string mailText(const std::string& address, const std::string& hostName,
                     const std::string& packageName, const std::string& body);

}  // namespace orv_mail

#endif  // RCWATCH_MAIL_FILE_H_
