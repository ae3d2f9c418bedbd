// The mail file lies in a world-writable directory: whatever was planted at
// its name must be refused and left as it was.

#include "rcwatch/mail_file.h"

#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

class MailFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/rcwatch_mailXXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    dir_ = templ;
    path_ = dir_ + "/tmpccemail.txt";
    victim_ = dir_ + "/victim";
  }
  void TearDown() override {
    std::string command = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(system(command.c_str()), 0);
  }
  static std::string read(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void write(const std::string& path, const std::string& text) {
    std::ofstream out(path);
    out << text;
  }
  // Opens, writes text and closes; errno of a refusal, else 0.
  int writeThrough(const std::string& text) {
    errno = 0;
    FILE* f = orv_mail::openMailFile(path_.c_str());
    if (f == nullptr) return errno == 0 ? -1 : errno;
    fputs(text.c_str(), f);
    fclose(f);
    return 0;
  }

  std::string dir_, path_, victim_;
};

TEST_F(MailFileTest, CreatesPrivateFile) {
  ASSERT_EQ(writeThrough("hello"), 0);
  struct stat st;
  ASSERT_EQ(lstat(path_.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(read(path_), "hello");
}

TEST_F(MailFileTest, OwnLeftoverIsTruncatedAndReused) {
  ASSERT_EQ(writeThrough("a long first notification"), 0);
  ASSERT_EQ(writeThrough("short"), 0);
  EXPECT_EQ(read(path_), "short");
}

TEST_F(MailFileTest, PlantedSymlinkIsNotFollowed) {
  write(victim_, "precious");
  ASSERT_EQ(symlink(victim_.c_str(), path_.c_str()), 0);
  EXPECT_EQ(writeThrough("attack"), ELOOP);
  EXPECT_EQ(read(victim_), "precious");
}

TEST_F(MailFileTest, DanglingSymlinkCreatesNothing) {
  ASSERT_EQ(symlink(victim_.c_str(), path_.c_str()), 0);
  EXPECT_EQ(writeThrough("attack"), ELOOP);
  EXPECT_NE(access(victim_.c_str(), F_OK), 0);
}

TEST_F(MailFileTest, PlantedHardLinkIsRefused) {
  write(victim_, "precious");
  ASSERT_EQ(link(victim_.c_str(), path_.c_str()), 0);
  EXPECT_EQ(writeThrough("attack"), EPERM);
  EXPECT_EQ(read(victim_), "precious");
}

TEST_F(MailFileTest, FifoIsRefusedWithoutBlocking) {
  ASSERT_EQ(mkfifo(path_.c_str(), 0666), 0);
  int e = writeThrough("attack");
  // No reader: the open fails at once; with a reader it would be refused.
  EXPECT_TRUE(e == ENXIO || e == EPERM) << e;
}

TEST_F(MailFileTest, DirectoryIsRefused) {
  ASSERT_EQ(mkdir(path_.c_str(), 0755), 0);
  EXPECT_NE(writeThrough("attack"), 0);
}

TEST_F(MailFileTest, FileOfAnotherUserIsRefused) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to plant a file of another owner";
  write(path_, "theirs");
  ASSERT_EQ(chown(path_.c_str(), 65534, 65534), 0);
  EXPECT_EQ(writeThrough("attack"), EPERM);
  EXPECT_EQ(read(path_), "theirs");
}

}  // namespace
