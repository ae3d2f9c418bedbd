#include "objectdb/attribute_source.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/objectdb/test_support.h"

namespace {

struct ResetSource {
  ~ResetSource() { orv_attributes::reset(); }
};

TEST(AttributeSourceTest, UnsafeFilesAreRefusedBeforeAnythingIsRead) {
  struct Case {
    const char* setUp;  // shell commands in the fresh directory, which holds "a"
    const char* path;   // relative to it
    const char* refusal;  // '' : accepted
  } cases[] = {
      {":", "a", ""},
      {"ln -s a l", "l", "is a symbolic link"},
      {"chmod 620 a", "a", "is writable by group or others"},
      {"mkdir -m 1777 pub && cp a pub/a", "pub/a", "which group or others may write"},
      {"ln a b", "b", "has more than one name"},
      {"mkdir -m 700 sub", "sub", "is neither a regular file"},
      {"chown 65534 a", "a", "is not owned by root"},
      {":", "none", "cannot be opened"},
  };
  for (const Case& c : cases) {
    if (geteuid() != 0 && std::string(c.setUp).find("chown") == 0) continue;
    ResetSource reset;
    TempDir dir;
    dir.write("a", "X\n");
    const std::string setUp = "cd '" + dir.path() + "' && " + c.setUp;
    ASSERT_EQ(0, system(setUp.c_str())) << setUp;
    const std::string path = dir.file(c.path);
    std::string why;
    const int ok = orv_attributes::useFile(path, why);
    EXPECT_EQ(c.refusal[0] == '\0', ok == 1) << c.setUp << ": " << why;
    EXPECT_EQ(ok == 1, orv_attributes::fromFile()) << c.setUp;
    const std::string seen = ok ? orv_attributes::text() : why.substr(0, path.size() + 25);
    EXPECT_EQ(ok ? "X\n" : "Error: Attribute file [" + path + "] ", seen);
    EXPECT_NE(std::string::npos, why.find(c.refusal)) << c.setUp << ": " << why;
  }
}

TEST(AttributeSourceTest, LeadingOptionsAreTakenOffTheArguments) {
  struct Case {
    std::vector<std::string> args;
    int ok;
    std::vector<std::string> rest;
    const char* node;
    const char* why;
  } cases[] = {
      {{"p", "--node", "nodea1.site", "pkg"}, 1, {"p", "pkg"}, "nodea1", ""},
      {{"p", "pkg", "--node", "x"}, 1, {"p", "pkg", "--node", "x"}, "", ""},
      {{"p", "--node"}, 0, {}, "", "needs a node name"},
      {{"p", "--node", "a", "--node", "b", "pkg"}, 0, {}, "", "is given twice"},
      {{"p", "--node", "a;b", "pkg"}, 0, {}, "", "is not a host name"},
      {{"p", "--attributes"}, 0, {}, "", "needs a file name"},
  };
  for (const Case& c : cases) {
    ResetSource reset;
    std::vector<char*> argv;
    std::vector<std::string> args = c.args;
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    int argc = static_cast<int>(args.size());
    std::string why;
    EXPECT_EQ(c.ok, orv_attributes::takeOptions(argc, argv.data(), why)) << c.args[1];
    EXPECT_NE(std::string::npos, why.find(c.why)) << why;
    if (!c.ok) continue;
    EXPECT_EQ(c.rest, std::vector<std::string>(argv.begin(), argv.begin() + argc));
    EXPECT_EQ(nullptr, argv[argc]);
    EXPECT_EQ(c.node, orv_attributes::nodeName());
  }
}

}  // namespace
