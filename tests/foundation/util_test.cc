#include "foundation/util.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

using orv_test::TempDir;

class OrvUtilTest : public ::testing::Test {
 protected:
  void TearDown() override {
    unsetenv("DATAREP_DEBUG");
    orv_test::dropLogger();
  }
  // Runs f with standard output captured; returns what was printed.
  template <class F>
  std::string captured(F f) {
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
  }
};

bool has(const std::string& text, const std::string& piece) {
  return text.find(piece) != std::string::npos;
}

TEST_F(OrvUtilTest, RunShCmdRcOnlyExitCodes) {
  struct Case {
    const char* command;
    int skipCheck;
    int result;
    int rc;
  };
  const std::vector<Case> cases = {
      {"/bin/true", 0, 1, 0},
      {"/bin/false", 0, 0, 1},
      {"/bin/sh -c 'exit 0'", 0, 1, 0},
      {"/bin/sh -c 'exit 3'", 0, 0, 3},
      {"/bin/sh -c 'exit 255'", 0, 0, 255},
      {"  /bin/true  ", 0, 1, 0},
      // The shell that runs the line is itself killed: no exit code at all.
      {"kill -9 $$", 1, 0, -1},
  };
  orv_test::freshLogger(false);
  for (const Case& c : cases) {
    OrvString cmd(c.command);
    int rc = 1234;
    int result = 0;
    std::string out = captured([&] { result = OrvUtil::runShCmdRcOnly(cmd, &rc, c.skipCheck); });
    EXPECT_EQ(result, c.result) << c.command;
    EXPECT_EQ(rc, c.rc) << c.command;
    bool failedMessage = has(out, std::string("Execution of command \"") + c.command +
                                      "\" failed with return value " + std::to_string(c.rc));
    EXPECT_EQ(failedMessage, c.rc > 0) << c.command << ": " << out;
  }
}

TEST_F(OrvUtilTest, RunShCmdRcOnlyChecksTheProgramUnlessTold) {
  TempDir dir;
  std::string marker = dir.file("ran");
  orv_test::freshLogger(false);

  OrvString missing(("/no/such/prog && /bin/touch " + marker).c_str());
  int rc = 77;
  std::string out = captured([&] { EXPECT_EQ(OrvUtil::runShCmdRcOnly(missing, &rc, 0), 0); });
  EXPECT_EQ(rc, 77);
  EXPECT_TRUE(has(out, "Error: File [/no/such/prog] not found or does not have execute permissions."))
      << out;

  // "exit" is no file at all: only skipCheck lets the shell run it.
  OrvString builtin(("/bin/touch " + marker + "; exit 4").c_str());
  OrvString builtinFirst("exit 4");
  out = captured([&] { EXPECT_EQ(OrvUtil::runShCmdRcOnly(builtinFirst, &rc, 0), 0); });
  EXPECT_EQ(rc, 77);
  EXPECT_TRUE(has(out, "Error: File [exit] not found")) << out;
  captured([&] { EXPECT_EQ(OrvUtil::runShCmdRcOnly(builtinFirst, &rc, 1), 0); });
  EXPECT_EQ(rc, 4);
  EXPECT_EQ(access(marker.c_str(), F_OK), -1) << "the refused command must not have run";
  captured([&] { OrvUtil::runShCmdRcOnly(builtin, &rc, 0); });
  EXPECT_EQ(access(marker.c_str(), F_OK), 0);
}

TEST_F(OrvUtilTest, RunShCmdRcOnlyDebugLine) {
  orv_test::freshLogger(true);
  OrvString cmd("/bin/sh -c 'exit 2'");
  int rc = 0;
  std::string out = captured([&] { OrvUtil::runShCmdRcOnly(cmd, &rc, 0); });
  EXPECT_TRUE(has(out, "DEBUG ")) << out;
  EXPECT_TRUE(has(out, " : runShCmdRcOnly command=/bin/sh -c 'exit 2', *rc=2\n")) << out;
}

TEST_F(OrvUtilTest, RunShCmdOutputOnlyFirstLineAndRawStatus) {
  struct Case {
    const char* command;
    std::string output;
    int rc;
  };
  const std::vector<Case> cases = {
      {"/bin/echo hello", "hello", 0},
      {"/bin/sh -c 'echo x; exit 3'", "x", 768},
      {"/bin/true", "previous", 0},
      {"printf 'a\\nb\\nc\\n'", "a", 0},
      {"printf 'a\\r\\n'", "a\r", 0},
      {"printf 'no line feed'", "no line feed", 0},
      {"kill -9 $$", "previous", 9},
      {"/bin/echo first; kill -15 $$", "first", 15},
      {"/bin/sh -c 'i=0; while [ $i -lt 3000 ]; do echo line $i; i=$((i+1)); done; exit 0'",
       "line 0", 0},
  };
  orv_test::freshLogger(false);
  for (const Case& c : cases) {
    OrvString output("previous");
    int rc = -77;
    EXPECT_EQ(OrvUtil::runShCmdOutputOnly(OrvString(c.command), output, &rc), 1) << c.command;
    EXPECT_EQ(std::string(output.getValue()), c.output) << c.command;
    EXPECT_EQ(rc, c.rc) << c.command;
  }
}

TEST_F(OrvUtilTest, RunShCmdOutputOnlyCutsALongLine) {
  OrvString output;
  int rc = -1;
  EXPECT_EQ(OrvUtil::runShCmdOutputOnly(OrvString("printf '%03000d\\n' 0"), output, &rc), 1);
  EXPECT_EQ(output.getLength(), 1023);
  EXPECT_EQ(rc, 0);
}

TEST_F(OrvUtilTest, GetCmdStrOutputLimits) {
  struct Case {
    const char* command;
    int maxLength;
    std::string output;
  };
  const std::string twoHundred(200, '7');
  const std::vector<Case> cases = {
      {"/bin/echo hi", 80, "hi"},
      {"/usr/bin/printf '%0200d' 0", 80, std::string(79, '0')},
      {"/usr/bin/printf 'a\\n\\n'", 80, "a\n"},
      {"/usr/bin/printf 'a\\nb\\n'", 256, "a\nb"},
      {"/bin/true", 80, ""},
      {"/bin/echo hi", 1, ""},
      {"/usr/bin/printf '%03000d' 0", 5000, std::string(1023, '0')},
      {"/bin/sh -c 'echo out; exit 9'", 80, "out"},
  };
  orv_test::freshLogger(false);
  for (const Case& c : cases) {
    OrvString output("previous");
    EXPECT_EQ(OrvUtil::getCmdStrOutput(OrvString(c.command), output, c.maxLength), 1) << c.command;
    EXPECT_EQ(std::string(output.getValue()), c.output) << c.command;
  }
  OrvString output("previous");
  std::string out = captured(
      [&] { EXPECT_EQ(OrvUtil::getCmdStrOutput(OrvString("/no/prog -x"), output, 80), 0); });
  EXPECT_TRUE(has(out, "Error: File [/no/prog] not found or does not have execute permissions."));
  EXPECT_STREQ(output.getValue(), "previous");
}

class WrapperTest : public OrvUtilTest {
 protected:
  void SetUp() override {
    // The wrapper prints its second argument and exits with its third.
    wrapper_ = dir_.write("wrapper", "#!/bin/sh\nprintf '%s' \"$2\"\nexit \"$3\"\n");
    chmod(wrapper_.c_str(), 0755);
    work_ = dir_.file("work");
    mkdir(work_.c_str(), 0700);
  }
  TempDir dir_;
  std::string wrapper_;
  std::string work_;
};

TEST_F(WrapperTest, ExitCodesAndMarkers) {
  struct Case {
    const char* arguments;
    int result;
    int rc;
    const char* message;  // expected in the log, or nullptr
  };
  const std::vector<Case> cases = {
      {"'fine' 0", 1, 0, nullptr},
      {"'fine' 3", 1, 3, nullptr},
      {"'some other text' 255", 1, 255, nullptr},
      {"'qelixcmd_arg_error' 255", 0, 255, "Error: Invalid arguments passed to the Orvanta binary."},
      {"'qelixcmd_arg_error' 2", 1, 2, nullptr},
      {"'qelixcmd_arg_error and more' 255", 1, 255, nullptr},
      {"'qelixcmd_env_error ORV_HOME /opt/x' 255", 0, 255,
       "Error: Could not set environment variable [ORV_HOME] with value [/opt/x]"},
  };
  orv_test::freshLogger(false);
  for (const Case& c : cases) {
    int rc = -5;
    int result = -1;
    std::string out = captured([&] {
      result = OrvUtil::runShCmdRcOnly(OrvString(wrapper_.c_str()), OrvString(c.arguments),
                                       OrvString(work_.c_str()), OrvString("/bin/true"), &rc);
    });
    EXPECT_EQ(result, c.result) << c.arguments;
    EXPECT_EQ(rc, c.rc) << c.arguments;
    if (c.message) {
      EXPECT_TRUE(has(out, c.message)) << c.arguments << ": " << out;
    }
    EXPECT_EQ(orv_test::entriesIn(work_), 0) << "temporary output file left by " << c.arguments;
  }
}

TEST_F(WrapperTest, RefusesMissingProgramsAndLeavesNoTempFile) {
  orv_test::freshLogger(false);
  struct Case {
    std::string wrapper;
    const char* command;
    const char* named;
  };
  const std::vector<Case> cases = {
      {wrapper_, "/no/cmd arg", "/no/cmd"},
      {dir_.file("no-wrapper"), "/bin/true", nullptr},
  };
  for (const Case& c : cases) {
    int rc = -5;
    std::string out = captured([&] {
      EXPECT_EQ(OrvUtil::runShCmdRcOnly(OrvString(c.wrapper.c_str()), OrvString("x 0"),
                                        OrvString(work_.c_str()), OrvString(c.command), &rc),
                0);
    });
    std::string named = c.named ? c.named : c.wrapper;
    EXPECT_TRUE(has(out, "Error: Either the file [" + named +
                             "] is not found or does not have execute permissions."))
        << out;
    EXPECT_EQ(rc, -5);
    EXPECT_EQ(orv_test::entriesIn(work_), 0) << "temporary output file left behind";
  }
}

}  // namespace
