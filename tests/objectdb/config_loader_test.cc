#include <gtest/gtest.h>
#include <stdlib.h>

#include <sstream>
#include <string>
#include <vector>

#include "foundation/util.h"
#include "objectdb/attribute_source.h"
#include "objectdb/config_commands.h"
#include "objectdb/orv_object_db.h"
#include "tests/objectdb/test_support.h"

namespace {

bool logged(const std::string& log, const std::string& text) {
  return log.find(" : " + text + "\n") != std::string::npos;
}

// The printed value of the named object after the "ORV" context was
// activated ("" when unset); lists print as a,b,c.
std::string activated(OrvObjectDb& db, const char* name) {
  db.updateValuesByContext("ORV");
  OrvObject* obj = nullptr;
  if (!db.getObjectByName(name, obj, 0) || obj->getValue() == nullptr) return "";
  std::ostringstream os;
  OrvList<OrvString> list;
  if (obj->getValue()->getValue(list)) {
    for (int i = 0; i < list.numObjects(); ++i) os << (i ? "," : "") << list[i]->data();
  } else {
    os << *obj->getValue();
  }
  return os.str();
}

int valueSetCount(OrvObjectDb& db, const char* name) {
  OrvObject* obj = nullptr;
  return db.getObjectByName(name, obj, 0) ? obj->getValueSet().numObjects() : -1;
}

const char kSample[] =
    "DC1_STORAGE_SYSTEM_USER admin\n"
    "DC1_STORAGE_SYSTEM_NAME arrayA\n"
    "DC2_STORAGE_SYSTEM_NAME\n"
    "# a comment line\n"
    "\n"
    "DC1_NODE_LIST node1.sitea node2\n"
    "DC2_NODE_LIST nodeC.siteb nodeD # spare\n"
    "DC1_RC_VOLUME_GROUP rcg one\n"
    "RESYNC_WAIT_TIMEOUT -1\n"
    "AUTO_NONCURDATA 1\n";

TEST(ConfigLoaderTest, ReadsTheExtractIntoTheOrvContext) {
  TempDir dir;
  OrvObjectDb db;
  std::string log;
  log = capturedLog([&] { EXPECT_EQ(db.loadConfigText(dir.path().c_str(), kSample), 1); });
  EXPECT_EQ(log.find("Error"), std::string::npos) << log;
  EXPECT_TRUE(dir.list().empty()) << "the extract never becomes a file";

  // Nothing is current before the context is activated.
  int n = 0;
  EXPECT_EQ(db.getIntValByName("RESYNC_WAIT_TIMEOUT", n), 1);
  EXPECT_EQ(n, 90);
  EXPECT_EQ(valueSetCount(db, "DC2_STORAGE_SYSTEM_NAME"), 0);  // empty value adds nothing

  // The start-up driver finds the context through PackageName.
  db.setStrValByName("PackageName", "pkg1");
  OrvObject* pkg = nullptr;
  ASSERT_TRUE(db.getObjectByName("PackageName", pkg, 1));
  OrvString context;
  ASSERT_EQ(pkg->findResourceGroup(context), 1);
  EXPECT_STREQ(context.getValue(), "ORV");

  EXPECT_EQ(activated(db, "RESYNC_WAIT_TIMEOUT"), "-1");  // taken without validation
  EXPECT_EQ(activated(db, "DC1_STORAGE_SYSTEM_USER"), "admin");
  EXPECT_EQ(activated(db, "DC1_STORAGE_SYSTEM_NAME"), "arrayA");
  EXPECT_EQ(activated(db, "DC1_NODE_LIST"), "node1,node2");
  EXPECT_EQ(activated(db, "DC2_NODE_LIST"), "nodeC,nodeD");
  EXPECT_EQ(activated(db, "DC1_RC_VOLUME_GROUP"), "rcg one");
  EXPECT_EQ(activated(db, "AUTO_NONCURDATA"), "1");
  EXPECT_EQ(activated(db, "VKR_PKG_DIR"), dir.path());
  EXPECT_EQ(activated(db, "PackageName"), "ORV");
  EXPECT_EQ(activated(db, "LogLevel"), "warning");  // not configured: keeps its default

  EXPECT_EQ(db.setApplicationStartup(), 1);
  EXPECT_EQ(activated(db, "ApplicationStartup"), "resyncwait");
  // Short names from the node lists match the node's short host name.
  EXPECT_EQ(db.getDataCenter("nodeC"), 0);
  EXPECT_EQ(activated(db, "StatusCurrentDC"), "B");
  EXPECT_EQ(db.getDataCenter("node1.sitea"), 1);
}

TEST(ConfigLoaderTest, UnknownAttributeEndsTheLoad) {
  TempDir dir;
  const char extract[] =
      "DC1_STORAGE_SYSTEM_NAME arrayA\n"
      "DC1_STORAGE_SYSTEM_NAM arrayB\n"
      "DC2_STORAGE_SYSTEM_NAME arrayC\n";
  OrvObjectDb db;
  const std::string log =
      capturedLog([&] { EXPECT_EQ(db.loadConfigText(dir.path().c_str(), extract), 0); });
  EXPECT_TRUE(logged(log, "Error: Object name [DC1_STORAGE_SYSTEM_NAM] not found ")) << log;
  EXPECT_EQ(valueSetCount(db, "DC1_STORAGE_SYSTEM_NAME"), 1);
  EXPECT_EQ(valueSetCount(db, "DC2_STORAGE_SYSTEM_NAME"), 0);
}

// An empty extract (no attribute printed) loads the two values of the
// context and nothing else; a file planted at the old extract's name is
// neither read nor removed.
TEST(ConfigLoaderTest, EmptyExtractAndPlantedDataFile) {
  TempDir dir;
  dir.write("config_data", "AUTO_NONCURDATA 1\n");
  OrvObjectDb db;
  capturedLog([&] { EXPECT_EQ(db.loadConfigText(dir.path().c_str(), ""), 1); });
  EXPECT_EQ(valueSetCount(db, "PackageName"), 1);
  EXPECT_EQ(valueSetCount(db, "AUTO_NONCURDATA"), 0);
  EXPECT_TRUE(dir.exists("config_data"));
}

TEST(ConfigLoaderTest, EmptyPackageDirIsRefusedBeforeAnyFileAccess) {
  OrvObjectDb db;
  const std::string log = capturedLog([&] { EXPECT_EQ(db.loadConfigText("", kSample), 0); });
  EXPECT_TRUE(logged(log, "Could not retrieve the package name details.")) << log;
  EXPECT_EQ(log.find("config_data"), std::string::npos) << log;
  EXPECT_EQ(valueSetCount(db, "PackageName"), 0);
  EXPECT_EQ(valueSetCount(db, "VKR_PKG_DIR"), 0);
}

TEST(ConfigLoaderTest, RepeatedNamesAndRepeatedLoads) {
  TempDir dir;
  OrvObjectDb db;
  capturedLog([&] {
    EXPECT_EQ(db.loadConfigText(dir.path().c_str(),
                                "RESYNC_WAIT_TIMEOUT 10\nRESYNC_WAIT_TIMEOUT 20\n"),
              1);
  });
  // No final line feed.
  capturedLog(
      [&] { EXPECT_EQ(db.loadConfigText(dir.path().c_str(), "RESYNC_WAIT_TIMEOUT 30"), 1); });
  EXPECT_EQ(valueSetCount(db, "RESYNC_WAIT_TIMEOUT"), 3);
  EXPECT_EQ(valueSetCount(db, "PackageName"), 2);
  EXPECT_EQ(activated(db, "RESYNC_WAIT_TIMEOUT"), "10");  // the first one counts
}

TEST(ConfigLoaderTest, LinesLongerThanOneReadStayWhole) {
  TempDir dir;
  std::string nodes;
  for (int i = 0; i < 300; ++i) nodes += " node" + std::to_string(i) + ".site.example";
  const std::string extract = "DC1_NODE_LIST" + nodes + "\nDC2_NODE_LIST nodeZ\n";
  OrvObjectDb db;
  const std::string log = capturedLog(
      [&] { EXPECT_EQ(db.loadConfigText(dir.path().c_str(), extract.c_str()), 1); });
  EXPECT_EQ(log.find("Error"), std::string::npos) << log;
  db.updateValuesByContext("ORV");
  OrvObject* obj = nullptr;
  ASSERT_TRUE(db.getObjectByName("DC1_NODE_LIST", obj, 1));
  OrvList<OrvString> list;
  ASSERT_TRUE(obj->getValue() && obj->getValue()->getValue(list));
  EXPECT_EQ(list.numObjects(), 300);
  EXPECT_EQ(obj->contains("node299"), 1);
  EXPECT_EQ(activated(db, "DC2_NODE_LIST"), "nodeZ");
}

TEST(ConfigLoaderTest, UnsafePackageNamesNeverReachTheShell) {
  TempDir dir;
  const std::string witness = dir.file("ran");
  const std::vector<std::string> names = {
      "pkg;touch " + witness,   "pkg && touch " + witness, "$(touch " + witness + ")",
      "`touch " + witness + "`", "pkg|touch " + witness,   "pkg\ntouch " + witness,
      "pkg name",               "pkg/../x",                "pkg'",
      "pkg\"",                  "",
  };
  for (const std::string& name : names) {
    OrvObjectDb db;
    const std::string log = capturedLog([&] { EXPECT_EQ(db.loadUserConfig(name.c_str()), 0); });
    EXPECT_NE(log.find("Error: Invalid package name [" + name + "]"), std::string::npos) << log;
    EXPECT_EQ(valueSetCount(db, "PackageName"), 0);
  }
  EXPECT_FALSE(dir.exists("ran"));
}

TEST(ConfigLoaderTest, CommandLines) {
  EXPECT_STREQ(OrvConfigCommands::packageDirCommand("pkg1").getValue(),
               ". /etc/tarvos.conf; val1=`/usr/local/tarvos/bin/tvgetpkgenv pkg1 | grep "
               "VKR_PKG_DIR  | cut -d '=' -f 2 | tr -d '\"'`;echo \"$val1\"");
  // The extract is read from the pipe: no redirection into a file.
  EXPECT_STREQ(
      OrvConfigCommands::attributeCommand("pkg1").getValue(),
      "/usr/local/tarvos/bin/tvgetpkgenv pkg1 | grep -e ^RCVEXA -e ^VKR | grep -v CLUSTER_TYPE | "
      "sed 's/^RCVEXA_//' | grep -v VKR_PKG_DIR | sed 's/=/ /' | sed 's/\"//g' | sed "
      "'s/NO_TIMEOUT/-1/' | sed 's/no_timeout/-1/'");
}

// The attribute filter, run for real on what the cluster manager prints,
// feeding the loader: quotes, prefixes and the time-out word.
TEST(ConfigLoaderTest, FilterPipelineFeedsTheLoader) {
  TempDir dir;
  dir.write("attributes",
            "PACKAGE_NAME=pkg1\n"
            "VKR_PKG_DIR=/srv/pkg1\n"
            "RCVEXA_CLUSTER_TYPE=metro\n"
            "RCVEXA_DC1_NODE_LIST=\"node1.sitea node2\"\n"
            "RCVEXA_DC2_NODE_LIST=nodeC\n"
            "RCVEXA_DC1_STORAGE_SYSTEM_NAME=\"arrayA\"\n"
            "RCVEXA_DC1_RC_VOLUME_GROUP=rcg=odd\n"
            "RCVEXA_RESYNC_WAIT_TIMEOUT=\"NO_TIMEOUT\"\n"
            "RCVEXA_DC2_STORAGE_SYSTEM_NAME=\n"
            "OTHER_SETTING=1\n");
  const std::string command =
      "cat '" + dir.file("attributes") + "'" + OrvConfigCommands::attributeFilter();
  OrvString extract;
  int rc = -1;
  ASSERT_EQ(OrvUtil::runShCmdCapture(command.c_str(), extract, &rc), 1);
  ASSERT_EQ(rc, 0) << command;
  OrvObjectDb db;
  const std::string log =
      capturedLog([&] { EXPECT_EQ(db.loadConfigText(dir.path().c_str(), extract), 1); });
  EXPECT_EQ(log.find("Error"), std::string::npos) << log;
  EXPECT_EQ(activated(db, "DC1_NODE_LIST"), "node1,node2");
  EXPECT_EQ(activated(db, "DC2_NODE_LIST"), "nodeC");
  EXPECT_EQ(activated(db, "DC1_STORAGE_SYSTEM_NAME"), "arrayA");
  EXPECT_EQ(activated(db, "DC1_RC_VOLUME_GROUP"), "rcg=odd");  // only the first '=' goes
  EXPECT_EQ(activated(db, "RESYNC_WAIT_TIMEOUT"), "-1");
  EXPECT_EQ(activated(db, "DC2_STORAGE_SYSTEM_NAME"), "");
  // The directory comes from the first command, not from the extract.
  EXPECT_EQ(activated(db, "VKR_PKG_DIR"), dir.path());

  // The lower-case word is replaced as well.
  dir.write("attributes", "RCVEXA_RESYNC_WAIT_TIMEOUT=no_timeout\n");
  ASSERT_EQ(OrvUtil::runShCmdCapture(command.c_str(), extract, &rc), 1);
  OrvObjectDb lower;
  capturedLog([&] { EXPECT_EQ(lower.loadConfigText(dir.path().c_str(), extract), 1); });
  EXPECT_EQ(activated(lower, "RESYNC_WAIT_TIMEOUT"), "-1");
}

// The same lines from an attribute file: the same filter, the package
// directory from its VKR_PKG_DIR line, no command of the cluster manager.
TEST(ConfigLoaderTest, AttributeFileTakesTheClusterManagersPlace) {
  TempDir dir;
  dir.write("attrs", "VKR_PKG_DIR=\"" + dir.path() +
                         "\"\nRCVEXA_CLUSTER_TYPE=x\nRCVEXA_DC1_NODE_LIST=\"n1.a n2\"\n"
                         "RCVEXA_RESYNC_WAIT_TIMEOUT=NO_TIMEOUT\n");
  std::string why;
  ASSERT_EQ(1, orv_attributes::useFile(dir.file("attrs"), why)) << why;
  OrvObjectDb db;
  const std::string log = capturedLog([&] { EXPECT_EQ(db.loadUserConfig("pkg1"), 1); });
  orv_attributes::reset();
  EXPECT_EQ(log.find("rror"), std::string::npos) << log;
  EXPECT_EQ(activated(db, "VKR_PKG_DIR"), dir.path());
  EXPECT_EQ(activated(db, "DC1_NODE_LIST"), "n1,n2");
  EXPECT_EQ(activated(db, "RESYNC_WAIT_TIMEOUT"), "-1");
}

}  // namespace
