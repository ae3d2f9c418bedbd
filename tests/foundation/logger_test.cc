#include "foundation/logger.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <ctime>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using orv_test::freshLogger;

std::string hostName() {
  char buf[65] = {0};
  if (gethostname(buf, 64) != 0) return "Unknown";
  return buf;
}

// Shape of a "%b %d %X" stamp in the C locale: 'Dec 08 04:38:06'.
bool isStamp(const std::string& t) {
  if (t.size() != 15) return false;
  const char* shape = "Aaa 00 00:00:00";
  for (size_t i = 0; i < t.size(); ++i) {
    char c = t[i], want = shape[i];
    bool ok = want == 'A'   ? (c >= 'A' && c <= 'Z')
              : want == 'a' ? (c >= 'a' && c <= 'z')
              : want == '0' ? (c >= '0' && c <= '9')
                            : c == want;
    if (!ok) return false;
  }
  return true;
}

std::string today() {
  char buf[16];
  time_t now = time(nullptr);
  struct tm local;
  localtime_r(&now, &local);
  strftime(buf, sizeof(buf), "%b %d", &local);
  return buf;
}

// Checks one whole logger line: optional "DEBUG ", stamp, node, message.
::testing::AssertionResult isLogLine(const std::string& line, bool debug, const std::string& message) {
  std::string prefix = debug ? "DEBUG " : "";
  std::string tail = " - Node " + hostName() + " : " + message + "\n";
  if (line.size() != prefix.size() + 15 + tail.size() || line.compare(0, prefix.size(), prefix) != 0)
    return ::testing::AssertionFailure() << "[" << line << "]";
  std::string stamp = line.substr(prefix.size(), 15);
  if (!isStamp(stamp) || stamp.compare(0, 6, today()) != 0)
    return ::testing::AssertionFailure() << "stamp [" << stamp << "]";
  if (line.compare(prefix.size() + 15, std::string::npos, tail) != 0)
    return ::testing::AssertionFailure() << "[" << line << "]";
  return ::testing::AssertionSuccess();
}

// Splits captured output after each line feed.
std::vector<std::string> lines(const std::string& out) {
  std::vector<std::string> result;
  size_t start = 0;
  for (size_t nl; (nl = out.find('\n', start)) != std::string::npos; start = nl + 1)
    result.push_back(out.substr(start, nl - start + 1));
  if (start < out.size()) result.push_back(out.substr(start));
  return result;
}

class LoggerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    unsetenv("DATAREP_DEBUG");
    orv_test::dropLogger();
  }
};

TEST_F(LoggerTest, NormalLineFormat) {
  Logger* log = freshLogger(false);
  testing::internal::CaptureStdout();
  log->log("Error: value [%s] refused (%d)", "x y", 7);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(isLogLine(out, false, "Error: value [x y] refused (7)"));
}

TEST_F(LoggerTest, DebugLinesFollowTheEnvironmentAtCreation) {
  struct Case {
    const char* env;  // nullptr: unset
    bool written;
  };
  const std::vector<Case> cases = {{nullptr, false}, {"", true}, {"1", true}, {"no", true}};
  for (const Case& c : cases) {
    orv_test::dropLogger();
    if (c.env) {
      setenv("DATAREP_DEBUG", c.env, 1);
    } else {
      unsetenv("DATAREP_DEBUG");
    }
    Logger* log = Logger::getInstance();
    testing::internal::CaptureStdout();
    log->logDebug("probe %d", 1);
    log->logDebug(LOG_FILE, "fixed");
    std::string out = testing::internal::GetCapturedStdout();
    if (c.written) {
      std::vector<std::string> got = lines(out);
      ASSERT_EQ(got.size(), 2u) << out;
      EXPECT_TRUE(isLogLine(got[0], true, "probe 1"));
      EXPECT_TRUE(isLogLine(got[1], true, "fixed"));
    } else {
      EXPECT_EQ(out, "");
    }
  }
}

TEST_F(LoggerTest, DebugSwitchIsSampledOncePerInstance) {
  Logger* log = freshLogger(false);
  setenv("DATAREP_DEBUG", "1", 1);
  testing::internal::CaptureStdout();
  log->logDebug("hidden");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  orv_test::dropLogger();
  testing::internal::CaptureStdout();
  Logger::getInstance()->logDebug("shown");
  EXPECT_NE(testing::internal::GetCapturedStdout().find(" : shown\n"), std::string::npos);
}

TEST_F(LoggerTest, OutputSelection) {
  struct Case {
    int selection;
    int after;  // selection in force afterwards (start is LOG_FILE)
    bool refusedMessage;
  };
  const std::vector<Case> cases = {
      {0, 0, false}, {1, 1, false}, {2, 2, false}, {3, 3, false},
      {4, 1, true},  {-1, 1, true}, {8, 1, true},  {7, 1, true},
  };
  for (const Case& c : cases) {
    Logger* log = freshLogger(true);
    testing::internal::CaptureStdout();
    log->setOutput(c.selection);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log->getOutput(), c.after) << "setOutput(" << c.selection << ")";
    EXPECT_EQ(out.find("Incorrect output device assigned") != std::string::npos, c.refusedMessage)
        << "setOutput(" << c.selection << "): " << out;
  }
  Logger* quiet = freshLogger(false);
  testing::internal::CaptureStdout();
  quiet->setOutput(9);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(LoggerTest, OutputZeroAndSyslogOnlyKeepStdoutSilent) {
  Logger* log = freshLogger(true);
  for (int selection : {0, SYS_FILE}) {
    log->setOutput(selection);
    testing::internal::CaptureStdout();
    log->log("silent %d", selection);
    log->logDebug("silent debug");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "selection " << selection;
  }
}

TEST_F(LoggerTest, FixedTextIsLiteralAndSelectionIsRestored) {
  Logger* log = freshLogger(false);
  log->setOutput(0);
  testing::internal::CaptureStdout();
  log->log(LOG_FILE, "100% done %s %d");
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find(" : 100% done %s %d\n"), std::string::npos) << out;
  EXPECT_EQ(log->getOutput(), 0);
}

TEST_F(LoggerTest, LongMessagesAreNotCutOnStdout) {
  Logger* log = freshLogger(false);
  std::string big(5000, 'm');
  testing::internal::CaptureStdout();
  log->log("%s|", big.c_str());
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find(" : " + big + "|\n"), std::string::npos);
}

TEST_F(LoggerTest, InstanceLifecycleAndReferenceCounting) {
  orv_test::dropLogger();
  Logger* first = Logger::getInstance();
  EXPECT_EQ(Logger::getInstance(), first);

  Logger* holder = first;
  EXPECT_EQ(Logger::createInstance(), first);  // second reference
  EXPECT_EQ(Logger::removeInstance(&holder), 1);
  EXPECT_EQ(holder, nullptr);
  EXPECT_EQ(Logger::getInstance(), first) << "one reference remains";

  setenv("DATAREP_DEBUG", "", 1);
  holder = first;
  EXPECT_EQ(Logger::removeInstance(&holder), 1);  // last one: destroyed
  EXPECT_EQ(Logger::removeInstance(&holder), 0);  // nothing left
  Logger* fresh = Logger::getInstance();
  EXPECT_TRUE(fresh->isDebug()) << "a rebuilt logger re-reads DATAREP_DEBUG";
}

}  // namespace
