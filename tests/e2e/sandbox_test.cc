// The sandbox itself: path mapping, isolation from the host, stand-ins,
// captures, time-outs and clean-up.
#include "testing/sandbox/sandbox.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "testing/sandbox/setup_script.h"
#include "tests/e2e/e2e_harness.h"

namespace orv_sandbox {
namespace {

RunResult sh(Sandbox& sb, const std::string& script, int timeout = 20) {
  RunOptions o;
  o.argv = {"/bin/sh", "-c", script};
  o.timeoutSeconds = timeout;
  return sb.run(o);
}

TEST(CanonicalSandboxPath, Table) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"/usr/local/x", "/usr/local/x"},
      {"//usr///local/x/", "/usr/local/x"},
      {"/bin/hostname", "/usr/bin/hostname"},
      {"/bin", "/usr/bin"},
      {"/sbin/x", "/usr/sbin/x"},
      {"/binary/x", "/binary/x"},
      {"/usr/./bin", "/usr/bin"},
      {"/usr/local/../etc", ""},
      {"relative/x", ""},
      {"", ""},
      {"/", "/"},
  };
  for (const Case& c : cases) EXPECT_EQ(canonicalSandboxPath(c.in), c.out) << c.in;
}

TEST(Sandbox, HostPathMapsWritableRootsOnly) {
  ORV_REQUIRE_SANDBOX();
  Sandbox sb;
  ASSERT_TRUE(sb.ok()) << sb.error();
  const std::string root = sb.dir() + "/root";
  struct Case {
    const char* path;
    std::string host;
  } cases[] = {
      {"/usr/local/tarvos/bin/tvviewcl", root + "/usr/local/tarvos/bin/tvviewcl"},
      {"/bin/hostname", root + "/usr/bin/hostname"},
      {"/etc/tarvos.conf", root + "/etc/tarvos.conf"},
      {"/opt", root + "/opt"},
      {"/tmp/tmpccemail.txt", root + "/tmp/tmpccemail.txt"},
      {"/dev/console", root + "/dev/console"},
      {"/usr/localx", ""},
      {"/var/log/messages", ""},
      {"/usr", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(sb.hostPath(c.path), c.host) << c.path;
  EXPECT_FALSE(sb.writeFile("/var/log/x", "x"));
}

TEST(Sandbox, WritesStayInsideAndTheRestIsReadOnly) {
  ORV_REQUIRE_SANDBOX();
  Sandbox sb;
  ASSERT_TRUE(sb.ok()) << sb.error();
  std::string tag = "orv-sbx-" + std::to_string(getpid());
  RunResult r = sh(sb,
                   "set -e; echo a > /usr/local/" + tag + "; echo b > /etc/" + tag +
                       "; echo c > /usr/bin/" + tag + "; echo d > /tmp/" + tag +
                       "; echo e > /opt/" + tag + "; echo f > /usr/sbin/" + tag +
                       "; if echo g > /var/" + tag + " 2>/dev/null; then exit 9; fi");
  ASSERT_TRUE(r.exited()) << r.describe();
  EXPECT_EQ(r.exitCode, 0) << r.output;
  struct Case {
    std::string dir, content;
  } cases[] = {{"/usr/local/", "a\n"}, {"/etc/", "b\n"}, {"/usr/bin/", "c\n"},
               {"/tmp/", "d\n"},       {"/opt/", "e\n"}, {"/usr/sbin/", "f\n"}};
  for (const Case& c : cases) {
    EXPECT_EQ(sb.readFile(c.dir + tag), c.content) << c.dir;
    EXPECT_NE(access((c.dir + tag).c_str(), F_OK), 0) << "leaked to host: " << c.dir;
  }
  EXPECT_NE(access(("/var/" + tag).c_str(), F_OK), 0);
}

TEST(Sandbox, HostFilesShowThroughTheOverlays) {
  ORV_REQUIRE_SANDBOX();
  Sandbox sb;
  RunResult r = sh(sb, "echo 1 2 3 | awk '{print $2}' | sed 's/2/two/'; test -s /etc/passwd");
  EXPECT_EQ(r.exitCode, 0) << r.describe();
  EXPECT_EQ(r.output, "two\n");
  EXPECT_TRUE(sb.exists("/bin/sh"));
  EXPECT_FALSE(sb.readFile("/etc/passwd").empty());
}

TEST(Sandbox, RemovedHostFileIsHiddenInsideOnly) {
  ORV_REQUIRE_SANDBOX();
  Sandbox sb;
  ASSERT_TRUE(sb.exists("/usr/bin/cut"));
  ASSERT_TRUE(sb.remove("/usr/bin/cut"));
  EXPECT_FALSE(sb.exists("/usr/bin/cut"));
  std::vector<std::string> names = sb.listDir("/usr/bin");
  EXPECT_EQ(std::count(names.begin(), names.end(), "cut"), 0);
  EXPECT_EQ(std::count(names.begin(), names.end(), "awk"), 1);
  RunResult r = sh(sb, "test -e /usr/bin/cut");
  EXPECT_EQ(r.exitCode, 1) << r.describe();
  EXPECT_EQ(access("/usr/bin/cut", X_OK), 0);
}

TEST(Sandbox, StandInsArePlaced) {
  ORV_REQUIRE_SANDBOX();
  Sandbox sb;
  for (const std::string& m : sb.missingStandIns())
    if (m.find("orvfake") != std::string::npos) GTEST_SKIP() << "fakes not built";
  for (const char* p : {"/bin/hostname", "/usr/local/tarvos/bin/tvgetpkgenv",
                        "/usr/local/tarvos/bin/tvviewcl", "/usr/sbin/sendmail",
                        "/opt/EMLN/bin/EvQ/evqmsg", "/etc/tarvos.conf"}) {
    EXPECT_TRUE(sb.exists(p)) << p;
  }
  RunResult r = sh(sb, "for f in /bin/hostname /usr/sbin/sendmail /opt/EMLN/bin/EvQ/evqmsg "
                       "/usr/local/tarvos/bin/tvgetpkgenv; do test -x $f || echo $f; done; "
                       ". /etc/tarvos.conf && echo sourced");
  EXPECT_EQ(r.output, "sourced\n");
}

TEST(Sandbox, NodeNameIsHostnameAndUtsName) {
  ORV_REQUIRE_SANDBOX();
  Sandbox sb;
  ASSERT_TRUE(sb.setNodeName("nodeb2.siteb.example"));
  RunResult r = sh(sb, "/bin/hostname; uname -n");
  EXPECT_EQ(r.output, "nodeb2.siteb.example\nnodeb2.siteb.example\n") << r.describe();
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  EXPECT_STRNE(host, "nodeb2.siteb.example");
  EXPECT_FALSE(sb.setNodeName(""));
  EXPECT_FALSE(sb.setNodeName(std::string(65, 'n')));
}

TEST(Sandbox, ConsoleAndSyslogAreCaptured) {
  ORV_REQUIRE_SANDBOX();
  Sandbox sb;
  RunResult r = sh(sb, "echo to-console >> /dev/console; echo to-x >> /dev/xconsole; "
                       "logger -t orvtest 'hello syslog'; echo out; echo err >&2; "
                       "echo null > /dev/null");
  ASSERT_TRUE(r.exited()) << r.describe();
  EXPECT_EQ(sb.readFile("/dev/console"), "to-console\n");
  EXPECT_EQ(sb.readFile("/dev/xconsole"), "to-x\n");
  EXPECT_EQ(r.output, "out\nerr\n");
  ASSERT_EQ(r.syslog.size(), 1u);
  EXPECT_NE(r.syslog[0].find("orvtest"), std::string::npos) << r.syslog[0];
  EXPECT_NE(r.syslog[0].find("hello syslog"), std::string::npos) << r.syslog[0];
}

TEST(Sandbox, ExitCodesSignalsAndInput) {
  ORV_REQUIRE_SANDBOX();
  Sandbox sb;
  struct Case {
    const char* script;
    std::string stdinText;
    int exitCode, signal;
    const char* output;
  } cases[] = {
      {"exit 3", "", 3, 0, ""},
      {"cat", "line one\nline two\n", 0, 0, "line one\nline two\n"},
      {"cat", "", 0, 0, ""},
      {"kill -TERM $$", "", -1, 15, ""},
      {"echo $TZ $LANG; test -z \"$DATAREP_DEBUG\"", "", 0, 0, "UTC C\n"},
  };
  for (const Case& c : cases) {
    RunOptions o;
    o.argv = {"/bin/sh", "-c", c.script};
    o.stdinText = c.stdinText;
    RunResult r = sb.run(o);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.script << ": " << r.describe();
    EXPECT_EQ(r.signal, c.signal) << c.script;
    EXPECT_EQ(r.output, c.output) << c.script;
  }
  RunOptions o;
  o.argv = {"/bin/sh", "-c", "echo \"[$DATAREP_DEBUG]\""};
  o.env = {"DATAREP_DEBUG=", "NOT AN ENTRY"};
  EXPECT_EQ(sb.run(o).output, "[]\n");
}

TEST(Sandbox, TimeOutKillsTheWholeGroup) {
  ORV_REQUIRE_SANDBOX();
  Sandbox sb;
  RunResult r = sh(sb, "sleep 30 & sleep 30", 1);
  EXPECT_TRUE(r.timedOut) << r.describe();
  EXPECT_LT(r.elapsedMs, 5000);
  // A background child that outlives the program does not hold the run.
  r = sh(sb, "sleep 30 & echo $!");
  EXPECT_FALSE(r.timedOut);
  EXPECT_LT(r.elapsedMs, 5000);
  int pid = std::atoi(r.output.c_str());
  ASSERT_GT(pid, 0) << r.output;
  // SIGKILL was sent; the process is gone or a zombie once it is delivered.
  std::string state = "?";
  for (int i = 0; i < 200 && state != "Z" && state != ""; ++i) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string pidField, comm;
    if (!(stat >> pidField >> comm >> state)) state = "";
    if (state != "Z" && state != "") usleep(5000);
  }
  EXPECT_TRUE(state == "Z" || state == "") << "left running, state " << state;
}

TEST(Sandbox, RejectsProgramsItCannotReach) {
  ORV_REQUIRE_SANDBOX();
  Sandbox sb;
  struct Case {
    std::vector<std::string> argv;
  } cases[] = {{{}}, {{"sh", "-c", "true"}}, {{"/tmp/whatever"}}, {{sb.dir() + "/x"}}};
  for (const Case& c : cases) {
    RunResult r = sb.run(c.argv);
    EXPECT_FALSE(r.setupError.empty()) << (c.argv.empty() ? "" : c.argv[0]);
  }
  RunResult r = sb.run({"/nonexistent/program"});
  EXPECT_NE(r.setupError.find("exec /nonexistent/program"), std::string::npos)
      << r.describe();
}

TEST(Sandbox, RunsShareStateAndLeaveNoMounts) {
  ORV_REQUIRE_SANDBOX();
  std::string dir;
  {
    Sandbox sb;
    dir = sb.dir();
    EXPECT_EQ(sh(sb, "echo 1 > /usr/local/counter").exitCode, 0);
    RunResult r = sh(sb, "cat /usr/local/counter; echo 2 >> /usr/local/counter");
    EXPECT_EQ(r.output, "1\n");
    EXPECT_EQ(sb.readFile("/usr/local/counter"), "1\n2\n");
  }
  EXPECT_NE(access(dir.c_str(), F_OK), 0) << "sandbox directory left: " << dir;
  std::ifstream mounts("/proc/self/mountinfo");
  std::string line;
  while (std::getline(mounts, line))
    EXPECT_EQ(line.find("orv-sandbox"), std::string::npos) << line;
}

TEST(Sandbox, FreshDirsAndExtraBinds) {
  ORV_REQUIRE_SANDBOX();
  Sandbox sb;
  ASSERT_TRUE(sb.addFreshDir("/var/tmp")) << sb.error();
  ASSERT_TRUE(sb.writeFile("/var/tmp/seen", "inside\n"));
  ASSERT_TRUE(sb.makeDir("/usr/local/data"));
  ASSERT_TRUE(sb.writeFile("/usr/local/data/f", "bound\n"));
  sb.addBind(sb.hostPath("/usr/local/data"), "/opt", true);
  RunResult r = sh(sb, "cat /var/tmp/seen /opt/f; echo w > /var/tmp/new; "
                       "echo x 2>/dev/null > /opt/g || echo ro");
  EXPECT_EQ(r.output, "inside\nbound\nro\n") << r.describe();
  EXPECT_EQ(sb.readFile("/var/tmp/new"), "w\n");
  EXPECT_FALSE(sb.addFreshDir("/no/such/dir"));
}

TEST(SetupScript, AppliesCommands) {
  ORV_REQUIRE_SANDBOX();
  Sandbox sb;
  std::vector<std::string> env;
  std::string error;
  const char* script =
      "# a scenario\n"
      "node nodeq\n"
      "\n"
      "file /usr/local/a/b.txt 0600 <<END\n"
      "first\n"
      "  END not yet\n"
      "END\n"
      "dir /opt/d 0700\n"
      "env DATAREP_DEBUG=a b\n"
      "file /etc/gone <<X\n"
      "X\n"
      "rm /etc/gone\n";
  ASSERT_TRUE(applySetupScript(sb, script, env, error)) << error;
  EXPECT_EQ(sb.nodeName(), "nodeq");
  EXPECT_EQ(sb.readFile("/usr/local/a/b.txt"), "first\n  END not yet\n");
  struct stat st;
  ASSERT_EQ(stat(sb.hostPath("/usr/local/a/b.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  ASSERT_EQ(stat(sb.hostPath("/opt/d").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0700u);
  EXPECT_FALSE(sb.exists("/etc/gone"));
  EXPECT_EQ(env, std::vector<std::string>{"DATAREP_DEBUG=a b"});
}

TEST(SetupScript, ReportsTheFailingLine) {
  ORV_REQUIRE_SANDBOX();
  Sandbox sb;
  struct Case {
    const char* script;
    const char* error;
  } cases[] = {
      {"node a\nfrobnicate x\n", "line 2: unknown or malformed command: frobnicate x"},
      {"file /etc/x <<END\nno end\n", "line 1: no closing line END"},
      {"file /etc/x 0999 <<END\nEND\n", "line 1: bad mode 0999"},
      {"file /etc/x\n", "line 1: expected: file PATH [MODE] <<TAG"},
      {"\n\ndir /var/lib/x\n", "line 3: not a writable sandbox path: /var/lib/x"},
      {"env =x\n", "line 1: unknown or malformed command: env =x"},
      {"bind /x ../y\n", "line 1: bad path ../y"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> env;
    std::string error;
    EXPECT_FALSE(applySetupScript(sb, c.script, env, error)) << c.script;
    EXPECT_EQ(error, c.error) << c.script;
  }
}

TEST(Runner, RunsAProgramFromTheCommandLine) {
  ORV_REQUIRE_SANDBOX();
  std::string runner = orv_e2e::orvSandboxPath();
  if (!orv_e2e::isExecutable(runner)) GTEST_SKIP() << "orv-sandbox not built";
  Sandbox outer;  // only for a scratch directory on the host
  std::string setup = outer.dir() + "/setup.txt";
  std::ofstream(setup) << "node noder\nfile /usr/local/in <<E\nhello\nE\nenv GREETING=hi there\n";
  std::string kept = outer.dir() + "/kept";
  ProcessSpec spec;
  spec.argv = {runner,     "--dir", kept, "--setup-file", setup, "--cat", "/usr/local/out",
               "--",       "/bin/sh", "-c",
               "cat /usr/local/in > /usr/local/out; echo \"$GREETING\" $(hostname); exit 7"};
  ProcessResult r = runProcess(spec);
  EXPECT_EQ(r.exitCode, 7) << r.describe();
  EXPECT_EQ(r.output, "hi there noder\n==> /usr/local/out <==\nhello\n");
  // The directory was kept: a second run sees the first one's file.
  spec.argv = {runner, "--dir", kept, "--", "/bin/cat", "/usr/local/out"};
  r = runProcess(spec);
  EXPECT_EQ(r.exitCode, 0) << r.describe();
  EXPECT_EQ(r.output, "hello\n");
  spec.argv = {runner, "--timeout", "1", "--", "/bin/sleep", "20"};
  EXPECT_EQ(runProcess(spec).exitCode, 124);
  spec.argv = {runner, "--bogus"};
  EXPECT_EQ(runProcess(spec).exitCode, 125);
}

}  // namespace
}  // namespace orv_sandbox

namespace orv_sandbox {
namespace {

// Gone, or a zombie waiting for its parent: either way no longer running.
bool stopped(int pid) {
  for (int i = 0; i < 200; ++i) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string pidField, comm, state;
    if (!(stat >> pidField >> comm >> state) || state == "Z") return true;
    usleep(5000);
  }
  return false;
}

TEST(Runner, ProgramDiesWithTheRunner) {
  ORV_REQUIRE_SANDBOX();
  std::string runner = orv_e2e::orvSandboxPath();
  if (!orv_e2e::isExecutable(runner)) GTEST_SKIP() << "orv-sandbox not built";
  Sandbox scratch;
  std::string kept = scratch.dir() + "/kept";
  ProcessSpec spec;
  // The runner is killed after one second; the program it started sits in
  // a process group of its own and must go with it.
  spec.argv = {runner, "--dir", kept, "--",
               "/bin/sh", "-c", "echo $$ > /usr/local/pid; exec /bin/sleep 30"};
  spec.timeoutSeconds = 1;
  ProcessResult r = runProcess(spec);
  ASSERT_TRUE(r.timedOut) << r.describe();
  std::string pidText;
  std::ifstream(kept + "/root/usr/local/pid") >> pidText;
  int pid = std::atoi(pidText.c_str());
  ASSERT_GT(pid, 0);
  EXPECT_TRUE(stopped(pid)) << "program " << pid << " outlived the runner";
}

}  // namespace
}  // namespace orv_sandbox
