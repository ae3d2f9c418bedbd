#include "objectdb/attribute_source.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "objectdb/orv_object_db.h"
#include "tests/objectdb/test_support.h"

namespace {

struct ResetSource {
  ~ResetSource() { orv_attributes::reset(); }
};

TEST(AttributeSourceTest, UnsafeFilesAreRefusedBeforeAnythingIsRead) {
  struct Case {
    const char* what;
    std::function<std::string(const TempDir&)> make;  // the path to give
    const char* refusal;                               // '' : accepted
  } cases[] = {
      {"root's file", [](const TempDir& d) { d.write("a", "X\n"); return d.file("a"); }, ""},
      {"symbolic link",
       [](const TempDir& d) {
         d.write("a", "X\n");
         EXPECT_EQ(0, symlink(d.file("a").c_str(), d.file("l").c_str()));
         return d.file("l");
       },
       "is a symbolic link"},
      {"group-writable",
       [](const TempDir& d) {
         d.write("a", "X\n");
         chmod(d.file("a").c_str(), 0620);
         return d.file("a");
       },
       "is writable by group or others"},
      {"directory others write",
       [](const TempDir& d) {
         mkdir(d.file("pub").c_str(), 0777);
         chmod(d.file("pub").c_str(), 01777);
         d.write("pub/a", "X\n");
         return d.file("pub/a");
       },
       "which group or others may write"},
      {"hard link",
       [](const TempDir& d) {
         d.write("a", "X\n");
         EXPECT_EQ(0, link(d.file("a").c_str(), d.file("b").c_str()));
         return d.file("b");
       },
       "has more than one name"},
      {"directory",
       [](const TempDir& d) {
         mkdir(d.file("sub").c_str(), 0700);
         return d.file("sub");
       },
       "is neither a regular file"},
      {"missing", [](const TempDir& d) { return d.file("none"); }, "cannot be opened"},
  };
  for (const Case& c : cases) {
    ResetSource reset;
    TempDir dir;
    const std::string path = c.make(dir);
    std::string why;
    const int ok = orv_attributes::useFile(path, why);
    if (c.refusal[0] == '\0') {
      EXPECT_EQ(1, ok) << c.what << ": " << why;
      EXPECT_EQ("X\n", orv_attributes::text()) << c.what;
    } else {
      EXPECT_EQ(0, ok) << c.what;
      EXPECT_NE(std::string::npos, why.find(c.refusal)) << c.what << ": " << why;
      EXPECT_NE(std::string::npos, why.find(path)) << c.what << ": " << why;
      EXPECT_FALSE(orv_attributes::fromFile()) << c.what;
    }
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

// The file's lines take the cluster manager's place in the whole load:
// the same filter, the package directory from its VKR_PKG_DIR line.
TEST(AttributeSourceTest, TheLoaderReadsTheFileThroughTheSameFilter) {
  ResetSource reset;
  TempDir dir;
  dir.write("attrs", "VKR_PKG_DIR=\"" + dir.path() +
                         "\"\nRCVEXA_CLUSTER_TYPE=x\nRCVEXA_DC1_NODE_LIST=\"n1.a n2\"\n"
                         "RCVEXA_RESYNC_WAIT_TIMEOUT=NO_TIMEOUT\nEMAIL_ID=\"a@b\"\n");
  std::string why;
  ASSERT_EQ(1, orv_attributes::useFile(dir.file("attrs"), why)) << why;
  OrvObjectDb db;
  const std::string log = capturedLog([&] { EXPECT_EQ(1, db.loadUserConfig("pkg1")); });
  EXPECT_EQ(std::string::npos, log.find("rror")) << log;
  db.updateValuesByContext("ORV");
  OrvString text;
  EXPECT_TRUE(db.getStrValByName("VKR_PKG_DIR", text, 0));
  EXPECT_EQ(dir.path(), text.getValue());
  int wait = 0;
  EXPECT_TRUE(db.getIntValByName("RESYNC_WAIT_TIMEOUT", wait));
  EXPECT_EQ(-1, wait);
  OrvObject* nodes = nullptr;
  ASSERT_TRUE(db.getObjectByName("DC1_NODE_LIST", nodes, 0));
  EXPECT_TRUE(nodes->contains("n1") && nodes->contains("n2"));

  // A misspelt name stops the load as it does for the cluster manager's.
  dir.write("bad", "VKR_PKG_DIR=/srv\nRCVEXA_DC1_NODE_LST=n1\n");
  chmod(dir.file("bad").c_str(), 0600);
  ASSERT_EQ(1, orv_attributes::useFile(dir.file("bad"), why)) << why;
  OrvObjectDb refused;
  const std::string badLog = capturedLog([&] { EXPECT_EQ(0, refused.loadUserConfig("pkg1")); });
  EXPECT_NE(std::string::npos, badLog.find("Error: Object name [DC1_NODE_LST] not found")) << badLog;
}

}  // namespace
