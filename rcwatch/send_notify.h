// SendNotify: delivers one monitor notification on one channel.
//
// Every notification is framed as
//   header, "Notification Time: <ctime>", message + "\n", details, footer
// and sent by e-mail (the local mail program, one run per address),
// to syslog (identity "OrvantaVexa", facility local1), to a console device,
// or through the operations event command.  The four framing members are
// rebuilt by every sendNotification; nothing else persists.
//
// Results: 0 sent, -1 failed (each failure is logged).  Console delivery
// always counts as sent.  One object lives as long as the monitor.

#ifndef RCWATCH_SEND_NOTIFY_H_
#define RCWATCH_SEND_NOTIFY_H_

#include <string>

class SendNotify {
 public:
  SendNotify();

  // type (ignoring case): "email" (address: the recipient), "syslog",
  // "console" (/dev/console, then /dev/xconsole) or "evq" (address: the
  // severity number, atoi).  Any other word: "Error: Unknown notification
  // type" and -1.
  int sendNotification(std::string packageName, std::string message, std::string type,
                       std::string details, std::string address);
  void buildNotificationMessage(std::string message);
  // What the next notifications are about: the mail subject's suffix
  // (none when empty) and the syslog priority (facility local1 always).
  void setEvent(const std::string& summary, int priority);

  int sendEmailNotification(std::string details, std::string packageName,
                            const char* address);
  int sendSyslogNotification(std::string details);  // 0
  int sendConsoleNotification(std::string details, std::string device);  // 0
  // 1 when the event command is executable, else 0 (logged).
  int check_evq_notification();
  int sendEvqNotification(std::string details, int severity);

  const std::string& getHeader() const { return header; }
  const std::string& getNotificationTime() const { return notificationTime; }
  const std::string& getMessage() const { return message; }
  const std::string& getFooter() const { return footer; }

  // header, time, message, details and footer, each followed by a line
  // feed: the text of e-mail and console.
  std::string framedText(const std::string& details) const;

 private:
  std::string header;
  std::string notificationTime;
  std::string message;
  std::string footer;
  std::string summary;
  int priority;
};

#endif  // RCWATCH_SEND_NOTIFY_H_
