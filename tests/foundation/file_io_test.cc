#include "foundation/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

namespace {

using orv_test::TempDir;

TEST(OrvInFile, MissingFileIsNotGood) {
  TempDir dir;
  OrvInFile in(dir.file("missing").c_str(), 1);
  EXPECT_EQ(in.isGood(), 0);
  EXPECT_TRUE(in.endOfFile());
  OrvString line("untouched");
  EXPECT_EQ(in.getNextLine(line), 0);
  EXPECT_STREQ(line.getValue(), "untouched");
  int size = 0;
  EXPECT_EQ(in.fileRead(line, size), 0);
  EXPECT_STREQ(in.getFileName().getValue(), dir.file("missing").c_str());
}

TEST(OrvInFile, LineReadingFollowsTheStreamEndOfFileRule) {
  const std::string longLine = std::string(2999, 'L') + "\n";
  struct Case {
    std::string content;
    std::vector<std::string> lines;  // every line returned with result 1
  };
  const std::vector<Case> cases = {
      {"a\nb\n", {"a\n", "b\n", ""}},
      {"a\nb", {"a\n", "b"}},
      {"", {""}},
      {"\n", {"\n", ""}},
      {"x\r\n", {"x\r\n", ""}},
      {longLine, {std::string(1023, 'L'), std::string(1023, 'L'), std::string(953, 'L') + "\n", ""}},
      {std::string(1023, 'e'), {std::string(1023, 'e'), ""}},
  };
  for (const Case& c : cases) {
    TempDir dir;
    OrvInFile in(OrvString(dir.write("f", c.content).c_str()), 1);
    ASSERT_EQ(in.isGood(), 1);
    OrvString line;
    for (size_t i = 0; i < c.lines.size(); ++i) {
      EXPECT_EQ(in.getNextLine(line), 1) << "line " << i << " of a " << c.content.size() << "-byte file";
      EXPECT_EQ(std::string(line.getValue()), c.lines[i]) << "line " << i;
    }
    EXPECT_TRUE(in.endOfFile());
    line = "kept";
    EXPECT_EQ(in.getNextLine(line), 0);
    EXPECT_STREQ(line.getValue(), "kept");
  }
}

TEST(OrvInFile, FileReadWholeOrPart) {
  struct Case {
    std::string content;
    int sizeIn;
    int result;
    std::string text;
    int sizeOut;
  };
  const std::vector<Case> cases = {
      {"", 0, 1, "", 0},
      {"hello\nworld\n", 0, 1, "hello\nworld\n", 12},
      {"hello", 3, 1, "hel", 3},
      {"hi", 10, 1, "hi", 2},
      {std::string("ab\0cd", 5), 0, 1, "ab", 5},
  };
  for (const Case& c : cases) {
    TempDir dir;
    OrvInFile in(dir.write("f", c.content).c_str(), 1);
    OrvString text("before");
    int size = c.sizeIn;
    EXPECT_EQ(in.fileRead(text, size), c.result);
    EXPECT_EQ(std::string(text.getValue()), c.text);
    EXPECT_EQ(size, c.sizeOut);
  }
}

TEST(OrvOutFile, TruncateOrAppend) {
  TempDir dir;
  std::string path = dir.write("out", "old\n");
  {
    OrvOutFile out(path.c_str(), 1, 0);
    ASSERT_EQ(out.isGood(), 1);
    int written = -5;
    EXPECT_EQ(out.fileWrite(OrvString("more\n"), written), 1);
    EXPECT_EQ(written, 5);
  }
  EXPECT_EQ(orv_test::readAll(path), "old\nmore\n");
  {
    OrvOutFile out(OrvString(path.c_str()), 0, 0);
    ASSERT_EQ(out.isGood(), 1);
  }
  EXPECT_EQ(orv_test::readAll(path), "");
}

TEST(OrvOutFile, NewFileModeAndUnopenableFile) {
  TempDir dir;
  mode_t old = umask(022);
  std::string path = dir.file("new");
  {
    OrvOutFile out(path.c_str(), 0, 0);
    int written = 0;
    EXPECT_EQ(out.fileWrite(OrvString("x"), written), 1);
  }
  umask(old);
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);

  OrvOutFile bad(dir.file("no/such/dir/file").c_str(), 0, 0);
  EXPECT_EQ(bad.isGood(), 0);
  int written = 99;
  EXPECT_EQ(bad.fileWrite(OrvString("x"), written), 0);
  EXPECT_EQ(written, 99);
}

}  // namespace
