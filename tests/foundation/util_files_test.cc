#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <string>
#include <vector>

#include "foundation/temp_files.h"
#include "foundation/util.h"
#include "test_support.h"

namespace {

using orv_test::TempDir;

class OrvUtilFiles : public ::testing::Test {
 protected:
  void TearDown() override {
    unsetenv("DATAREP_DEBUG");
    orv_test::dropLogger();
  }
};

bool isDir(const std::string& p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

TEST_F(OrvUtilFiles, CreateTempFileMakesMissingDirectoryAndUniqueEmptyFiles) {
  TempDir dir;
  struct Case {
    std::string directory;
    std::string expectedPrefix;
  };
  const std::vector<Case> cases = {
      {dir.file("x"), dir.file("x") + "/orv"},
      {dir.file("y") + "/", dir.file("y") + "/orv"},
      {dir.file("deep/er/dir"), dir.file("deep/er/dir") + "/orv"},
  };
  orv_test::freshLogger(false);
  for (const Case& c : cases) {
    OrvString first, second;
    ASSERT_EQ(OrvUtil::createTempFile(OrvString(c.directory.c_str()), OrvString("orv"), first), 1);
    ASSERT_EQ(OrvUtil::createTempFile(OrvString(c.directory.c_str()), OrvString("orv"), second), 1);
    std::string p = first.getValue();
    EXPECT_EQ(p.substr(0, c.expectedPrefix.size()), c.expectedPrefix) << p;
    EXPECT_EQ(p.size(), c.expectedPrefix.size() + 6) << p;
    EXPECT_NE(first, second);
    struct stat st;
    ASSERT_EQ(stat(p.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_size, 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
  }
}

TEST_F(OrvUtilFiles, CreateTempFileFailures) {
  TempDir dir;
  std::string blocker = dir.write("plain", "not a directory");
  orv_test::freshLogger(false);
  OrvString path("previous");
  testing::internal::CaptureStdout();
  EXPECT_EQ(OrvUtil::createTempFile(OrvString((blocker + "/sub").c_str()), OrvString("orv"), path), 0);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_STREQ(path.getValue(), "");
  EXPECT_NE(out.find("Error: Could not create temporary directory [" + blocker + "/sub]"),
            std::string::npos)
      << out;

  // The directory exists but is a file: mkstemp itself fails.
  path = "previous";
  testing::internal::CaptureStdout();
  EXPECT_EQ(OrvUtil::createTempFile(OrvString(blocker.c_str()), OrvString("p"), path), 0);
  out = testing::internal::GetCapturedStdout();
  EXPECT_STREQ(path.getValue(), "");
  EXPECT_NE(out.find("Error: Could not generate a temporary file name [" + blocker + "/pXXXXXX]"),
            std::string::npos)
      << out;
}

// One output file serves a run's commands: after each, it holds that
// command's output only, whether it is longer or shorter than the last.
TEST_F(OrvUtilFiles, ReusedOutputFileHoldsTheLastOutputOnly) {
  TempDir dir;
  orv_test::freshLogger(false);
  OrvString path;
  ASSERT_EQ(OrvUtil::createTempFile(OrvString(dir.file("run").c_str()), OrvString("orv"), path), 1);
  const int fd = orv_temp::descriptorOf(path.getValue());
  ASSERT_GE(fd, 0);
  for (const std::string output :
       {"Remote Copy System Information\nline two\n", "short\n", "short\n", "",
        "an output longer than every one before it\n", "x"}) {
    ASSERT_TRUE(orv_temp::rewind(fd));
    ASSERT_TRUE(orv_temp::writeAll(fd, output));
    ASSERT_TRUE(orv_temp::endHere(fd));
    std::string content;
    ASSERT_TRUE(orv_temp::readAll(fd, content));
    EXPECT_EQ(content, output);
  }
  OrvUtil::OrvUnlink(path.getValue());
}

TEST_F(OrvUtilFiles, CreateDirCreatesEveryMissingParent) {
  TempDir dir;
  std::string plain = dir.write("plain", "x");
  struct Case {
    std::string path;
    int result;
    std::vector<std::string> dirs;  // must exist afterwards
  };
  std::string component(100, 'c');
  std::string at511 = dir.path();
  while (at511.size() + 1 + component.size() <= 511) at511 += "/" + component;
  at511 += "/" + std::string(511 - at511.size() - 1, 'e');
  const std::vector<Case> cases = {
      {dir.file("a/b/c/"), 1, {dir.file("a"), dir.file("a/b"), dir.file("a/b/c")}},
      {dir.file("a/b"), 1, {dir.file("a/b")}},
      {dir.path(), 1, {dir.path()}},
      {plain + "/sub", 0, {}},
      {at511, 1, {at511}},
  };
  mode_t oldMask = umask(0);
  for (const Case& c : cases) {
    EXPECT_EQ(OrvUtil::createDir(c.path.c_str()), c.result) << c.path;
    for (const std::string& d : c.dirs) EXPECT_TRUE(isDir(d)) << d;
  }
  umask(oldMask);
  struct stat made;
  ASSERT_EQ(stat(dir.file("a/b").c_str(), &made), 0);
  EXPECT_EQ(made.st_mode & 0777, 0755u);  // not group-writable
  EXPECT_EQ(at511.size(), 511u);
  std::string tooLong = at511 + "f";
  EXPECT_EQ(OrvUtil::createDir(tooLong.c_str()), 0);
  EXPECT_FALSE(isDir(tooLong));
  EXPECT_EQ(OrvUtil::createDir(nullptr), 0);
}

TEST_F(OrvUtilFiles, UnlinkAlwaysSucceedsAndReportsFailuresAsDebug) {
  TempDir dir;
  std::string file = dir.write("gone", "x");
  orv_test::freshLogger(true);
  testing::internal::CaptureStdout();
  EXPECT_EQ(OrvUtil::OrvUnlink(file.c_str()), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(access(file.c_str(), F_OK), -1);

  testing::internal::CaptureStdout();
  EXPECT_EQ(OrvUtil::OrvUnlink(file.c_str()), 1);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("DELETE file: " + file + " could not be deleted, errno = ENOENT\n"),
            std::string::npos)
      << out;

  // A directory cannot be unlinked: reported with its errno number.
  testing::internal::CaptureStdout();
  EXPECT_EQ(OrvUtil::OrvUnlink(dir.path().c_str()), 1);
  out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("DELETE file: " + dir.path() + " could not be deleted, errno = "),
            std::string::npos);
  EXPECT_TRUE(isDir(dir.path()));

  orv_test::freshLogger(false);
  testing::internal::CaptureStdout();
  EXPECT_EQ(OrvUtil::OrvUnlink(file.c_str()), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(OrvUtilFiles, ReadFileWholeWithLineFeeds) {
  TempDir dir;
  const std::string longLine = std::string(3000, 'w') + "\n";
  struct Case {
    std::string content;
  };
  const std::vector<Case> cases = {
      {"first\nsecond\n"}, {"no final line feed"}, {""}, {longLine + "tail\n"}, {"\n\n\n"},
  };
  orv_test::freshLogger(false);
  for (const Case& c : cases) {
    std::string path = dir.write("f", c.content);
    OrvString content("previous");
    EXPECT_EQ(OrvUtil::orvReadFile(OrvString(path.c_str()), content, 1), 1);
    EXPECT_EQ(std::string(content.getValue()), c.content);
  }
}

TEST_F(OrvUtilFiles, ReadFileMissingIsVerboseOnlyWhenAsked) {
  TempDir dir;
  std::string missing = dir.file("missing");
  orv_test::freshLogger(false);
  for (int verbose : {0, 1}) {
    OrvString content("previous");
    testing::internal::CaptureStdout();
    EXPECT_EQ(OrvUtil::orvReadFile(OrvString(missing.c_str()), content, verbose), 0);
    std::string out = testing::internal::GetCapturedStdout();
    bool logged = out.find("Error: Could not open the file [" + missing + "]") != std::string::npos;
    EXPECT_EQ(logged, verbose == 1) << out;
    EXPECT_STREQ(content.getValue(), "previous");
  }
}

TEST_F(OrvUtilFiles, FileChecks) {
  TempDir dir;
  std::string plain = dir.write("plain", "x");
  std::string script = dir.write("script", "#!/bin/sh\n");
  chmod(script.c_str(), 0755);
  chmod(plain.c_str(), 0644);
  std::string missing = dir.file("missing");
  struct Case {
    const char* path;
    int executable;
    int exists;
  };
  const std::vector<Case> cases = {
      {"/bin/sh", 1, 1},
      {script.c_str(), 1, 1},
      {missing.c_str(), 0, 0},
      {nullptr, 0, 0},
      {"", 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OrvUtil::checkExecutable(c.path), c.executable) << (c.path ? c.path : "(null)");
    EXPECT_EQ(OrvUtil::checkFile(c.path), c.exists) << (c.path ? c.path : "(null)");
  }
  EXPECT_EQ(OrvUtil::checkFile(plain.c_str()), 1);
  if (geteuid() != 0) {
    EXPECT_EQ(OrvUtil::checkExecutable(plain.c_str()), 0);
  }
}

TEST_F(OrvUtilFiles, IsNumeric) {
  struct Case {
    const char* text;
    int numeric;
  };
  const std::vector<Case> cases = {
      {"", 1}, {"0", 1}, {"123456", 1}, {"-5", 0}, {"12a", 0}, {" 1", 0}, {"1.0", 0}, {nullptr, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(OrvUtil::isNumeric(c.text), c.numeric) << (c.text ? c.text : "(null)");
}

TEST_F(OrvUtilFiles, RandStaysInRangeAndRepeatsWithinASecond) {
  for (int n : {1, 2, 7, 100, 100000}) {
    for (int i = 0; i < 20; ++i) {
      int r = OrvUtil::Rand(n);
      EXPECT_TRUE((r >= 1 && r <= n) || r == n / 2) << "Rand(" << n << ") = " << r;
    }
  }
  int a = 0, b = 0;
  time_t before, after;
  do {
    before = time(nullptr);
    a = OrvUtil::Rand(1000000);
    b = OrvUtil::Rand(1000000);
    after = time(nullptr);
  } while (before != after);
  EXPECT_EQ(a, b);
}

}  // namespace
