#include "tests/e2e/rcwatch_fixture.h"

#include <unistd.h>

#include <cstdio>
#include <sstream>

#include "testing/fakes/fake_data.h"

namespace rcwatch_e2e {

const char kPackage[] = "pkg1";
const char kPackageDir[] = "/usr/local/tarvos/run/pkg1";
const char kMailFile[] = "/tmp/tmpccemail.txt";
const long kStartSeconds = 1800000000L;
const char kVtimeLog[] = "/usr/local/orv-sandbox/vtime.log";
const char kMetricsDir[] = "/usr/local/node-exporter";
const char kMetricsFile[] = "/usr/local/node-exporter/orvanta_pkg1.prom";

namespace {

const char kStepsDir[] = "/usr/local/rcwatch-steps";

// Stands before the simulator: at the first array command at or after a
// scheduled time it puts that scenario in place, then runs the simulator
// under the name it was called by.  Shell built-ins only (but for the one
// copy), so a pass costs hardly more than without it.  snapshot: a file
// copied once per pass, before that pass changes it.
std::string stepperScript(const std::vector<long>& offsets, const std::string& snapshot) {
  std::string s =
      "#!/bin/sh\n"
      "steps=/usr/local/rcwatch-steps\n"
      "now=${VTIME_NOW:-0}\n"
      "now=${now%?????????}\n"
      "while :; do case $now in 0?*) now=${now#0} ;; *) break ;; esac; done\n"
      "elapsed=$((${now:-0} - " + std::to_string(kStartSeconds) + "))\n"
      "for off in";
  for (long off : offsets) s += " " + std::to_string(off);
  s +=
      "; do\n"
      "  if [ \"$elapsed\" -ge \"$off\" ] && [ ! -e \"$steps/$off.applied\" ]; then\n"
      "    cp \"$steps/$off.state\" /usr/local/arraysim/state && : > \"$steps/$off.applied\"\n"
      "  fi\n"
      "done\n";
  if (!snapshot.empty())
    s += "[ -e \"$steps/snap/$elapsed\" ] || [ ! -e " + snapshot + " ] || cp " + snapshot +
         " \"$steps/snap/$elapsed\"\n";
  s +=
      "[ -e \"$steps/silent.$2.$7\" ] && exit 1\n"
      "exec $steps/bin/${0##*/} \"$@\"\n";
  return s;
}

std::string fakePath(const std::string& fake, const std::string& file) {
  return std::string(orv_fake::kFakeDataDir) + "/" + fake + "/" + file;
}

}  // namespace

std::string rcwatchPath() { return std::string(ORV_BUILD_DIR) + "/rcwatch/rcwatch"; }

std::vector<std::string> messages(const std::string& output) {
  std::vector<std::string> msgs;
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line)) {
    size_t node = line.find(" - Node ");
    size_t colon = node == std::string::npos ? node : line.find(" : ", node);
    if (colon != std::string::npos)
      msgs.push_back(line.substr(colon + 3));
    else if (!msgs.empty())
      msgs.back() += "\n" + line;
  }
  return msgs;
}

int countMessages(const std::vector<std::string>& msgs, const std::string& text) {
  int n = 0;
  for (const std::string& m : msgs)
    if (m == text) ++n;
  return n;
}

int countStarting(const std::vector<std::string>& msgs, const std::string& prefix) {
  int n = 0;
  for (const std::string& m : msgs)
    if (m.compare(0, prefix.size(), prefix) == 0) ++n;
  return n;
}

std::vector<SyslogEntry> parseSyslog(const std::vector<std::string>& datagrams) {
  std::vector<SyslogEntry> out;
  for (const std::string& d : datagrams) {
    SyslogEntry e;
    size_t close = d.find('>');
    if (d.empty() || d[0] != '<' || close == std::string::npos) continue;
    e.priority = std::atoi(d.substr(1, close - 1).c_str());
    // "<pri>Mmm dd hh:mm:ss ident[pid]: text"
    size_t identStart = close + 1 + 16;
    size_t sep = d.find(": ", identStart);
    if (identStart > d.size() || sep == std::string::npos) continue;
    e.ident = d.substr(identStart, sep - identStart);
    size_t bracket = e.ident.find('[');
    if (bracket != std::string::npos) e.ident.resize(bracket);
    e.text = d.substr(sep + 2);
    out.push_back(e);
  }
  return out;
}

void RcwatchE2E::SetUp() {
  ORV_REQUIRE_SANDBOX();
  RCWATCH_REQUIRE_PROGRAM();
  sb_.reset(new orv_sandbox::Sandbox());
  ASSERT_TRUE(sb_->ok()) << sb_->error();
  ASSERT_TRUE(sb_->missingStandIns().empty()) << sb_->missingStandIns()[0];
  scenario_ = arraysim::SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
  attrs_ = {
      "VKR_PKG_DIR=" + std::string(kPackageDir),
      "RCVEXA_DC1_NODE_LIST=nodeA",
      "RCVEXA_DC2_NODE_LIST=nodeB",
      "RCVEXA_DC1_STORAGE_SYSTEM_USER=admin",
      "RCVEXA_DC2_STORAGE_SYSTEM_USER=oper",
      "RCVEXA_DC1_STORAGE_SYSTEM_NAME=arrA",
      "RCVEXA_DC2_STORAGE_SYSTEM_NAME=arrB",
      "RCVEXA_DC1_RC_VOLUME_GROUP=grpA",
      "RCVEXA_DC2_RC_VOLUME_GROUP=grpB",
      "RCVEXA_DC1_RC_TARGET_FOR_DC2=arrB_tgt",
      "RCVEXA_DC2_RC_TARGET_FOR_DC1=arrA_tgt",
      "RCVEXA_RESYNC_WAIT_TIMEOUT=0",
      "RCVEXA_AUTO_NONCURDATA=0",
      "RCVEXA_DR_NOTIFICATION_CHOICES=SYSLOG",
      "EMAIL_ID=\"ops@example.com\"",
  };
}

void RcwatchE2E::setAttr(const std::string& name, const std::string& value) {
  for (std::string& a : attrs_)
    if (a.compare(0, name.size() + 1, name + "=") == 0) {
      a = name + "=" + value;
      return;
    }
  attrs_.push_back(name + "=" + value);
}

void RcwatchE2E::removeAttr(const std::string& name) {
  for (size_t i = 0; i < attrs_.size(); ++i)
    if (attrs_[i].compare(0, name.size() + 1, name + "=") == 0) {
      attrs_.erase(attrs_.begin() + static_cast<long>(i));
      return;
    }
}

void RcwatchE2E::schedule(int pass, const arraysim::SimScenario& state) {
  steps_[pass] = state.toText();
}

void RcwatchE2E::failFake(const std::string& fake, int exitCode, const std::string& output) {
  ASSERT_TRUE(sb_->writeFile(fakePath(fake, "exit"), std::to_string(exitCode) + "\n"));
  if (!output.empty()) {
    ASSERT_TRUE(sb_->writeFile(fakePath(fake, "output"), output));
  }
}

orv_sandbox::RunResult RcwatchE2E::runArgs(const std::vector<std::string>& args) {
  orv_sandbox::RunOptions options;
  options.argv = {rcwatchPath()};
  options.argv.insert(options.argv.end(), args.begin(), args.end());
  options.maxSleeps = 1;
  last_ = sb_->run(options);
  msgs_ = messages(last_.output);
  return last_;
}

orv_sandbox::RunResult RcwatchE2E::run(int passes, const std::vector<std::string>& env) {
  std::string pkgenv;
  for (const std::string& a : attrs_) pkgenv += a + "\n";
  EXPECT_TRUE(sb_->setNodeName("nodeA"));
  EXPECT_TRUE(sb_->writeFile(std::string(orv_fake::kFakeDataDir) + "/pkgenv/" + kPackage, pkgenv));
  EXPECT_TRUE(sb_->writeFile(std::string(orv_fake::kFakeDataDir) + "/clusterview", clusterView_));
  EXPECT_TRUE(sb_->makeDir(kPackageDir));
  EXPECT_TRUE(sb_->writeFile("/usr/local/tarvos/conf/vexarc/admin_arrA.pwf", "pw\n", 0600));
  EXPECT_TRUE(sb_->writeFile("/usr/local/tarvos/conf/vexarc/oper_arrB.pwf", "pw\n", 0600));
  const char* params = "/usr/local/tarvos/conf/vexarc/OrvVexaMONConfigParams";
  if (!configParams_.empty()) {
    EXPECT_TRUE(sb_->writeFile(params, configParams_));
  } else if (interval_ > 0 || !metricsDir_.empty()) {
    std::string text;
    if (interval_ > 0) text += "MonitorInterval=" + std::to_string(interval_) + "\n";
    if (!metricsDir_.empty()) text += "MetricsDir=" + metricsDir_ + "\n";
    EXPECT_TRUE(sb_->writeFile(params, text));
  }
  EXPECT_TRUE(scenario_.save(sb_->hostPath(arraysim::kDefaultDir)));

  if (!steps_.empty() || !silent_.empty() || !metricsDir_.empty()) {
    // A step applied or a copy taken by an earlier run must not count.
    sb_->remove(kStepsDir);
    EXPECT_TRUE(sb_->makeDir(std::string(kStepsDir) + "/snap"));
    const std::string sim = std::string(ORV_BUILD_DIR) + "/testing/arraysim/arraysim";
    EXPECT_TRUE(sb_->copyIn(sim, std::string(kStepsDir) + "/bin/cli"));
    EXPECT_TRUE(sb_->copyIn(sim, std::string(kStepsDir) + "/bin/ssh"));
    std::vector<long> offsets;
    for (const auto& step : steps_) {
      long offset = static_cast<long>(step.first) * interval_;
      offsets.push_back(offset);
      EXPECT_TRUE(sb_->writeFile(std::string(kStepsDir) + "/" + std::to_string(offset) + ".state",
                                 step.second));
    }
    const std::string script =
        stepperScript(offsets, metricsDir_.empty() ? "" : metricsDir_ + "/orvanta_pkg1.prom");
    for (const std::string& s : silent_)
      EXPECT_TRUE(sb_->writeFile(std::string(kStepsDir) + "/silent." + s, ""));
    EXPECT_TRUE(sb_->writeFile("/usr/bin/cli", script, 0755));
    EXPECT_TRUE(sb_->writeFile("/usr/bin/ssh", script, 0755));
  }

  orv_sandbox::RunOptions options;
  options.argv = {rcwatchPath(), kPackage};
  options.maxSleeps = passes + 1;
  lastPasses_ = passes;
  options.timeoutSeconds = timeoutSeconds_;
  options.vtimeLog = kVtimeLog;
  sb_->remove(kVtimeLog);
  options.env = env;
  options.env.push_back("VTIME_NOW=" + std::to_string(kStartSeconds) + "000000000");
  last_ = sb_->run(options);
  msgs_ = messages(last_.output);
  return last_;
}

std::vector<long> RcwatchE2E::sleeps() const {
  std::vector<long> out;
  std::istringstream in(sb_->readFile(kVtimeLog));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string count, pid, fn, seconds;
    fields >> count >> pid >> fn >> seconds;
    if (line.find(" exit") == std::string::npos) out.push_back(std::atol(seconds.c_str()));
  }
  return out;
}

std::string RcwatchE2E::metricsAfterPass(int pass) const {
  if (pass >= lastPasses_) return sb_->readFile(metricsDir_ + "/orvanta_pkg1.prom");
  const long elapsed = static_cast<long>(pass + 1) * interval_;
  return sb_->readFile(std::string(kStepsDir) + "/snap/" + std::to_string(elapsed));
}

std::vector<FakeCall> RcwatchE2E::calls(const std::string& fake) const {
  std::vector<FakeCall> out;
  for (int n = 1;; ++n) {
    std::string raw;
    if (!sb_->readFile(fakePath(fake, std::to_string(n) + ".args"), raw)) break;
    FakeCall call;
    size_t start = 0;
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] != '\0') {
      continue;
    }
      call.args.push_back(raw.substr(start, i - start));
      start = i + 1;
    }
    sb_->readFile(fakePath(fake, std::to_string(n) + ".stdin"), call.input);
    out.push_back(call);
  }
  return out;
}

}  // namespace rcwatch_e2e
