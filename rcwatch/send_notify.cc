#include "rcwatch/send_notify.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <syslog.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "foundation/child_process.h"
#include "foundation/logger.h"
#include "rcwatch/evq_text.h"
#include "rcwatch/mail_message.h"

namespace {

const char kHeader[] = ">------------ Orvanta Vexa Replication Monitor Notification ------------<";
const char kFooter[] = ">---------- End Orvanta Vexa Replication Monitor Notification ----------<";
const char kSyslogIdent[] = "OrvantaVexa";
const size_t kCtimeLength = 26;
const size_t kHostNameLength = 100;
const int kSendmailLineLength = 512;

enum Channel { kUnknown, kEmail, kSyslog, kConsole, kEvq };

Channel channelOf(const std::string& type) {
  if (strcasecmp(type.c_str(), "email") == 0) return kEmail;
  if (strcasecmp(type.c_str(), "syslog") == 0) return kSyslog;
  if (strcasecmp(type.c_str(), "console") == 0) return kConsole;
  if (strcasecmp(type.c_str(), "evq") == 0) return kEvq;
  return kUnknown;
}

std::string localHostName() {
  char host[kHostNameLength + 1];
  memset(host, 0, sizeof(host));
  if (gethostname(host, kHostNameLength) != 0) host[0] = '\0';
  host[kHostNameLength] = '\0';
  return host;
}

// Hands text to the mail program on its standard input, within the bound;
// 0 when it printed nothing and exited with 0.
int runSendmail(const std::string& command, const std::string& text, Logger* log) {
  orv_child::Spec spec;
  spec.command = command;
  spec.capture = true;
  spec.input = &text;
  spec.timeoutSeconds = orv_mail::kNotifyCommandSeconds;
  orv_child::Result r;
  if (!orv_child::run(spec, &r)) {
    log->log("mail_msg: sendmail could not be started");
    return -1;
  }
  if (r.timedOut) {
    log->log("Error: %s did not end within %d seconds; the mail was not sent",
             orv_mail::kSendmailPath, orv_mail::kNotifyCommandSeconds);
    return -1;
  }
  if (r.stopped) return -1;
  int result = 0;
  if (!r.output.empty()) {
    // The first line as the mail program printed it, line feed included.
    std::string line = r.output.substr(0, r.output.find('\n') + 1);
    if (line.empty() || line.size() > static_cast<size_t>(kSendmailLineLength))
      line = r.output.substr(0, kSendmailLineLength);
    log->log("mail_msg: sendmail error %s", line.c_str());
    result = -1;
  }
  int status = r.rawStatus;
  if (status < 0) {
    log->log("mail_msg: no status of the mail program");
    result = -1;
  } else if (WIFEXITED(status) && WEXITSTATUS(status) == 127) {
    log->log("mail_msg: /usr/bin/sh could not be executed");
    result = -1;
  } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    // A mail program that failed quietly has not sent the mail either.
    log->log("mail_msg: sendmail failed with status %d", status);
    result = -1;
  }
  return result;
}

}  // namespace

SendNotify::SendNotify() : priority(LOG_INFO) {}

void SendNotify::setEvent(const std::string& text, int level) {
  summary = text;
  priority = level;
}

std::string SendNotify::framedText(const std::string& details) const {
  return header + "\n" + notificationTime + "\n" + message + "\n" + details + "\n" + footer +
         "\n";
}

void SendNotify::buildNotificationMessage(std::string text) {
  header = kHeader;
  footer = kFooter;
  time_t now = time(nullptr);
  char stamp[64];
  const char* formatted = ctime_r(&now, stamp);
  std::string when = formatted != nullptr ? formatted : "";
  if (when.size() > kCtimeLength) when.resize(kCtimeLength);
  notificationTime = "Notification Time: " + when;
  message = text + "\n";
}

int SendNotify::sendNotification(std::string packageName, std::string text, std::string type,
                                 std::string details, std::string address) {
  Logger* log = Logger::getInstance();
  buildNotificationMessage(text);
  Channel channel = channelOf(type);
  if (channel == kEmail) {
    log->log("INFO\tSending %s notification to address %s", type.c_str(), address.c_str());
  } else {
    log->log("INFO\tSending %s notification", type.c_str());
  }
  int result = -1;
  switch (channel) {
    case kConsole:
      sendConsoleNotification(details, "/dev/console");
      result = sendConsoleNotification(details, "/dev/xconsole");
      break;
    case kEmail:
      result = sendEmailNotification(details, packageName, address.c_str());
      break;
    case kEvq:
      result = sendEvqNotification(details, atoi(address.c_str()));
      break;
    case kSyslog:
      result = sendSyslogNotification(details);
      break;
    case kUnknown:
      log->log("Error: Unknown notification type\n");
      result = -1;
      break;
  }
  if (result == -1) log->log("\tError\tFailed to send notification");
  return result;
}

int SendNotify::sendEmailNotification(std::string details, std::string packageName,
                                      const char* address) {
  Logger* log = Logger::getInstance();
  std::string body = framedText(details);

  if (access(orv_mail::kSendmailPath, X_OK) != 0) {
    log->log("sendEmailNotification: cannot execute /usr/sbin/sendmail, %s\n", strerror(errno));
    return -1;
  }
  std::string text = orv_mail::mailText(address != nullptr ? address : "", localHostName(),
                                        packageName, body, summary);
  std::string command = std::string(orv_mail::kSendmailPath) + " " + orv_mail::kSendmailOptions;
  log->logDebug("%s", command.c_str());
  return runSendmail(command, text, log) != 0 ? -1 : 0;
}

int SendNotify::sendSyslogNotification(std::string details) {
  openlog(kSyslogIdent, LOG_PID | LOG_NDELAY | LOG_NOWAIT, LOG_LOCAL1);
  const std::string* parts[] = {&header, &notificationTime, &message, &details, &footer};
  for (const std::string* part : parts) syslog(LOG_LOCAL1 | priority, "%s", part->c_str());
  closelog();
  return 0;
}

int SendNotify::sendConsoleNotification(std::string details, std::string device) {
  Logger* log = Logger::getInstance();
  std::string text = framedText(details);
  if (access(device.c_str(), W_OK) != 0) {
    log->logDebug("ERROR\tsendConsoleNotification: access failed for %s: %s", device.c_str(),
                  strerror(errno));
    return 0;
  }
  // O_NOCTTY: a terminal opened by a service must not become its
  // controlling terminal.
  int fd = open(device.c_str(), O_RDWR | O_APPEND | O_NOCTTY | O_CLOEXEC);
  FILE* stream = fd >= 0 ? fdopen(fd, "a+") : nullptr;
  if (stream == nullptr) {
    log->log("ERROR\tsendConsoleNotification: fopen failed for %s: %s", device.c_str(),
             strerror(errno));
    if (fd >= 0) close(fd);
    return 0;
  }
  size_t written = fwrite(text.data(), 1, text.size(), stream);
  if (written != text.size()) {
    log->log("ERROR\tsendConsoleNotification: FWRITE failed to write entire message: %s",
             strerror(errno));
  }
  if (fclose(stream) != 0) {
    log->log("ERROR\tsendConsoleNotification: FCLOSE failed for %s: %s", device.c_str(),
             strerror(errno));
  }
  return 0;
}

int SendNotify::check_evq_notification() {
  if (access(orv_evq::kEvqCommandPath, X_OK) == 0) return 1;
  Logger::getInstance()->log("ERROR\tcheck_evq_notification: %s command not found: %s",
                             orv_evq::kEvqCommandPath, strerror(errno));
  return 0;
}

int SendNotify::sendEvqNotification(std::string details, int severity) {
  Logger* log = Logger::getInstance();
  std::string text = header + notificationTime + message + details + footer;
  if (check_evq_notification() == 0) {
    log->logDebug("ERROR\tsendEvqNotification evqmsg command not found");
    return -1;
  }
  std::string escaped;
  std::string command = orv_evq::buildCommand(orv_evq::severityWord(severity), text, escaped);
  log->log("\tINFO\tExecuting %s", command.c_str());
  orv_child::Spec spec;
  spec.command = command;
  spec.timeoutSeconds = orv_mail::kNotifyCommandSeconds;
  orv_child::Result r;
  int status = orv_child::run(spec, &r) && !r.stopped ? r.rawStatus : -1;
  if (r.timedOut) {
    log->log("ERROR\tsendEvqNotification: evqmsg did not end within %d seconds",
             orv_mail::kNotifyCommandSeconds);
    log->log("ERROR\tsendEvqNotification: unable to send the following event:%s",
             escaped.c_str());
    return -1;
  }
  int normal = WIFEXITED(status) ? 1 : 0;
  int code = normal ? WEXITSTATUS(status) : 0;
  log->logDebug("INFO\tsendEvqNotification:  evqmsg command returns %d, %d, %d", status, normal,
                code);
  if (status == 0) {
    log->log("INFO\tsendEvqNotification: sent the following event:\n%s", escaped.c_str());
    return 0;
  }
  if (!normal || code != 2) {
    log->log("ERROR\tsendEvqNotification:  evqmsg command failed, ret= %d", status);
    log->log("ERROR\tsendEvqNotification: unable to send the following event:%s",
             escaped.c_str());
    return -1;
  }
  log->log("ERROR\tsendEvqNotification: evqmsg failed, ELO Message Agent may not be running");
  log->log("ERROR\tsendEvqNotification: unable to send the following event via evqmsg:%s",
           escaped.c_str());
  return -1;
}
