// Access-path decision, command lines and the refusal of unsafe values.

#include <gtest/gtest.h>

#include <string>

#include "array/orv_vexa_util.h"
#include "foundation/util.h"
#include "tests/array/array_test_support.h"

using array_test::LogCapture;
using array_test::ScratchFile;

namespace {

// Debug lines are part of what these tests check; the logger samples the
// switch when it is first created, which is after static initialisation.
const bool kDebugOn = (setenv("DATAREP_DEBUG", "", 1) == 0);

TEST(CliVersion, ComparesNumericallyComponentByComponent) {
  ASSERT_TRUE(kDebugOn);
  struct Case {
    const char* a;
    const char* b;
    int order;
  } cases[] = {
      {"3.3.1", "3.3.1", 0},   {"3.10", "3.3.1", 1},      {"3.2.2", "3.3.1", -1},
      {"3.3", "3.3.1", -1},    {"3.3.1.0", "3.3.1", 0},   {"03.3.01", "3.3.1", 0},
      {"4", "3.3.1", 1},       {"3.3.10", "3.3.9", 1},    {"3.3.1.1", "3.3.1", 1},
      {"99999999999999999999.1", "3", 1}, {"0", "0.0.0", 0},
  };
  for (const Case& c : cases) {
    int order = 7;
    ASSERT_EQ(1, OrvVexaUtil::compareCliVersions(c.a, c.b, &order)) << c.a;
    EXPECT_EQ(c.order, order) << c.a << " vs " << c.b;
    ASSERT_EQ(1, OrvVexaUtil::compareCliVersions(c.b, c.a, &order));
    EXPECT_EQ(-c.order, order) << c.b << " vs " << c.a;
  }
}

TEST(CliVersion, RefusesTextThatIsNotDottedNumbers) {
  const char* bad[] = {"", "3.3.1a", "v3.3", "3..1", "3.3.", ".3", " 3.3", "3.3.1 (MU2)", "-3"};
  for (const char* v : bad) {
    int order = 7;
    EXPECT_EQ(0, OrvVexaUtil::compareCliVersions(v, "3.3.1", &order)) << "[" << v << "]";
    EXPECT_EQ(7, order);
  }
  int order = 0;
  EXPECT_EQ(0, OrvVexaUtil::compareCliVersions(nullptr, "3.3.1", &order));
}

TEST(AccessPath, DecisionTable) {
  const auto cli = OrvVexaUtil::kAccessCli;
  const auto ssh = OrvVexaUtil::kAccessSsh;
  struct Case {
    const char* release;
    int started;
    int status;
    const char* version;
    OrvVexaUtil::AccessPath expected;
  } cases[] = {
      {"", 1, 0, "3.3.1", ssh},     // at the threshold, not RHEL 5
      {"6", 1, 0, "3.3.1", ssh},
      {"", 1, 0, "3.2.2", cli},     // older client: CLI on any host
      {"5", 1, 0, "3.2.2", cli},
      {"5", 1, 0, "3.3.1", cli},    // RHEL 5 keeps the CLI
      {"6", 1, 0, "3.10", ssh},     // 3.10 is above 3.3.1
      {"", 1, 0, "3.3", cli},
      {"5", 1, 256, "3.2.2", ssh},  // probe exited non-zero
      {"5", 0, 0, "3.2.2", ssh},    // probe could not be started
      {"", 1, -1, "", ssh},
      {"5", 1, 0, "unknown command", ssh},
      {"5", 1, 0, "", ssh},
      {"", 1, 0, "3.2.2\r", cli},   // line ends are not part of the version
      {"50", 1, 0, "3.3.1", ssh},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, OrvVexaUtil::decideAccessPath(c.release, c.started, c.status,
                                                        c.version))
        << "release [" << c.release << "] version [" << c.version << "] status " << c.status;
  }
}

TEST(CommandText, EveryOptionOfBothOverloads) {
  struct Case {
    int option;
    int longForm;
    const char* text;  // null: no command for that overload
    int mode;
  } cases[] = {
      {0, 0, "showrcopy -d -csvtable", 0},
      {0, 1, nullptr, 0},
      {1, 1, "showrcopy groups rcg1 -csvtable", 0},
      {1, 0, nullptr, 0},
      {2, 0, "showrcopy groups -csvtable", 0},
      {3, 0, "showrcopy links -csvtable", 0},
      {3, 1, nullptr, 0},
      {4, 1, "stoprcopygroup -t tgtB rcg1", 1},
      {5, 1, "stoprcopygroup -f -t tgtB rcg1", 1},
      {6, 1, "startrcopygroup -t tgtB rcg1", 1},
      {6, 0, nullptr, 0},
      {7, 1, "setrcopygroup reverse -f -t tgtB -waittask rcg1", 0},
      {8, 1, "setrcopygroup reverse -f -t tgtB -stopgroups -waittask rcg1", 0},
      {9, 1, "setrcopygroup failover -f -t tgtB -waittask rcg1", 0},
      {10, 1, "setrcopygroup recover -f -t tgtB rcg1", 0},
      {11, 1, "setrcopygroup restore -f -t tgtB -waittask rcg1", 0},
      {12, 1, "setrcopygroup restore -f -waittask rcg1", 0},
      {13, 1, "setrcopygroup restore -f -t tgtB -stopgroups -waittask rcg1", 0},
      {14, 1, nullptr, 0},
      {14, 0, nullptr, 0},
      {15, 1, "setrcopygroup override -f -t tgtB rcg1", 0},
      {16, 0, nullptr, 0},
      {16, 1, nullptr, 0},
      {17, 0, "showsys -d", 0},
      {18, 0, "showsys", 0},
      {19, 1, "syncrcopy -t tgtB rcg1", 0},
      {19, 0, nullptr, 0},
      {20, 1, nullptr, 0},
      {-1, 0, nullptr, 0},
  };
  for (const Case& c : cases) {
    OrvString text("unchanged");
    int mode = 9;
    int ok = OrvVexaUtil::cliCommandText(static_cast<e_CLI_CMD_OPTION>(c.option), c.longForm,
                                         "rcg1", "tgtB", text, &mode);
    if (c.text == nullptr) {
      EXPECT_EQ(0, ok) << "option " << c.option << " long " << c.longForm;
      EXPECT_STREQ("unchanged", text.getValue());
    } else {
      ASSERT_EQ(1, ok) << "option " << c.option;
      EXPECT_STREQ(c.text, text.getValue()) << "option " << c.option;
      EXPECT_EQ(c.mode, mode) << "option " << c.option;
    }
  }
}

TEST(CommandLine, PrefixOfEachAccessPath) {
  OrvString line;
  ASSERT_EQ(1, OrvVexaUtil::buildCliCommand(cliStopGroup, 1, OrvVexaUtil::kAccessCli, "arrayA",
                                            "/usr/local/tarvos/conf/vexarc/admin_arrayA.pwf",
                                            "admin", "rcg1", "tgtB", line, nullptr));
  EXPECT_STREQ(
      "/usr/bin/cli -sys arrayA -sockssl -pwf /usr/local/tarvos/conf/vexarc/admin_arrayA.pwf "
      "stoprcopygroup -t tgtB rcg1",
      line.getValue());
  ASSERT_EQ(1, OrvVexaUtil::buildCliCommand(cliShowRcopyLinks, 0, OrvVexaUtil::kAccessSsh,
                                            "arrayB", "/p/ops_arrayB.pwf", "ops", "", "", line,
                                            nullptr));
  EXPECT_STREQ("/usr/bin/ssh -l ops -o ConnectTimeout=3 arrayB showrcopy links -csvtable",
               line.getValue());
  EXPECT_STREQ("/usr/bin/cli -sys arrayB -sockssl -pwf /p/x.pwf showversion -s 2>/dev/null ",
               OrvVexaUtil::versionProbeCommand("arrayB", "/p/x.pwf").getValue());
}

TEST(SshUser, LastPathComponentUpToFirstUnderscore) {
  struct Case {
    const char* pwf;
    const char* user;
  } cases[] = {
      {"/usr/local/tarvos/conf/vexarc/admin_arrayA.pwf", "admin"},
      {"/usr/local/tarvos/conf/vexarc/ops_team_arrayB.pwf", "ops"},
      {"/dir_with_underscore/user_a.pwf", "user"},
      {"/x/plain.pwf", "plain.pwf"},
      {"relative_arrayA.pwf", "relative"},
  };
  for (const Case& c : cases) {
    OrvString user;
    int rc = 0;
    ASSERT_EQ(1, OrvUtil::runShCmdOutputOnly(OrvVexaUtil::sshUserCommand(c.pwf), user, &rc));
    EXPECT_STREQ(c.user, user.getValue()) << c.pwf;
  }
}

// On this host there is no array client, so the probe fails and ssh is
// chosen; the user still comes from the password file's name.
TEST(AccessPath, SelectionOnAHostWithoutArrayClient) {
  if (array_test::exists("/usr/bin/cli")) GTEST_SKIP() << "/usr/bin/cli exists here";
  LogCapture log;
  OrvVexaUtil::AccessPath path = OrvVexaUtil::kAccessCli;
  OrvString user;
  ASSERT_EQ(1, OrvVexaUtil::selectAccessPath(
                   "arrayA", "/usr/local/tarvos/conf/vexarc/admin_arrayA.pwf", &path, user));
  EXPECT_EQ(OrvVexaUtil::kAccessSsh, path);
  EXPECT_STREQ("admin", user.getValue());
  std::string out = log.text();
  EXPECT_NE(std::string::npos, out.find("Entered RHEL5 check"));
  EXPECT_NE(std::string::npos,
            out.find("The command to be executed is: [/bin/cat /etc/redhat-release 2>/dev/null "
                     "| awk -F \"[ .]\" '{print $7}']"));
}

// A value that would run a command of its own if it reached the shell.
struct UnsafeCase {
  const char* what;
  const char* array;
  const char* pwf;
  const char* group;
  const char* target;
};

TEST(UnsafeValues, GroupCommandsRunNothing) {
  const std::string marker = "/tmp/orv_array_unsafe_marker";
  const std::string inject = ";/bin/touch${IFS}" + marker;
  std::string badArray = "arrayA" + inject;
  std::string badPwf = "/p/admin_arrayA.pwf" + inject;
  std::string badGroup = "rcg1" + inject;
  std::string badTarget = "tgtB$(/bin/touch " + marker + ")";
  UnsafeCase cases[] = {
      {"array name", badArray.c_str(), "/p/admin_a.pwf", "rcg1", "tgtB"},
      {"array name", "", "/p/admin_a.pwf", "rcg1", "tgtB"},
      {"password file", "arrayA", badPwf.c_str(), "rcg1", "tgtB"},
      {"password file", "arrayA", "/p/admin a.pwf", "rcg1", "tgtB"},
      {"group", "arrayA", "/p/admin_a.pwf", badGroup.c_str(), "tgtB"},
      {"group", "arrayA", "/p/admin_a.pwf", "", "tgtB"},
      {"target", "arrayA", "/p/admin_a.pwf", "rcg1", badTarget.c_str()},
      {"target", "arrayA", "/p/admin_a.pwf", "rcg1", "tgt|B"},
  };
  for (const UnsafeCase& c : cases) {
    unlink(marker.c_str());
    ScratchFile out;
    OrvString outPath = out.orv();
    int status = 0;
    LogCapture log;
    EXPECT_EQ(0, OrvVexaUtil::JxVexaCliCmdExec(cliStopGroup, c.array, c.pwf, c.group, c.target,
                                               outPath, &status, 0));
    std::string text = log.text();
    EXPECT_NE(std::string::npos, text.find(std::string("Error: Refused unsafe ") + c.what))
        << text;
    // Nothing at all was run: not even the release-file check.
    EXPECT_EQ(std::string::npos, text.find("Entered RHEL5 check")) << c.what;
    EXPECT_FALSE(array_test::exists(marker)) << c.what;
  }
  unlink(marker.c_str());
}

TEST(UnsafeValues, ArrayWideCommandsAndTaskQueriesRunNothing) {
  ScratchFile out;
  OrvString outPath = out.orv();
  int status = 0;
  {
    LogCapture log;
    EXPECT_EQ(0, OrvVexaUtil::JxVexaCliCmdExec(cliShowRcopyLinks, "arrayA&", "/p/admin_a.pwf",
                                               outPath, &status));
    EXPECT_NE(std::string::npos, log.text().find("Error: Refused unsafe array name [arrayA&]"));
  }
  const char* badIds[] = {"12;reboot", "", "12 13", "notask", "-1"};
  for (const char* id : badIds) {
    OrvList<_TaskInfo> tasks;
    tasks.insertAtBack(_TaskInfo());
    LogCapture log;
    EXPECT_EQ(0, OrvVexaUtil::getCliCmdTaskInfo(id, "arrayA", "/p/admin_a.pwf", outPath, tasks))
        << id;
    EXPECT_EQ(0, tasks.numObjects());
    EXPECT_NE(std::string::npos, log.text().find("Error: Refused unsafe task id")) << id;
    EXPECT_EQ(std::string::npos, log.text().find("Entered RHEL5 check")) << id;
  }
}

// A password file named "_x.pwf" yields an empty ssh user; on the ssh path
// that is refused before the array command is built.
TEST(UnsafeValues, EmptySshUserIsRefusedOnTheSshPath) {
  if (array_test::exists("/usr/bin/cli")) GTEST_SKIP() << "/usr/bin/cli exists here";
  ScratchFile out;
  OrvString outPath = out.orv();
  int status = 0;
  LogCapture log;
  EXPECT_EQ(0, OrvVexaUtil::JxVexaCliCmdExec(cliShowRcopyGroup, "arrayA", "/p/_arrayA.pwf",
                                             "rcg1", "tgtB", outPath, &status, 0));
  std::string text = log.text();
  EXPECT_NE(std::string::npos, text.find("Error: Refused unsafe ssh user []")) << text;
  EXPECT_EQ(std::string::npos, text.find("Entered JxVexaCliCmdExec"));
  EXPECT_EQ("", array_test::readAll(out.path()));
}

}  // namespace
