// rcwatch end to end: the real monitor in the sandbox against the simulated
// array pair, with the notification fakes, the console files and a syslog
// socket recording what it sent.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <syslog.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "testing/fakes/fake_data.h"
#include "tests/e2e/prometheus_support.h"
#include "tests/e2e/rcwatch_fixture.h"

namespace rcwatch_e2e {
namespace {

const char kHeaderBanner[] =
    ">------------ Orvanta Vexa Replication Monitor Notification ------------<";
const char kFooterBanner[] =
    ">---------- End Orvanta Vexa Replication Monitor Notification ----------<";
const char kHeaderLines[] =
    "Cluster Name                     : clu1\n"
    "Package Name                     : pkg1\n"
    "Remote Copy Group Name(Local)    : grpA\n"
    "Remote Copy Group Name(Remote)   : grpB\n"
    "Local Array Name/IP              : arrA\n"
    "Remote Array Name/IP             : arrB\n";
const int kSyslogPriority = 17 * 8 + 6;  // local1.info

// "Notification Time: " and the ctime text of the virtual clock at t.
std::string timeAt(time_t t) {
  struct tm utc;
  gmtime_r(&t, &utc);
  char buf[64];
  return std::string("Notification Time: ") + asctime_r(&utc, buf);
}

// The same at a pass.
std::string timeLine(int pass, int interval = 30) {
  return timeAt(kStartSeconds + static_cast<time_t>(pass) * interval);
}

std::string startMessage(const std::string& link = "Up", const std::string& group = "Started",
                         const std::string& volumes = "Synced") {
  return std::string("Orvanta Vexa Replication Monitor for Package pkg1 has started\n\n") +
         kHeaderLines + "\n\nThe Replication Link Status is " + link +
         "\nThe Remote Copy Volume Group Status is " + group +
         "\nThe Remote Copy Virtual Volume Status is " + volumes + "\n\n";
}

std::string passMessage(const std::string& changes = "") {
  return std::string(kHeaderLines) + "\n" + changes;
}

// The e-mail and console framing.
std::string framed(const std::string& message, const std::string& details, int pass) {
  return std::string(kHeaderBanner) + "\n" + timeLine(pass) + "\n" + message + "\n\n" + details +
         "\n" + kFooterBanner + "\n";
}

// Groups syslog entries into notifications of five entries each.
struct Notice {
  std::string time, message, details;
};
std::vector<Notice> notices(const std::vector<SyslogEntry>& entries) {
  std::vector<Notice> out;
  for (size_t i = 0; i + 5 <= entries.size(); i += 5) {
    EXPECT_EQ(entries[i].text, kHeaderBanner);
    EXPECT_EQ(entries[i + 4].text, kFooterBanner);
    out.push_back({entries[i + 1].text, entries[i + 2].text, entries[i + 3].text});
  }
  EXPECT_EQ(entries.size() % 5, 0u);
  return out;
}

std::string argValue(const FakeCall& call, const std::string& key) {
  for (const std::string& a : call.args)
    if (a.compare(0, key.size() + 1, key + "=") == 0) return a.substr(key.size() + 1);
  return "<missing " + key + ">";
}

TEST_F(RcwatchE2E, WrongArgumentCountPrintsUsage) {
  const std::string usage =
      "Usage: rcwatch <package_name>\n"
      "Warning: This binary is not recommended to be run outside of the Orvanta Vexa Package\n";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, std::vector<std::string>{"pkg1", "extra"}}) {
    orv_sandbox::RunResult r = runArgs(args);
    ASSERT_TRUE(r.exited()) << r.describe();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.output, usage);
  }
  EXPECT_TRUE(calls("tvviewcl").empty());
  EXPECT_TRUE(last_.syslog.empty());
}

// --help and --version answer before anything is read or logged; a package
// name that would pass for an option is refused before any command.
TEST_F(RcwatchE2E, HelpVersionAndOptionLikeNames) {
  const std::string gate = std::string(ORV_BUILD_DIR) + "/rcgate/rcgate";
  const std::string plan = std::string(ORV_BUILD_DIR) + "/rcplan/rcplan";
  const struct {
    std::string program;
    const char* arg;
    int exitCode;        // -1: any
    std::string output;  // all of it; "^TEXT": starts with TEXT; "~TEXT": holds it
  } cases[] = {
      {gate, "--version", 0, "rcgate 1.0.0\n"},
      {gate, "--help", 0, "^Usage: rcgate <package_name>\n       rcgate --help | --version\n"},
      {gate, "-pkg1", -1, "~Error: Invalid package name [-pkg1]"},
      {rcwatchPath(), "--version", 0, "rcwatch 1.0.0\n"},
      {rcwatchPath(), "--help", 0, "^Usage: rcwatch <package_name>\n       rcwatch --help"},
      {rcwatchPath(), "-pkg1", -1, "~Error: Invalid package name [-pkg1]"},
      {plan, "--version", 0, "rcplan 1.0.0\n"},
      {plan, "--help", 0, "^Usage: rcplan --dump\n"},
      {plan, "-pkg1", 2, "~rcplan: unknown option '-pkg1'"},
  };
  run(0);  // the package's settings in place
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program + " " + c.arg);
    sb_->remove("/usr/local/orv-sandbox/tvgetpkgenv");
    orv_sandbox::RunOptions o;
    o.argv = {c.program, c.arg};
    o.maxSleeps = 1;
    orv_sandbox::RunResult r = sb_->run(o);
    EXPECT_TRUE(c.exitCode < 0 || r.exitCode == c.exitCode) << r.exitCode;
    const char mode = c.output[0];
    const std::string text = c.output.substr(mode == '^' || mode == '~');
    EXPECT_TRUE(mode == '~'   ? r.output.find(text) != std::string::npos
                : mode == '^' ? r.output.compare(0, text.size(), text) == 0
                              : r.output == text)
        << r.output;
    EXPECT_TRUE(calls("tvgetpkgenv").empty());
  }
}

// Every EMAIL_ID line counts, quoted or not; a mention inside another
// value does not; what is not an address is skipped with a warning.
TEST_F(RcwatchE2E, EmailIdAddressesAsWritten) {
  channels("EMAIL");
  const struct {
    std::vector<std::string> lines;
    std::vector<std::string> to;
    const char* warned;
  } cases[] = {
      {{"EMAIL_ID=dr-ops@example.com"}, {"dr-ops@example.com"}, nullptr},
      {{"EMAIL_ID=\"a@example.com b@example.com\""}, {"a@example.com", "b@example.com"}, nullptr},
      {{"EMAIL_ID=\"a@example.com\"", "EMAIL_ID=b@example.com # on call"},
       {"a@example.com", "b@example.com"}, nullptr},
      {{"EMAIL_ID=\"a@example.com\nb@example.com\""}, {"a@example.com", "b@example.com"}, nullptr},
      {{"PKG_NOTE=\"mail goes to EMAIL_ID=x@example.com\"", "EMAIL_ID=ops@example.com"},
       {"ops@example.com"}, nullptr},
      {{"EMAIL_ID=\"ops@example.com ops-team\""}, {"ops@example.com"},
       "Warning: [ops-team] in EMAIL_ID is not an e-mail address; it is skipped."},
  };
  removeAttr("EMAIL_ID");
  const std::vector<std::string> others = attrs_;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines[0]);
    attrs_ = others;
    attrs_.insert(attrs_.end(), c.lines.begin(), c.lines.end());
    sb_->remove("/usr/local/orv-sandbox/sendmail");
    run(0);
    std::vector<std::string> got;
    for (size_t n = 1;; ++n) {
      std::string rcpt;
      if (!sb_->readFile("/usr/local/orv-sandbox/sendmail/" + std::to_string(n) + ".rcpt", rcpt))
        break;
      got.push_back(rcpt.substr(0, rcpt.find('\n')));
    }
    EXPECT_EQ(got, c.to) << last_.output;
    EXPECT_EQ(countStarting(msgs_, c.warned ? c.warned : "Warning: ["), c.warned ? 1 : 0);
  }
}

arraysim::SimScenario stoppedPair(const arraysim::SimScenario& running);

// The mail subject names the event and syslog's priority follows it, the
// facility staying local1.
TEST_F(RcwatchE2E, SubjectAndPriorityPerEvent) {
  const arraysim::SimScenario healthy = scenario_;
  arraysim::SimScenario down = healthy;
  down.linkDown("arrA", "arrB");
  arraysim::SimScenario unreachable = healthy;
  unreachable.array("arrB").addFault("unreachable", "showrcopy links");
  const struct {
    const char* summary;
    int priority;
    int passes;
    std::function<void()> arrange;
  } cases[] = {
      {"monitor started", LOG_INFO, 0, [] {}},
      {"monitor started, link Down, group Stopped", LOG_WARNING, 0, [&] { scenario_ = down; }},
      {"link Down, group Stopped", LOG_WARNING, 1, [&] { schedule(1, down); }},
      {"link Up, group Started", LOG_NOTICE, 2, [&] { schedule(1, down); schedule(2, healthy); }},
      {"array not answering", LOG_WARNING, 1, [&] { schedule(1, unreachable); }},
      {"arrays answering again", LOG_NOTICE, 2,
       [&] { schedule(1, unreachable); schedule(2, healthy); }},
      {"RPO threshold exceeded", LOG_WARNING, 4, [&] {
         setAttr("RCVEXA_RPO_THRESHOLD", "1");
         schedule(1, stoppedPair(healthy));
       }},
  };
  channels("EMAIL SYSLOG");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.summary);
    scenario_ = healthy;
    steps_.clear();
    removeAttr("RCVEXA_RPO_THRESHOLD");
    sb_->remove("/usr/local/orv-sandbox/sendmail");
    c.arrange();
    run(c.passes);
    std::vector<FakeCall> mails = calls("sendmail");
    ASSERT_FALSE(mails.empty()) << last_.output;
    const std::string subject = "Subject: Orvanta Vexa Replication Monitor notification for  pkg1 "
                                "package: " + std::string(c.summary) + "\n";
    EXPECT_NE(mails.back().input.find(subject), std::string::npos) << mails.back().input;
    std::vector<SyslogEntry> entries = syslog();
    ASSERT_GE(entries.size(), 5u);
    for (size_t i = entries.size() - 5; i < entries.size(); ++i)
      EXPECT_EQ(entries[i].priority, LOG_LOCAL1 | c.priority);
  }
}

TEST_F(RcwatchE2E, StartNotificationOnEveryChannel) {
  channels("EMAIL SYSLOG EVQ CONSOLE");
  setAttr("EMAIL_ID", "\"ops@example.com dba@example.com\"");
  orv_sandbox::RunResult r = run(0);
  ASSERT_TRUE(r.exited()) << r.describe();
  const std::string body = framed(startMessage(), "", 0);

  std::vector<FakeCall> mails = calls("sendmail");
  ASSERT_EQ(mails.size(), 2u);
  const char* to[] = {"ops@example.com", "dba@example.com"};
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(mails[i].args, (std::vector<std::string>{"/usr/sbin/sendmail", "-t", "-i"}));
    EXPECT_EQ(mails[i].input,
              std::string("To: ") + to[i] +
                  "\nFrom: root@nodeA\n"
                  "Subject: Orvanta Vexa Replication Monitor notification for  pkg1 package: "
                  "monitor started\n" +
                  body);
  }
  // The mail went through a pipe: no mail file, and the command as run.
  EXPECT_FALSE(sb_->exists(kMailFile));
  EXPECT_EQ(r.output.find("\n/usr/sbin/sendmail -t -i\n"), std::string::npos);
  EXPECT_EQ(sb_->readFile("/usr/local/orv-sandbox/sendmail/2.rcpt"), "dba@example.com\n");

  std::vector<SyslogEntry> entries = syslog();
  ASSERT_EQ(entries.size(), 5u);
  const std::string texts[] = {kHeaderBanner, timeLine(0), startMessage() + "\n", "",
                               kFooterBanner};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(entries[i].priority, kSyslogPriority);
    EXPECT_EQ(entries[i].ident, "OrvantaVexa");
    EXPECT_EQ(entries[i].text, texts[i]) << i;
  }

  EXPECT_EQ(console(), body);
  EXPECT_EQ(xconsole(), body);

  std::vector<FakeCall> events = calls("evqmsg");
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].args,
            (std::vector<std::string>{
                "/opt/EMLN/bin/EvQ/evqmsg", "sev=warning", "app=Orvanta (Jx)", "obj=",
                "msg_text=" + std::string(kHeaderBanner) + timeLine(0) + startMessage() + "\n" +
                    kFooterBanner,
                "msg_grp=HA"}));

  for (const char* line : {"Email notification sent successfully.",
                           "SYSLOG notification sent successfully.",
                           "EVQ notification sent successfully.",
                           "Console notification sent successfully.",
                           "INFO\tSending Syslog notification"})
    EXPECT_EQ(countMessages(msgs_, line), 1) << line;
  EXPECT_EQ(countMessages(msgs_, "INFO\tSending Email notification to address dba@example.com"),
            1);
  EXPECT_TRUE(leftovers().empty()) << leftovers()[0];
  // The configuration is loaded once (two calls), the addresses read once.
  EXPECT_EQ(calls("tvgetpkgenv").size(), 3u);
}

TEST_F(RcwatchE2E, UnsafeValueRefusesTheStart) {
  setAttr("RCVEXA_DC2_RC_TARGET_FOR_DC1", "arrA_tgt$(id)");
  orv_sandbox::RunResult r = run(0);
  ASSERT_TRUE(r.exited()) << r.describe();
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_EQ(countMessages(msgs_, "Error: Unsafe value [arrA_tgt$(id)] of attribute "
                                 "[DC2_RC_TARGET_FOR_DC1]; the package configuration is "
                                 "refused."),
            1)
      << r.output;
  EXPECT_TRUE(
      arraysim::SimJournal::load(sb_->hostPath(arraysim::kDefaultDir)).entries.empty());
  EXPECT_TRUE(last_.syslog.empty());
  EXPECT_TRUE(leftovers().empty()) << leftovers()[0];
}

TEST_F(RcwatchE2E, SteadyStateSendsNothing) {
  run(6);
  EXPECT_EQ(notices(syslog()).size(), 1u);
  EXPECT_EQ(countStarting(msgs_, "INFO\tSending"), 1);
  EXPECT_EQ(sleeps(), (std::vector<long>(6, 30)));
  EXPECT_TRUE(leftovers().empty());
}

TEST_F(RcwatchE2E, SteadyBadStateSendsNothingEither) {
  scenario_.array("arrA").addFault("unreachable");
  run(4);
  std::vector<Notice> sent = notices(syslog());
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_NE(sent[0].details.find("has exhausted CLI/SSH connections or is down."),
            std::string::npos);
}

TEST_F(RcwatchE2E, LinkDownSendsTheChangeLine) {
  arraysim::SimScenario down = scenario_;
  down.linkDown("arrA", "arrB");
  schedule(2, down);
  run(4);
  std::vector<Notice> sent = notices(syslog());
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[1].time, timeLine(2));
  const std::string change = "The Replication Link Status has changed from Up to Down\n";
  ASSERT_EQ(sent[1].message.compare(0, passMessage().size(), passMessage()), 0)
      << sent[1].message;
  EXPECT_NE(sent[1].message.find(change), std::string::npos) << sent[1].message;
  EXPECT_EQ(countMessages(msgs_, change), 1);
}

TEST_F(RcwatchE2E, ProblemCodeAloneSendsTheHeader) {
  arraysim::SimScenario bad = scenario_;
  bad.array("arrA").addFault("unreachable", "showrcopy links");
  schedule(2, bad);
  schedule(4, scenario_);
  run(5);
  std::vector<Notice> sent = notices(syslog());
  ASSERT_EQ(sent.size(), 3u);
  // Pass 2: the problem appears; pass 4: it is gone.  No change lines.
  EXPECT_EQ(sent[1].time, timeLine(2));
  EXPECT_EQ(sent[1].message, passMessage() + "\n");
  const std::string opening =
      "\n----------------------Diagnostic Messages and Resolution notes----------------\n";
  const std::string closing =
      "\n------------------------------End of Messages------------------------------------------\n";
  EXPECT_EQ(sent[1].details.compare(0, opening.size(), opening), 0) << sent[1].details;
  ASSERT_GT(sent[1].details.size(), closing.size());
  EXPECT_EQ(sent[1].details.substr(sent[1].details.size() - closing.size()), closing);
  EXPECT_NE(sent[1].details.find("\nWarning 1:\n"), std::string::npos) << sent[1].details;
  EXPECT_NE(sent[1].details.find("Unable to find the Remote Copy Link Status as the local Jx "
                                 "Vexa storage system[arrA] has exhausted CLI/SSH connections "
                                 "or is down.\n\nTroubleshooting Notes\nCheck the connectivity"),
            std::string::npos)
      << sent[1].details;
  EXPECT_EQ(sent[2].time, timeLine(4));
  EXPECT_EQ(sent[2].message, passMessage() + "\n");
  EXPECT_EQ(sent[2].details, "");
}

TEST_F(RcwatchE2E, SilentFailureUsesUpAWarningNumber) {
  silent_ = {"arrA.groups"};
  scenario_.array("arrB").addFault("unreachable", "showrcopy links");
  run(0);
  std::vector<Notice> sent = notices(syslog());
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].details.find("Warning 1:"), std::string::npos) << sent[0].details;
  EXPECT_NE(sent[0].details.find("\nWarning 2:\n"), std::string::npos) << sent[0].details;
  EXPECT_EQ(sent[0].details.find("Warning 3:"), std::string::npos) << sent[0].details;
  EXPECT_NE(sent[0].details.find("Unable to find the Remote Copy Link Status as the remote Jx "
                                 "Vexa storage system[arrB] has exhausted"),
            std::string::npos)
      << sent[0].details;
}

arraysim::SimScenario stoppedPair(const arraysim::SimScenario& running) {
  arraysim::SimScenario stopped = running;
  stopped.array("arrA").group("grpA").status = "Stopped";
  stopped.array("arrB").group("grpB").status = "Stopped";
  return stopped;
}

TEST_F(RcwatchE2E, RpoNoticeOncePerStopEpisode) {
  setAttr("RCVEXA_RPO_THRESHOLD", "1");
  schedule(1, stoppedPair(scenario_));  // stop time recorded at pass 1 (30 s)
  schedule(7, scenario_);               // running again
  schedule(8, stoppedPair(scenario_));  // second episode from pass 8
  run(13);
  std::vector<Notice> sent = notices(syslog());
  std::vector<Notice> rpo;
  for (const Notice& n : sent)
    if (n.message.compare(0, 41, "Orvanta Vexa RPO Monitor for the package ") == 0)
      rpo.push_back(n);
  ASSERT_EQ(rpo.size(), 2u);
  // Pass 3 is exactly 60 s after pass 1, not more: pass 4 is the first.
  EXPECT_EQ(rpo[0].time, timeLine(4));
  EXPECT_EQ(rpo[0].message,
            std::string("Orvanta Vexa RPO Monitor for the package pkg1\n\n") + kHeaderLines +
                "\nThe Remote Copy Volume Group Replication has been stopped for 1 minutes and "
                "30 seconds.\nIt exceeds the configured RPO THRESHOLD value of 1 minutes.\n"
                "The Package will not start after a failover to standby site.\n\n");
  EXPECT_EQ(rpo[1].time, timeLine(11));
  EXPECT_EQ(countStarting(msgs_, "Orvanta Vexa RPO Monitor for the package pkg1"), 2);
  // The group changes make their own notifications: start, 1, 7, 8.
  EXPECT_EQ(sent.size(), 6u);
  EXPECT_NE(sent[1].message.find("The Remote Copy Volume Group Status has changed from Started "
                                 "to Stopped\n"),
            std::string::npos)
      << sent[1].message;
}

TEST_F(RcwatchE2E, NoRpoNoticeWithoutThreshold) {
  schedule(1, stoppedPair(scenario_));
  run(6);
  EXPECT_EQ(countStarting(msgs_, "Orvanta Vexa RPO Monitor"), 0);
  EXPECT_EQ(notices(syslog()).size(), 2u);
}

TEST_F(RcwatchE2E, MonitorIntervalFromTheParameterFile) {
  struct {
    const char* params;
    long seconds;
    bool warns;
  } cases[] = {{"MonitorInterval=45\n", 45, false},
               {"# pass length\nMonitorInterval = 45\n", 45, false},
               {"MonitorInterval=0\n", 30, true},
               {"MonitorInterval=soon\n", 30, true},
               {"", 30, false}};
  for (const auto& c : cases) {
    configParams_ = c.params;
    interval_ = 0;
    if (configParams_.empty()) sb_->remove("/usr/local/tarvos/conf/vexarc/OrvVexaMONConfigParams");
    run(3);
    EXPECT_EQ(sleeps(), std::vector<long>(3, c.seconds)) << c.params;
    EXPECT_EQ(countStarting(msgs_, "Warning: The MonitorInterval value"), c.warns ? 1 : 0)
        << c.params;
  }
}

TEST_F(RcwatchE2E, EmailWithoutAddressStaysOff) {
  channels("EMAIL SYSLOG");
  removeAttr("EMAIL_ID");
  run(0);
  EXPECT_TRUE(calls("sendmail").empty());
  EXPECT_EQ(countStarting(msgs_, "Email notification"), 0);
  EXPECT_EQ(notices(syslog()).size(), 1u);
}

TEST_F(RcwatchE2E, ChannelWordsAreExact) {
  channels("email Syslog CONSOLE");
  run(0);
  EXPECT_TRUE(calls("sendmail").empty());
  EXPECT_TRUE(syslog().empty());
  EXPECT_FALSE(console().empty());
}

TEST_F(RcwatchE2E, FailedMailIsReportedAndLeavesNoFile) {
  channels("EMAIL");
  struct {
    int exitCode;
    const char* output;
    const char* logged;
  } cases[] = {{0, "WARNING: relay refused\n", "mail_msg: sendmail error WARNING: relay refused\n"},
               {75, "", "mail_msg: sendmail failed with status 19200"}};
  for (const auto& c : cases) {
    failFake("sendmail", c.exitCode, c.output);
    run(0);
    EXPECT_EQ(countMessages(msgs_, c.logged), 1) << c.logged;
    EXPECT_EQ(countMessages(msgs_, "Unable to send the Email notification. Check mail configuration"),
              1);
    EXPECT_FALSE(sb_->exists(kMailFile));
  }
  sb_->remove("/usr/local/orv-sandbox/sendmail/exit");
  sb_->remove("/usr/local/orv-sandbox/sendmail/output");
  run(0);
  EXPECT_EQ(countMessages(msgs_, "Email notification sent successfully."), 1);
  EXPECT_FALSE(sb_->exists(kMailFile));
}

// Whatever anyone plants at the old mail file's name takes no part in the
// delivery: the mail is sent, the plant and its target stay as they were.
TEST_F(RcwatchE2E, PlantedMailFileChangesNothing) {
  channels("EMAIL");
  ASSERT_TRUE(sb_->writeFile("/usr/local/victim", "precious\n", 0600));
  const std::string host = sb_->hostPath(kMailFile);
  const std::string victim = sb_->hostPath("/usr/local/victim");
  struct Plant {
    const char* name;
    std::function<int()> make;
  } plants[] = {
      {"link", [&] { return symlink("/usr/local/victim", host.c_str()); }},
      {"hard link", [&] { return link(victim.c_str(), host.c_str()); }},
      {"FIFO", [&] { return mkfifo(host.c_str(), 0666); }},
      {"directory", [&] { return mkdir(host.c_str(), 0777); }},
      {"file of another user", [&] {
         int fd = open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
         if (fd < 0 || write(fd, "theirs\n", 7) != 7 || fchown(fd, 65534, 65534) != 0) return -1;
         return close(fd);
       }},
  };
  int n = 0;
  for (const Plant& p : plants) {
    SCOPED_TRACE(p.name);
    sb_->remove(kMailFile);
    ASSERT_EQ(p.make(), 0);
    struct stat before;
    ASSERT_EQ(lstat(host.c_str(), &before), 0);
    run(0);
    ++n;
    EXPECT_EQ(countMessages(msgs_, "Email notification sent successfully."), 1) << last_.output;
    ASSERT_EQ(calls("sendmail").size(), static_cast<size_t>(n));
    EXPECT_EQ(calls("sendmail").back().input.compare(0, 20, "To: ops@example.com\n"), 0);
    struct stat after;
    ASSERT_EQ(lstat(host.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_size, before.st_size);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(sb_->readFile("/usr/local/victim"), "precious\n");
  }
  sb_->remove(kMailFile);
}

// Two monitors of two packages mail at the same moment: each mail holds
// its own package, none is sent twice, none is lost.
TEST_F(RcwatchE2E, TwoMonitorsMailingAtOnceBothDeliverTheirOwn) {
  channels("EMAIL");
  run(0);  // writes pkg1's settings and the arrays
  sb_->remove("/usr/local/orv-sandbox/sendmail");
  std::string pkg2 = sb_->readFile(std::string(orv_fake::kFakeDataDir) + "/pkgenv/pkg1");
  for (size_t at; (at = pkg2.find("/pkg1")) != std::string::npos;) pkg2.replace(at, 5, "/pkg2");
  pkg2 += "EMAIL_ID=\"second@example.com\"\n";
  ASSERT_TRUE(sb_->writeFile(std::string(orv_fake::kFakeDataDir) + "/pkgenv/pkg2", pkg2));
  ASSERT_TRUE(sb_->makeDir("/usr/local/tarvos/run/pkg2"));
  orv_sandbox::RunOptions o;
  // Each monitor ends at its first sleep, after its start notification.
  o.argv = {"/bin/sh", "-c",
            rcwatchPath() + " pkg1 & " + rcwatchPath() + " pkg2 & wait"};
  o.maxSleeps = 1;
  orv_sandbox::RunResult r = sb_->run(o);
  ASSERT_TRUE(r.exited()) << r.describe();
  std::vector<FakeCall> mails = calls("sendmail");
  ASSERT_EQ(mails.size(), 3u) << r.output;  // pkg2 has two addresses
  std::multiset<std::string> got;
  for (const FakeCall& m : mails) {
    size_t to = m.input.find('\n');
    size_t subject = m.input.find("Subject: ");
    size_t pkg = m.input.find("Package Name                     : ");
    ASSERT_NE(pkg, std::string::npos);
    got.insert(m.input.substr(0, to) + " | " + m.input.substr(subject, m.input.find('\n', subject) - subject) +
               " | " + m.input.substr(pkg + 35, 4));
  }
  EXPECT_EQ(got, (std::multiset<std::string>{
                     "To: ops@example.com | Subject: Orvanta Vexa Replication Monitor "
                     "notification for  pkg1 package: monitor started | pkg1",
                     "To: ops@example.com | Subject: Orvanta Vexa Replication Monitor "
                     "notification for  pkg2 package: monitor started | pkg2",
                     "To: second@example.com | Subject: Orvanta Vexa Replication Monitor "
                     "notification for  pkg2 package: monitor started | pkg2"}));
  EXPECT_EQ(countMessages(messages(r.output), "Email notification sent successfully."), 2);
}

// A mail program that never returns is given 60 seconds; the mail counts
// as failed and the monitor goes on with its other channels.
TEST_F(RcwatchE2E, HungMailProgramIsBounded) {
  channels("EMAIL SYSLOG");
  ASSERT_TRUE(sb_->writeFile("/usr/local/orv-sandbox/sendmail/hang", "600\n"));
  timeoutSeconds_ = 200;
  run(0);
  EXPECT_TRUE(last_.exited()) << last_.describe();
  EXPECT_GE(last_.elapsedMs, 59000);
  EXPECT_LT(last_.elapsedMs, 120000);
  EXPECT_EQ(countMessages(msgs_, "Error: /usr/sbin/sendmail did not end within 60 seconds; the "
                                 "mail was not sent"),
            1)
      << last_.output;
  EXPECT_EQ(countMessages(msgs_, "Unable to send the Email notification. Check mail configuration"),
            1);
  EXPECT_EQ(countMessages(msgs_, "SYSLOG notification sent successfully."), 1);
  EXPECT_EQ(notices(syslog()).size(), 1u);
}

// A list of 40 addresses (far more than 1023 characters): every one gets
// its mail.
TEST_F(RcwatchE2E, FortyAddressesAllMailed) {
  channels("EMAIL");
  std::string list;
  std::vector<std::string> addresses;
  for (int i = 1; i <= 40; ++i) {
    addresses.push_back("operator" + std::to_string(i) + "@replication-team.example.com");
    list += (i > 1 ? " " : "") + addresses.back();
  }
  ASSERT_GT(list.size(), 1023u);
  setAttr("EMAIL_ID", "\"" + list + "\"");
  run(0);
  std::vector<FakeCall> mails = calls("sendmail");
  ASSERT_EQ(mails.size(), 40u);
  for (size_t i = 0; i < 40; ++i) {
    const std::string to = "To: " + addresses[i] + "\n";
    EXPECT_EQ(mails[i].input.compare(0, to.size(), to), 0) << i;
    EXPECT_EQ(sb_->readFile("/usr/local/orv-sandbox/sendmail/" + std::to_string(i + 1) + ".rcpt"),
              addresses[i] + "\n");
  }
  EXPECT_EQ(countMessages(msgs_, "Email notification sent successfully."), 1);
}

// SIGTERM while an array command hangs: the monitor kills it, removes its
// files and ends with 0.
TEST_F(RcwatchE2E, SigtermEndsTheMonitorCleanly) {
  scenario_.array("arrB").addFault("hang", "showrcopy links", 2).seconds = 300;
  run(0);  // settings in place
  const std::string journal = sb_->hostPath(std::string(arraysim::kDefaultDir) + "/journal");
  EXPECT_TRUE(scenario_.save(sb_->hostPath(arraysim::kDefaultDir)));
  orv_sandbox::RunOptions o;
  o.argv = {rcwatchPath(), kPackage};
  o.maxSleeps = 50;
  bool sent = false;
  std::vector<std::string> packageFiles;
  o.onPoll = [&](int pid) {
    if (sent) return;
    std::ifstream in(journal);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (all.find("\t-1\t") == std::string::npos) return;
    packageFiles = sb_->listDir(kPackageDir);
    kill(pid, SIGTERM);
    sent = true;
  };
  orv_sandbox::RunResult r = sb_->run(o);
  ASSERT_TRUE(r.exited()) << r.describe();
  EXPECT_TRUE(sent);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_LT(r.elapsedMs, 60000);
  EXPECT_FALSE(packageFiles.empty());  // the pass had its files
  EXPECT_TRUE(leftovers().empty()) << leftovers()[0];
  EXPECT_EQ(countMessages(messages(r.output), "INFO: Monitor stopped by signal 15."), 1)
      << r.output;
}

// A step of the wall clock while replication is stopped moves neither the
// RPO notice nor the time it reports; only the notice's time of day is the
// stepped one.
TEST_F(RcwatchE2E, ClockStepDoesNotMoveTheRpoNotice) {
  setAttr("RCVEXA_RPO_THRESHOLD", "1");
  scenario_ = stoppedPair(scenario_);
  for (long step : {0L, -3600L, 7200L}) {
    SCOPED_TRACE(step);
    std::vector<std::string> env;
    if (step != 0) env.push_back("VTIME_STEP=2:" + std::to_string(step));
    run(6, env);
    std::vector<Notice> rpo;
    for (const Notice& n : notices(syslog()))
      if (n.message.compare(0, 41, "Orvanta Vexa RPO Monitor for the package ") == 0)
        rpo.push_back(n);
    ASSERT_EQ(rpo.size(), 1u);
    // Pass 1 records the stop, pass 4 (90 s later) is the first beyond 60 s.
    EXPECT_EQ(rpo[0].time, timeAt(kStartSeconds + 4 * 30 + step));
    EXPECT_NE(rpo[0].message.find("has been stopped for 1 minutes and 30 seconds.\n"),
              std::string::npos)
        << rpo[0].message;
  }
}

TEST_F(RcwatchE2E, EventCommandResults) {
  channels("EVQ");
  struct {
    int exitCode;
    std::vector<std::string> logged;
  } cases[] = {
      {2,
       {"ERROR\tsendEvqNotification: evqmsg failed, ELO Message Agent may not be running",
        "Unable to send the EVQ/Emberline notification."}},
      {1,
       {"ERROR\tsendEvqNotification:  evqmsg command failed, ret= 256",
        "Unable to send the EVQ/Emberline notification."}},
  };
  for (const auto& c : cases) {
    failFake("evqmsg", c.exitCode);
    run(0);
    for (const std::string& line : c.logged) EXPECT_EQ(countMessages(msgs_, line), 1) << line;
    EXPECT_EQ(countStarting(msgs_, "ERROR\tsendEvqNotification: unable to send the following "
                                   "event"),
              1);
  }
  ASSERT_TRUE(sb_->remove("/opt/EMLN/bin/EvQ/evqmsg"));
  run(0);
  EXPECT_EQ(countMessages(msgs_, "ERROR\tcheck_evq_notification: /opt/EMLN/bin/EvQ/evqmsg "
                                 "command not found: No such file or directory"),
            1);
  EXPECT_EQ(countMessages(msgs_, "Unable to send the EVQ/Emberline notification."), 1);
}

// Array output reaches the event command line through the diagnostics: it
// must arrive verbatim, and nothing in it may run.
TEST_F(RcwatchE2E, HostileArrayOutputReachesTheEventVerbatim) {
  channels("SYSLOG EVQ");
  const std::string hostile =
      "Error: \"quoted\" $(touch /tmp/pwned1) `touch /tmp/pwned2` $HOME \\\" tail\\";
  scenario_.array("arrA").addFault("fail", "showrcopy groups").message = hostile;
  clusterView_ = "name=clu\"$(touch /tmp/pwned3)\"\n";
  run(0);
  std::vector<FakeCall> events = calls("evqmsg");
  ASSERT_EQ(events.size(), 1u);
  ASSERT_EQ(events[0].args.size(), 6u);
  std::vector<SyslogEntry> entries = syslog();
  ASSERT_EQ(entries.size(), 5u);
  std::string expected;
  for (const SyslogEntry& e : entries) expected += e.text;
  EXPECT_EQ(argValue(events[0], "msg_text"), expected);
  EXPECT_NE(expected.find(hostile), std::string::npos);
  EXPECT_NE(expected.find("Cluster Name                     : clu\"$(touch /tmp/pwned3)\"\n"),
            std::string::npos);
  for (const char* f : {"/tmp/pwned1", "/tmp/pwned2", "/tmp/pwned3"}) EXPECT_FALSE(sb_->exists(f));
  EXPECT_EQ(argValue(events[0], "msg_grp"), "HA");
}

TEST_F(RcwatchE2E, LongEventTextIsCutToFit) {
  channels("SYSLOG EVQ");
  scenario_.array("arrA").addFault("fail", "showrcopy groups").message =
      std::string(3000, '"') + std::string(3000, 'x');
  run(0);
  std::vector<FakeCall> events = calls("evqmsg");
  ASSERT_EQ(events.size(), 1u);
  std::string full;
  for (const SyslogEntry& e : syslog()) full += e.text;
  std::string sent = argValue(events[0], "msg_text");
  EXPECT_LT(sent.size(), full.size());
  EXPECT_EQ(full.compare(0, sent.size(), sent), 0);
  size_t line = 0;
  for (const std::string& a : events[0].args) line += a.size() + 1;
  // Each quote took two bytes of the 4095 the command line may hold.
  EXPECT_GT(sent.size(), 1900u);
  EXPECT_EQ(argValue(events[0], "msg_grp"), "HA");
}

// ---- Metrics for node_exporter's textfile collector ------------------------

// The key of a sample of pkg1 whose other label sorts after "package".
std::string series(const std::string& name, const std::string& label = "") {
  return name + "{package=\"pkg1\"" + (label.empty() ? "" : "," + label) + "}";
}

// Series of the family with value 1.
int ones(const std::map<std::string, double>& samples, const std::string& name) {
  int n = 0;
  for (const auto& s : samples)
    n += s.first.compare(0, name.size() + 1, name + "{") == 0 && s.second == 1;
  return n;
}

TEST_F(RcwatchE2E, MetricsFollowTheStateAfterEveryPass) {
  metricsDir_ = kMetricsDir;
  ASSERT_TRUE(sb_->makeDir(kMetricsDir));
  setAttr("RCVEXA_RPO_THRESHOLD", "1");
  arraysim::SimScenario down = scenario_;
  down.linkDown("arrA", "arrB");
  arraysim::SimScenario stopped = stoppedPair(scenario_);
  arraysim::SimScenario unreachable = stopped;
  unreachable.array("arrB").addFault("unreachable");
  // A synchronous group counts as stopped while the link is down; the
  // stop episode runs from pass 2 until the group is started at pass 9.
  arraysim::SimScenario oneDown = scenario_;
  for (arraysim::SimLink& l : oneDown.array("arrA").links)
    if (l.target == "arrB_tgt") {
      l.status = "Down";
      break;
    }
  schedule(1, oneDown);
  schedule(2, down);
  schedule(4, stopped);
  schedule(7, unreachable);
  schedule(9, scenario_);
  // A start of the gate before: its record shows in every pass.
  run(0);
  orv_sandbox::RunOptions gate;
  gate.argv = {std::string(ORV_BUILD_DIR) + "/rcgate/rcgate", kPackage};
  ASSERT_EQ(sb_->run(gate).exitCode, 0);
  run(10);
  ASSERT_TRUE(last_.exited()) << last_.describe();

  const struct {
    int pass;
    const char* link;
    const char* group;
    long stopped;
    int exceeded;
    int remoteReachable;
    int linksUp;  // of the two from arrA to arrB_tgt
  } passes[] = {
      {0, "Up", "Started", 0, 0, 1, 2},   {1, "Up", "Started", 0, 0, 1, 1},
      {2, "Down", "Stopped", 0, 0, 1, 0}, {3, "Down", "Stopped", 30, 0, 1, 0},
      {4, "Up", "Stopped", 60, 0, 1, 2},  {5, "Up", "Stopped", 90, 1, 1, 2},
      {6, "Up", "Stopped", 120, 1, 1, 2}, {7, "Up", "Stopped", 150, 1, 0, 2},
      {8, "Up", "Stopped", 180, 1, 0, 2}, {9, "Up", "Started", 0, 0, 1, 2},
      {10, "Up", "Started", 0, 0, 1, 2},
  };
  const std::string links = "orvanta_rc_links{package=\"pkg1\",state=\"";
  using prom_support::valueOf;
  for (const auto& p : passes) {
    const std::map<std::string, double> m = prom_support::parseSamples(metricsAfterPass(p.pass));
    const std::string at = "after pass " + std::to_string(p.pass);
    const std::string link = std::string("state=\"") + p.link + "\"";
    const std::string group = std::string("state=\"") + p.group + "\"";
    EXPECT_EQ(valueOf(m, series("orvanta_monitor_last_pass_timestamp_seconds")),
              kStartSeconds + 30 * p.pass)
        << at;
    EXPECT_EQ(valueOf(m, series("orvanta_rc_link_up")), p.linksUp == 2) << at;
    EXPECT_EQ(valueOf(m, links + "Up\",target=\"arrB_tgt\"}"), p.linksUp) << at;
    EXPECT_EQ(valueOf(m, links + "Down\",target=\"arrB_tgt\"}"), 2 - p.linksUp) << at;
    EXPECT_EQ(valueOf(m, "orvanta_info{node=\"nodeA\",package=\"pkg1\",site=\"A\",version=\"1.0.0\"}"),
              1)
        << at;
    EXPECT_EQ(valueOf(m, series("orvanta_gate_last_exit_code")), 0) << at;
    EXPECT_EQ(valueOf(m, series("orvanta_gate_last_forced")), 0) << at;
    EXPECT_GT(valueOf(m, series("orvanta_gate_last_start_timestamp_seconds")), 1.7e9) << at;
    EXPECT_EQ(valueOf(m, series("orvanta_rc_link_state", link)), 1) << at;
    EXPECT_EQ(valueOf(m, series("orvanta_rc_group_state", group)), 1) << at;
    for (const char* family : {"orvanta_rc_link_state", "orvanta_rc_group_state",
                               "orvanta_rc_volumes_state", "orvanta_rc_mode"})
      EXPECT_EQ(ones(m, family), 1) << at << " " << family;
    EXPECT_EQ(valueOf(m, series("orvanta_rc_stopped_seconds")), p.stopped) << at;
    EXPECT_EQ(valueOf(m, series("orvanta_rpo_exceeded")), p.exceeded) << at;
    EXPECT_EQ(valueOf(m, "orvanta_array_reachable{array=\"arrA\",package=\"pkg1\",side=\"local\"}"),
              1)
        << at;
    EXPECT_EQ(
        valueOf(m, "orvanta_array_reachable{array=\"arrB\",package=\"pkg1\",side=\"remote\"}"),
        p.remoteReachable)
        << at;
    EXPECT_EQ(valueOf(m, series("orvanta_rpo_threshold_seconds")), 60) << at;
    EXPECT_EQ(valueOf(m, series("orvanta_monitor_interval_seconds")), 30) << at;
  }
  const std::map<std::string, double> last = prom_support::parseSamples(metricsAfterPass(10));
  EXPECT_EQ(valueOf(last, "orvanta_rc_role{package=\"pkg1\",role=\"Primary\",side=\"local\"}"), 1);
  EXPECT_EQ(valueOf(last, "orvanta_rc_mode{mode=\"Sync\",package=\"pkg1\"}"), 1);
  EXPECT_GT(valueOf(last, "orvanta_rc_volumes{package=\"pkg1\",state=\"Synced\"}"), 0);
  EXPECT_EQ(valueOf(last, "orvanta_rc_volumes{package=\"pkg1\",state=\"Syncing\"}"), 0);
  // Every notice went out on syslog, and the counter knows each one.
  const std::string counter = "orvanta_notifications_total{channel=\"";
  EXPECT_EQ(valueOf(last, counter + "syslog\",package=\"pkg1\",result=\"sent\"}"),
            static_cast<double>(notices(syslog()).size()));
  EXPECT_EQ(valueOf(last, counter + "email\",package=\"pkg1\",result=\"sent\"}"), 0);

  EXPECT_EQ(sb_->listDir(kMetricsDir), std::vector<std::string>{"orvanta_pkg1.prom"});
  struct stat st;
  ASSERT_EQ(stat(sb_->hostPath(kMetricsFile).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);
  EXPECT_EQ(countStarting(msgs_, "Warning: Unable to write the metrics"), 0);
}

TEST_F(RcwatchE2E, MetricsFileReadByNodeExporterAndPromtool) {
  PROM_REQUIRE_TOOL(prom_support::kPromtool);
  PROM_REQUIRE_TOOL(prom_support::kNodeExporter);
  metricsDir_ = kMetricsDir;
  ASSERT_TRUE(sb_->makeDir(kMetricsDir));
  setAttr("RCVEXA_RPO_THRESHOLD", "5");
  channels("SYSLOG CONSOLE");
  run(1);
  const std::string file = sb_->readFile(kMetricsFile);
  ASSERT_FALSE(file.empty());

  orv_sandbox::ProcessResult check = prom_support::promtool({"check", "metrics"}, file);
  EXPECT_TRUE(check.exited() && check.exitCode == 0) << check.describe();
  EXPECT_EQ(check.output, "");

  prom_support::NodeExporter exporter(sb_->hostPath(kMetricsDir));
  ASSERT_EQ(exporter.error(), "");
  const std::string scraped = exporter.scrape();
  ASSERT_FALSE(scraped.empty()) << exporter.error();
  const std::map<std::string, double> got = prom_support::parseSamples(scraped);
  EXPECT_EQ(prom_support::valueOf(got, "node_textfile_scrape_error"), 0);
  const std::map<std::string, double> wrote = prom_support::parseSamples(file);
  EXPECT_EQ(wrote.size(), 60u);
  for (const auto& s : wrote) EXPECT_EQ(prom_support::valueOf(got, s.first), s.second) << s.first;
  std::istringstream lines(file);
  std::string line;
  int families = 0;
  while (std::getline(lines, line))
    if (line.compare(0, 7, "# TYPE ") == 0) {
      ++families;
      EXPECT_NE(scraped.find(line + "\n"), std::string::npos) << line;
    }
  EXPECT_EQ(families, 17);
}

// A directory the file cannot be written to costs one warning per start
// and no notification; nothing is left behind and nothing is followed.
TEST_F(RcwatchE2E, MetricsDirProblemsWarnOnceAndChangeNothingElse) {
  ASSERT_TRUE(sb_->writeFile("/usr/local/victim", "precious\n"));
  const std::string prefix = "Warning: Unable to write the metrics file ";
  const struct {
    std::string dir;
    std::string plant;  // at the file's name: "dir", "link" or nothing
    std::string warning;
  } cases[] = {
      {"/usr/local/no-such-dir", "",
       prefix + "/usr/local/no-such-dir/orvanta_pkg1.prom (open the directory: No such file or "
                "directory)."},
      {"/usr/share", "",
       prefix + "/usr/share/orvanta_pkg1.prom (create a temporary file: Read-only file system)."},
      {kMetricsDir, "dir", prefix + kMetricsFile + " (rename the temporary file: Is a directory)."},
      {"metrics", "",
       "Warning: The MetricsDir value [metrics] in "
       "/usr/local/tarvos/conf/vexarc/OrvVexaMONConfigParams is not an absolute path; no metrics "
       "file is written."},
      {"/usr/local/linked-metrics", "dirlink",
       prefix + "/usr/local/linked-metrics/orvanta_pkg1.prom (open the directory: Not a "
                "directory)."},
      {kMetricsDir, "link", ""},
  };
  for (const auto& c : cases) {
    sb_->remove(kMetricsDir);
    ASSERT_TRUE(sb_->makeDir(kMetricsDir));
    if (c.plant == "dir") {
      ASSERT_TRUE(sb_->makeDir(kMetricsFile));
    }
    if (c.plant == "link") {
      ASSERT_EQ(symlink("/usr/local/victim", sb_->hostPath(kMetricsFile).c_str()), 0);
    }
    if (c.plant == "dirlink") {
      sb_->remove(c.dir);
      ASSERT_EQ(symlink(kMetricsDir, sb_->hostPath(c.dir).c_str()), 0);
    }
    metricsDir_ = c.dir;
    run(3);
    EXPECT_TRUE(c.plant != "dirlink" || sb_->listDir(kMetricsDir).empty());
    EXPECT_EQ(countStarting(msgs_, "Warning:"), c.warning.empty() ? 0 : 1) << c.dir;
    if (!c.warning.empty()) {
      EXPECT_EQ(countStarting(msgs_, c.warning), 1) << c.dir << last_.output;
    }
    EXPECT_EQ(notices(syslog()).size(), 1u) << c.dir;
    for (const std::string& name : sb_->listDir(kMetricsDir))
      EXPECT_EQ(name, "orvanta_pkg1.prom") << c.dir;
    EXPECT_EQ(sb_->readFile("/usr/local/victim"), "precious\n");
  }
  struct stat st;
  ASSERT_EQ(lstat(sb_->hostPath(kMetricsFile).c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
}

void collectExpressions(const nlohmann::json& j, std::vector<std::string>& out) {
  for (auto it = j.begin(); j.is_structured() && it != j.end(); ++it)
    if (j.is_object() && it.key() == "expr" && it->is_string())
      out.push_back(it->get<std::string>());
    else
      collectExpressions(*it, out);
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at; (at = text.find(from)) != std::string::npos;) text.replace(at, from.size(), to);
  return text;
}

// Every expression of the example dashboard parses and finds data in a
// metrics file the monitor wrote: promtool evaluates absent() of each over
// the file's samples, and no absent() may fire.
TEST_F(RcwatchE2E, DashboardExpressionsFindDataInARecordedFile) {
  PROM_REQUIRE_TOOL(prom_support::kPromtool);
  metricsDir_ = kMetricsDir;
  ASSERT_TRUE(sb_->makeDir(kMetricsDir));
  setAttr("RCVEXA_RPO_THRESHOLD", "5");
  run(0);
  orv_sandbox::RunOptions gate;
  gate.argv = {std::string(ORV_BUILD_DIR) + "/rcgate/rcgate", kPackage};
  ASSERT_EQ(sb_->run(gate).exitCode, 0);
  run(1);
  std::string series;
  std::istringstream file(sb_->readFile(kMetricsFile));
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line[0] == '#') continue;
    const size_t brace = line.rfind('}');
    ASSERT_NE(brace, std::string::npos) << line;
    series += "      - series: '" + line.substr(0, brace) + ",instance=\"nodeA:9100\"}'\n" +
              "        values: '" + line.substr(line.rfind(' ') + 1) + "x30'\n";
  }
  std::ifstream in(std::string(ORV_SOURCE_DIR) + "/examples/orvanta-dashboard.json");
  std::vector<std::string> exprs;
  collectExpressions(nlohmann::json::parse(in, nullptr, false), exprs);
  ASSERT_EQ(exprs.size(), 14u);
  std::string rules = "groups:\n  - name: dashboard\n    rules:\n";
  std::string tests = "rule_files: [rules.yml]\nevaluation_interval: 1m\ntests:\n"
                      "  - interval: 1m\n    input_series:\n" + series + "    alert_rule_test:\n";
  for (size_t i = 0; i < exprs.size(); ++i) {
    std::string e = replaced(replaced(exprs[i], "$package", ".+"), "$__rate_interval", "5m");
    rules += "      - alert: Expr" + std::to_string(i) + "\n        expr: 'absent(" +
             replaced(e, "'", "''") + ")'\n";
    tests += "      - eval_time: 10m\n        alertname: Expr" + std::to_string(i) +
             "\n        exp_alerts: []\n";
  }
  // Beside each other in the sandbox's directory, which goes with it.
  ASSERT_TRUE(sb_->writeFile("/tmp/dashboard/rules.yml", rules));
  ASSERT_TRUE(sb_->writeFile("/tmp/dashboard/test.yml", tests));
  orv_sandbox::ProcessResult r =
      prom_support::promtool({"test", "rules", sb_->hostPath("/tmp/dashboard/test.yml")});
  EXPECT_EQ(r.exitCode, 0) << r.describe() << "\n" << rules;
}

TEST(AlertRules, PromtoolAcceptsAndTestsTheExampleRules) {
  PROM_REQUIRE_TOOL(prom_support::kPromtool);
  const std::string examples = std::string(ORV_SOURCE_DIR) + "/examples/";
  orv_sandbox::ProcessResult check =
      prom_support::promtool({"check", "rules", examples + "orvanta-alerts.yml"});
  EXPECT_EQ(check.exitCode, 0) << check.describe();
  EXPECT_NE(check.output.find("SUCCESS: 11 rules found"), std::string::npos) << check.output;
  orv_sandbox::ProcessResult test =
      prom_support::promtool({"test", "rules", examples + "orvanta-alerts.test.yml"});
  EXPECT_EQ(test.exitCode, 0) << test.describe();
  EXPECT_NE(test.output.find("SUCCESS"), std::string::npos) << test.output;
}

}  // namespace
}  // namespace rcwatch_e2e
