// The array command runner with and without a time bound, the bounded
// runner itself, the marker file and the path checks.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "array/command_record.h"
#include "array/orv_vexa_util.h"
#include "array/timed_command.h"
#include "tests/array/array_test_support.h"

using array_test::LogCapture;
using array_test::ScratchFile;

namespace {

double monotonicSeconds() {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

class TimeoutGuard {
 public:
  explicit TimeoutGuard(int seconds) { OrvVexaUtil::setCommandTimeout(seconds); }
  ~TimeoutGuard() { OrvVexaUtil::setCommandTimeout(0); }
};

// Every case holds with and without a time bound that the command stays
// well inside.
class RunnerTest : public testing::TestWithParam<int> {};

TEST_P(RunnerTest, ResultsStatusAndCapturedOutput) {
  TimeoutGuard guard(GetParam());
  struct Case {
    const char* command;
    int result;
    int status;
    const char* output;  // null: not checked
    const char* log;     // null: not checked
  } cases[] = {
      {"/bin/echo hello", 1, 0, "hello\n", nullptr},
      {"/bin/sh -c \"echo oops >&2; exit 0\"", 1, 0, "oops\n", nullptr},
      {"/bin/sh -c \"echo partial; exit 2\"", 0, 2, "partial\n",
       "failed with return value 2"},
      {"/nonexistent/cli -sys a showsys", 0, -77, "",
       "Error: File [/nonexistent/cli] not found or does not have execute permissions."},
  };
  for (const Case& c : cases) {
    ScratchFile out;
    OrvString outPath = out.orv();
    OrvString command(c.command);
    int status = -77;
    LogCapture log;
    EXPECT_EQ(c.result, OrvVexaUtil::runRCCliCommands(command, outPath, &status)) << c.command;
    EXPECT_EQ(c.status, status) << c.command;
    // The output goes to the file's descriptor: the line is run as it is.
    EXPECT_STREQ(c.command, command.getValue());
    if (c.output != nullptr) {
      EXPECT_EQ(c.output, array_test::readAll(out.path())) << c.command;
    }
    if (c.log != nullptr) {
      EXPECT_NE(std::string::npos, log.text().find(c.log)) << log.text();
    }
  }
}

// The output file never reaches the shell; a path that is not a regular
// file of this run is refused.
TEST_P(RunnerTest, OutputFileThatIsNoPlainFileIsRefused) {
  TimeoutGuard guard(GetParam());
  const std::string marker = "/tmp/orv_array_runner_marker";
  unlink(marker.c_str());
  ScratchFile victim("precious\n");
  const std::string link = victim.path() + ".link";
  ASSERT_EQ(0, symlink(victim.path().c_str(), link.c_str()));
  for (const std::string& path : {"/tmp/x;/bin/touch " + marker, link, std::string("/tmp")}) {
    OrvString outPath(path.c_str());
    OrvString command("/bin/echo hello");
    int status = 0;
    LogCapture log;
    EXPECT_EQ(0, OrvVexaUtil::runRCCliCommands(command, outPath, &status)) << path;
    EXPECT_NE(std::string::npos,
              log.text().find("Error: Output file [" + path + "] is not a regular file of this "
                              "run; the command was not run"))
        << log.text();
  }
  EXPECT_FALSE(array_test::exists(marker));
  EXPECT_EQ("precious\n", array_test::readAll(victim.path()));
  unlink(link.c_str());
}

TEST_P(RunnerTest, CommandsAreNotedOnlyWhileRecording) {
  TimeoutGuard guard(GetParam());
  struct Case {
    const char* command;
    int noted;   // status in the note
    int caller;  // what the caller's variable holds afterwards
  } cases[] = {
      {"/bin/echo hello", 0, 0},
      {"/bin/sh -c \"exit 2\"", 2, 2},
      {"/nonexistent/cli -sys a showsys", -1, -77},
  };
  OrvCommandRecord::clear();
  for (int recording = 0; recording < 2; ++recording) {
    OrvCommandRecord::enable(recording);
    for (const Case& c : cases) {
      ScratchFile out;
      OrvString outPath = out.orv();
      OrvString command(c.command);
      int status = -77;
      LogCapture log;
      OrvVexaUtil::runRCCliCommands(command, outPath, &status);
      EXPECT_EQ(c.caller, status) << c.command;
    }
  }
  OrvCommandRecord::enable(0);
  const std::vector<OrvCommandRecord::Entry>& noted = OrvCommandRecord::entries();
  ASSERT_EQ(3u, noted.size());
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(cases[i].command, noted[i].command);  // without the redirection
    EXPECT_EQ(cases[i].noted, noted[i].exitStatus) << cases[i].command;
    EXPECT_GE(noted[i].durationMs, 0);
  }
  OrvCommandRecord::clear();
}

INSTANTIATE_TEST_SUITE_P(Bounds, RunnerTest, testing::Values(0, 30));

TEST(CommandRecord, ArrayAndPathFromTheAccessPrefix) {
  struct Case {
    OrvVexaUtil::AccessPath path;  // ignored when line is given
    const char* line;
    const char* array;
    const char* pathName;
  } cases[] = {
      {OrvVexaUtil::kAccessCli, nullptr, "vexaa", "cli"},
      {OrvVexaUtil::kAccessSsh, nullptr, "vexaa", "ssh"},
      {OrvVexaUtil::kAccessCli, "/bin/touch /x/ORVVEXASTARTRCVG", "", ""},
      {OrvVexaUtil::kAccessCli, "/usr/bin/ssh -l", "", ""},
  };
  for (const Case& c : cases) {
    OrvString line(c.line != nullptr ? c.line : "");
    if (c.line == nullptr) {
      ASSERT_EQ(1, OrvVexaUtil::buildCliCommand(cliShowRcopyLinks, 0, c.path, "vexaa",
                                                "/p/ops_vexaa.pwf", "ops", "", "", line, nullptr));
    }
    std::string array = "?";
    std::string path = "?";
    OrvCommandRecord::describe(line.getValue(), array, path);
    EXPECT_EQ(c.array, array) << line.getValue();
    EXPECT_EQ(c.pathName, path) << line.getValue();
  }
}

TEST(CommandTimeout, NegativeMeansUnbounded) {
  OrvVexaUtil::setCommandTimeout(-5);
  EXPECT_EQ(0, OrvVexaUtil::getCommandTimeout());
  OrvVexaUtil::setCommandTimeout(12);
  EXPECT_EQ(12, OrvVexaUtil::getCommandTimeout());
  OrvVexaUtil::setCommandTimeout(0);
}

bool processGone(const std::string& pid) {
  std::ifstream stat("/proc/" + pid + "/stat");
  if (!stat) return true;
  std::string line;
  std::getline(stat, line);
  size_t close = line.rfind(')');
  return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

// A hanging command is ended with everything it started, and counts as a
// failure with its own message.
TEST(CommandTimeout, HangingCommandIsKilledWithItsChildren) {
  ScratchFile pidFile;
  ScratchFile out;
  OrvString outPath = out.orv();
  std::string cmd = "/bin/sh -c \"/bin/sleep 60 & echo \\$! >" + pidFile.path() + "; wait\"";
  OrvString command(cmd.c_str());
  int status = 0;
  TimeoutGuard guard(1);
  double start = monotonicSeconds();
  LogCapture log;
  EXPECT_EQ(0, OrvVexaUtil::runRCCliCommands(command, outPath, &status));
  double took = monotonicSeconds() - start;
  EXPECT_EQ(-1, status);
  EXPECT_GE(took, 0.9);
  EXPECT_LT(took, 10.0);
  EXPECT_NE(std::string::npos,
            log.text().find("Error: Array command timed out after 1 seconds: " + cmd))
      << log.text();
  std::string pid = array_test::readAll(pidFile.path());
  while (!pid.empty() && pid.back() == '\n') pid.pop_back();
  ASSERT_FALSE(pid.empty());
  bool gone = false;
  for (int i = 0; i < 200 && !gone; ++i) {
    gone = processGone(pid);
    if (!gone) poll(nullptr, 0, 10);
  }
  EXPECT_TRUE(gone) << "sleep " << pid << " survived";
}

TEST(TimedCommand, FirstLineAndRawStatus) {
  struct Case {
    const char* command;
    int capture;
    const char* firstLine;
    int rawStatus;
  } cases[] = {
      {"printf 'abc\\ndef\\n'", 1, "abc", 0},
      {"printf 'no line feed'", 1, "no line feed", 0},
      {"exit 3", 1, "", 3 * 256},
      {"echo hidden; exit 4", 0, "", 4 * 256},
      {"echo 3.3.1; sleep 5", 1, "3.3.1", -2},  // -2: ends by the bound
      // More than a pipe holds after the first line: read to the end, so
      // the command ends on its own, not of SIGPIPE.
      {"echo 3.3.1; i=0; while [ $i -lt 20000 ]; do echo more output; i=$((i+1)); done", 1,
       "3.3.1", 0},
  };
  for (const Case& c : cases) {
    OrvTimedCommand::Result r;
    LogCapture log;  // "hidden" must not reach our standard output
    ASSERT_EQ(1, OrvTimedCommand::run(c.command, 1, c.capture, &r)) << c.command;
    EXPECT_STREQ(c.firstLine, r.firstLine.getValue()) << c.command;
    if (c.rawStatus == -2) {
      EXPECT_EQ(1, r.timedOut);
    } else {
      EXPECT_EQ(0, r.timedOut);
      EXPECT_EQ(c.rawStatus, r.rawStatus) << c.command;
    }
    EXPECT_EQ("", log.text());
  }
  // Without a bound the command runs to its end the same way.
  OrvTimedCommand::Result r;
  EXPECT_EQ(1, OrvTimedCommand::run("echo 3.3.1; i=0; while [ $i -lt 20000 ]; do echo more; "
                                    "i=$((i+1)); done",
                                    0, 1, &r));
  EXPECT_STREQ("3.3.1", r.firstLine.getValue());
  EXPECT_EQ(0, r.rawStatus);
  EXPECT_EQ(0, OrvTimedCommand::run(nullptr, 0, 0, &r));
}

TEST(StartReplicationMarker, CreatedOrReported) {
  char dirTmpl[] = "/tmp/orv_array_pkgXXXXXX";
  ASSERT_NE(nullptr, mkdtemp(dirTmpl));
  std::string dir = dirTmpl;
  const std::string marker = dir + "/ORVVEXASTARTRCVG";
  {
    LogCapture log;
    mode_t old = umask(077);
    EXPECT_EQ(0, OrvVexaUtil::touchSTARTREP(dir));
    umask(old);
    struct stat st;
    ASSERT_EQ(0, lstat(marker.c_str(), &st));
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(0644u, st.st_mode & 0777);
    std::string text = log.text();
    EXPECT_NE(std::string::npos, text.find("Creating file: [" + marker + "] "));
    EXPECT_NE(std::string::npos, text.find("Replication will be started after package startup"));
  }
  {
    // An existing regular file is the marker already.
    LogCapture log;
    EXPECT_EQ(0, OrvVexaUtil::touchSTARTREP(dir));
  }
  {
    LogCapture log;
    EXPECT_NE(0, OrvVexaUtil::touchSTARTREP(dir + "/missing/dir"));
    EXPECT_NE(std::string::npos, log.text().find("Unable to start replication in background"));
  }
  {
    LogCapture log;
    EXPECT_NE(0, OrvVexaUtil::touchSTARTREP(dir + "/a b"));
    EXPECT_NE(std::string::npos, log.text().find("Error: Refused unsafe package directory"));
    EXPECT_FALSE(array_test::exists(dir + "/a"));
  }
  unlink(marker.c_str());
  rmdir(dir.c_str());
}

TEST(PathChecks, DirectoriesFilesAndPasswordFiles) {
  ScratchFile file("secret\n");
  struct Case {
    const char* path;
    int isDir;
    int isFile;
    int pwd;
  } cases[] = {
      {"/tmp", 1, 0, 0},
      {file.path().c_str(), 0, 1, 1},
      {"/nonexistent/admin_a.pwf", 0, 0, 0},
      {"/dev/null", 0, 0, 1},
      {nullptr, 0, 0, 0},
  };
  for (const Case& c : cases) {
    const char* name = c.path != nullptr ? c.path : "(null)";
    EXPECT_EQ(c.isDir, OrvVexaUtil::isDirectory(c.path)) << name;
    EXPECT_EQ(c.isFile, OrvVexaUtil::isFile(c.path)) << name;
    EXPECT_EQ(c.pwd, OrvVexaUtil::checkPwdFile(c.path)) << name;
  }
}

}  // namespace
