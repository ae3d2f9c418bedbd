#include "objectdb/orv_object_db.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/objectdb/test_support.h"

namespace {

bool logged(const std::string& log, const std::string& text) {
  return log.find(" : " + text + "\n") != std::string::npos;
}

OrvList<OrvString> listOf(const std::vector<const char*>& items) {
  OrvList<OrvString> list;
  for (const char* item : items) list.insertAtBack(OrvString(item));
  return list;
}

TEST(OrvObjectDbTest, LookupMessages) {
  OrvObjectDb db;
  OrvObject* obj = nullptr;
  std::string log = capturedLog([&] { EXPECT_EQ(db.getObjectByName("NoSuch", obj, 1), 0); });
  EXPECT_TRUE(logged(log, "Error: Object name [NoSuch] not found ")) << log;
  log = capturedLog([&] { EXPECT_EQ(db.getObjectByName("NoSuch", obj, 0), 0); });
  EXPECT_EQ(log, "");
  EXPECT_EQ(db.getObjectByName("loglevel", obj, 0), 0);  // names are case-sensitive

  int idx = -1;
  EXPECT_EQ(db.getIndexByObjectName("StatusRCLink", idx, 1), 1);
  EXPECT_EQ(idx, 61);
  log = capturedLog([&] { EXPECT_EQ(db.getObjectByIndex(99, obj), 0); });
  EXPECT_TRUE(logged(log, "Error: Index number [99] is not found")) << log;
  log = capturedLog([&] { EXPECT_EQ(db.getObjectByIndex(-1, obj), 0); });
  EXPECT_TRUE(logged(log, "Error: Index number [-1] is not found")) << log;
}

TEST(OrvObjectDbTest, TypedReads) {
  OrvObjectDb db;
  int n = 5;
  std::string log = capturedLog([&] { EXPECT_EQ(db.getIntValByName("LogLevel", n), 0); });
  EXPECT_TRUE(logged(log,
                     "Error: Object name [LogLevel]  has invalid type: [1] Expecting \"Integer "
                     "Type\"."))
      << log;
  EXPECT_EQ(n, 5);

  OrvString s;
  log = capturedLog([&] { EXPECT_EQ(db.getStrValByName("StatusCurrentDC", s, 0), 0); });
  EXPECT_EQ(log, "");
  EXPECT_STREQ(s.getValue(), "");
  s = "stale";
  log = capturedLog([&] { EXPECT_EQ(db.getStrValByName("StatusCurrentDC", s, 1), 0); });
  EXPECT_TRUE(logged(log, "Error: Object Name [StatusCurrentDC] value not set.")) << log;
  EXPECT_STREQ(s.getValue(), "");
  EXPECT_EQ(db.getStrValByName("LogLevel", s, 1), 1);
  EXPECT_STREQ(s.getValue(), "warning");

  OrvType* value = nullptr;
  log = capturedLog([&] { EXPECT_EQ(db.getValueByName("PackageName", value, 1), 0); });
  EXPECT_TRUE(logged(log, "Error: Object Name [PackageName] value not set")) << log;
  EXPECT_EQ(db.getValueByName("StatusRCLink", value, 1), 1);
  OrvObject* obj = nullptr;
  db.getObjectByName("StatusRCLink", obj, 1);
  EXPECT_EQ(value, obj->getValue());  // the object's own value, not a copy

  // An unset integer is a quiet failure.
  db.setStrValByName("RPO_THRESHOLD", "abc");
  log = capturedLog([&] { EXPECT_EQ(db.getIntValByName("RPO_THRESHOLD", n), 0); });
  EXPECT_EQ(log, "");
}

TEST(OrvObjectDbTest, ValidatedWrites) {
  OrvObjectDb db;
  EXPECT_EQ(db.setIntValByName("RESYNC_WAIT_TIMEOUT", 86400), 1);
  std::string log =
      capturedLog([&] { EXPECT_EQ(db.setIntValByName("RESYNC_WAIT_TIMEOUT", 86401), 0); });
  EXPECT_TRUE(logged(log, "Error: Cannot set value for object name [RESYNC_WAIT_TIMEOUT]"));
  int n = 0;
  EXPECT_EQ(db.getIntValByName("RESYNC_WAIT_TIMEOUT", n), 1);
  EXPECT_EQ(n, 86400);
  capturedLog([&] { EXPECT_EQ(db.setIntValByName("RESYNC_WAIT_TIMEOUT", -1), 0); });
  capturedLog([&] { EXPECT_EQ(db.setIntValByName("LogLevel", 1), 0); });
  // A refused text leaves the object without a value.
  capturedLog([&] { EXPECT_EQ(db.setStrValByName("RESYNC_WAIT_TIMEOUT", "abc"), 0); });
  EXPECT_EQ(db.getIntValByName("RESYNC_WAIT_TIMEOUT", n), 0);
  log = capturedLog([&] { EXPECT_EQ(db.setStrValByName("NoSuch", "x"), 0); });
  EXPECT_TRUE(logged(log, "Error: Object name [NoSuch] not found "));
}

struct SiteCase {
  const char* what;
  std::vector<const char*> siteA;
  std::vector<const char*> siteB;
  bool setA;
  bool setB;
  const char* host;
  int result;
  const char* currentDC;  // "" : not set
  const char* message;    // "" : none expected
};

TEST(OrvObjectDbTest, DataCenter) {
  const SiteCase cases[] = {
      {"site A", {"nodeA", "nodeB"}, {"nodeC"}, true, true, "nodeA", 0, "A", ""},
      {"site B", {"nodeA", "nodeB"}, {"nodeC"}, true, true, "nodeC", 0, "B", ""},
      {"neither", {"nodeA", "nodeB"}, {"nodeC"}, true, true, "nodeX", 1, "",
       "ERROR: System [nodeX] is not configured in neither Data Center A's nor Data Center B's "
       "system list"},
      {"both", {"nodeA"}, {"nodeC", "nodeA"}, true, true, "nodeA", 1, "",
       "Error: System [nodeA] is configured in both Datacenter A and B system lists"},
      {"case-sensitive", {"nodeA"}, {"nodeC"}, true, true, "NodeA", 1, "",
       "ERROR: System [NodeA] is not configured in neither Data Center A's nor Data Center B's "
       "system list"},
      {"empty lists", {}, {}, true, true, "nodeA", 1, "",
       "ERROR: System [nodeA] is not configured in neither Data Center A's nor Data Center B's "
       "system list"},
      {"A not loaded", {}, {"nodeC"}, false, true, "nodeC", 2, "",
       "Error: Object name [DC1_NODE_LIST] value not set"},
      {"B not loaded", {"nodeA"}, {}, true, false, "nodeA", 2, "",
       "Error: Object name [DC2_NODE_LIST] value not set"},
  };
  for (const SiteCase& c : cases) {
    OrvObjectDb db;
    OrvObject* obj = nullptr;
    if (c.setA) {
      OrvListVal v(listOf(c.siteA));
      ASSERT_TRUE(db.getObjectByName("DC1_NODE_LIST", obj, 1));
      ASSERT_EQ(obj->setValue(&v), 1);
    }
    if (c.setB) {
      OrvListVal v(listOf(c.siteB));
      ASSERT_TRUE(db.getObjectByName("DC2_NODE_LIST", obj, 1));
      ASSERT_EQ(obj->setValue(&v), 1);
    }
    const std::string log = capturedLog([&] { EXPECT_EQ(db.getDataCenter(c.host), c.result) << c.what; });
    OrvString dc;
    db.getStrValByName("StatusCurrentDC", dc, 0);
    EXPECT_STREQ(dc.getValue(), c.currentDC) << c.what;
    if (*c.message != '\0') {
      EXPECT_TRUE(logged(log, c.message)) << c.what << "\n" << log;
    } else {
      EXPECT_EQ(log.find("Error"), std::string::npos) << c.what << "\n" << log;
    }
  }
}

TEST(OrvObjectDbTest, ForceFlagIsConsumed) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  for (const std::string& pkgDir : {dir.path(), dir.path() + "/"}) {
    OrvObjectDb db;
    ASSERT_EQ(db.setStrValByName("VKR_PKG_DIR", pkgDir.c_str()), 1);
    dir.write("FORCEFLAG", "");
    std::string log = capturedLog([&] { EXPECT_EQ(db.setForceFlag(), 1); });
    EXPECT_TRUE(logged(log, "INFO: Force flag is set; user has enabled startup action.")) << log;
    OrvString flag;
    db.getStrValByName("StatusForceFlag", flag, 1);
    EXPECT_STREQ(flag.getValue(), "yes");
    EXPECT_FALSE(dir.exists("FORCEFLAG")) << "the marker is consumed";

    log = capturedLog([&] { EXPECT_EQ(db.setForceFlag(), 1); });
    EXPECT_EQ(log.find("Force flag is set"), std::string::npos);
    db.getStrValByName("StatusForceFlag", flag, 1);
    EXPECT_STREQ(flag.getValue(), "no");
  }
}

TEST(OrvObjectDbTest, ForceFlagWithoutPackageDir) {
  OrvObjectDb db;
  OrvObject* dirObj = nullptr;
  ASSERT_TRUE(db.getObjectByName("VKR_PKG_DIR", dirObj, 1));
  // A configured context without a value leaves the directory unset.
  dirObj->addToValueSetList("NULL", nullptr);
  dirObj->updateValuesByContext("NULL");
  ASSERT_EQ(dirObj->getValue(), nullptr);
  const std::string log = capturedLog([&] { EXPECT_EQ(db.setForceFlag(), 0); });
  EXPECT_TRUE(logged(log, "Error: Object Name [VKR_PKG_DIR] value not set.")) << log;
}

TEST(OrvObjectDbTest, ApplicationStartupFollowsResyncTimeout) {
  struct Case {
    int timeout;
    const char* mode;
  } cases[] = {{-1, "resyncwait"}, {0, "fastfailback"}, {90, "resyncwait"}, {86400, "resyncwait"}};
  for (const Case& c : cases) {
    OrvObjectDb db;
    OrvObject* obj = nullptr;
    ASSERT_TRUE(db.getObjectByName("RESYNC_WAIT_TIMEOUT", obj, 1));
    OrvIntVal v(c.timeout);
    obj->addToValueSetList("ORV", &v);
    db.updateValuesByContext("ORV");
    // Start from the other word so the result is really written.
    db.setStrValByName("ApplicationStartup",
                       std::string(c.mode) == "resyncwait" ? "fastfailback" : "resyncwait");
    EXPECT_EQ(db.setApplicationStartup(), 1) << c.timeout;
    OrvString mode;
    db.getStrValByName("ApplicationStartup", mode, 1);
    EXPECT_STREQ(mode.getValue(), c.mode) << c.timeout;
  }
}

TEST(OrvObjectDbTest, PrintsEveryObjectThenTwoLineFeeds) {
  OrvObjectDb db;
  std::ostringstream os;
  os << db;
  const std::string text = os.str();
  EXPECT_EQ(text.rfind("{\nCOMMON,0,tag,common_obj,-1,-1,,[{\n}\n],\n\n", 0), 0u);
  const std::string tail = "StatusFastFailbackOk,69,string,internal_obj,-1,-1,no,[{\n}\n],yes no\n\n}\n\n\n";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

}  // namespace
