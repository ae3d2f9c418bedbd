#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "objectdb/catalogue.h"
#include "objectdb/orv_object_db.h"
#include "tests/objectdb/test_support.h"

namespace {

// The vocabulary in catalogue order; the rule table and the controller use
// these names verbatim.
const char* const kNames[] = {
    "COMMON", "LogDir", "LogLevel", "JxVexaCLICommandTimeout",
    "PERIODIC_ASYNC_LINK_DOWN_TIMEOUT", "TarvArgOrder", "SearchObject", "RunSearchObject",
    "APPLICATION", "PackageName", "VKR_PKG_DIR", "DC1_STORAGE_SYSTEM_USER",
    "DC2_STORAGE_SYSTEM_USER", "DC1_STORAGE_SYSTEM_NAME", "DC2_STORAGE_SYSTEM_NAME",
    "DC1_RC_TARGET_FOR_DC2", "DC2_RC_TARGET_FOR_DC1", "DC1_RC_VOLUME_GROUP",
    "DC2_RC_VOLUME_GROUP", "DC1_NODE_LIST", "DC2_NODE_LIST", "DR_NOTIFICATION_CHOICES",
    "ApplicationStartup", "RESYNC_WAIT_TIMEOUT", "AUTO_NONCURDATA", "RPO_THRESHOLD", "RemoteDC",
    "TakeoverFunction", "ReplicationIOStatus", "TarvAction", "StatusForceFlag",
    "StatusActionFunction", "StatusCurrentDC", "LocalHostName", "LocalOsName", "LocalOsVersion",
    "LocalNexilStorageIP", "RemoteNexilStorageIP", "LocalNexilStorageSerNum",
    "RemoteNexilStorageSerNum", "LocalNexilStorageName", "RemoteNexilStorageName",
    "LocalNexilStoragePwf", "RemoteNexilStoragePwf", "LocalNexilStorageModel",
    "RemoteNexilStorageModel", "LocalNexilStorageSystemId", "RemoteNexilStorageSystemId",
    "LocalRCVolumeGroup", "RemoteRCVolumeGroup", "LocalNexilStorageTargetName",
    "RemoteNexilStorageTargetName", "StatusLocalNexilStorageState",
    "StatusLocalNexilStorageStateAfter", "StatusRemoteNexilStorageState",
    "StatusRemoteNexilStorageStateAfter", "StatusReplicationMode", "StatusLocalReplicationRole",
    "StatusLocalReplicationRoleAfter", "StatusRemoteReplicationRole",
    "StatusRemoteReplicationRoleAfter", "StatusRCLink", "StatusRCLinkAfter", "StatusFailsafeMode",
    "StatusRCVolumeGroup", "StatusRCVolumeGroupAfter", "StatusRCVGVirtualVolume",
    "StatusRCVGVirtualVolumeAfter", "StatusAutoRecover", "StatusFastFailbackOk",
};

std::string valueText(const OrvObject& obj) {
  std::ostringstream os;
  if (obj.getValue() != nullptr) os << *obj.getValue();
  return os.str();
}

TEST(CatalogueTest, SeventyObjectsInOrder) {
  OrvObjectDb db;
  EXPECT_EQ(db.isGood(), 1);
  ASSERT_EQ(db.numberOfElements(), 70);
  ASSERT_EQ(sizeof(kNames) / sizeof(kNames[0]), 70u);
  for (int i = 0; i < 70; ++i) {
    OrvObject obj = db[i];
    EXPECT_STREQ(obj.getObjectName().getValue(), kNames[i]) << "position " << i;
    EXPECT_EQ(obj.getIdx(), i);
    EXPECT_EQ(obj.getPre(), -1);
    EXPECT_EQ(obj.getPost(), -1);
    const objectTagType tag = i < 8 ? COMMON_OBJ : i < 26 ? APPLICATION_OBJ : INTERNAL_OBJ;
    EXPECT_EQ(obj.getTag(), tag) << kNames[i];
  }
}

TEST(CatalogueTest, DeclaredTypes) {
  const std::map<std::string, objectParaType> nonString = {
      {"COMMON", TAG_TYPE},          {"APPLICATION", TAG_TYPE},
      {"DC1_NODE_LIST", LIST_TYPE},  {"DC2_NODE_LIST", LIST_TYPE},
      {"DR_NOTIFICATION_CHOICES", LIST_TYPE},
      {"RESYNC_WAIT_TIMEOUT", INTEGER_TYPE}, {"RPO_THRESHOLD", INTEGER_TYPE},
      {"StatusActionFunction", ACTION_TYPE},
  };
  OrvObjectDb db;
  for (int i = 0; i < db.numberOfElements(); ++i) {
    OrvObject obj = db[i];
    auto it = nonString.find(obj.getObjectName().getValue());
    EXPECT_EQ(obj.getType(), it == nonString.end() ? STRING_TYPE : it->second)
        << obj.getObjectName();
  }
}

TEST(CatalogueTest, DefaultsAfterConstruction) {
  const std::map<std::string, std::string> defaults = {
      {"LogDir", "LOG_DIR"},
      {"LogLevel", "warning"},
      {"PERIODIC_ASYNC_LINK_DOWN_TIMEOUT", "250"},
      {"TarvArgOrder", "TarvAction ApplicationDir Name"},
      {"SearchObject", "Vgs"},
      {"RunSearchObject", "PackageName"},
      {"VKR_PKG_DIR", "%JXQELIX_VEXA_PATH%"},
      {"ApplicationStartup", "fastfailback"},
      {"RESYNC_WAIT_TIMEOUT", "90"},
      {"RPO_THRESHOLD", "0"},
      {"StatusForceFlag", "no"},
      {"StatusAutoRecover", "yes"},
      {"StatusFastFailbackOk", "no"},
  };
  OrvObjectDb db;
  for (int i = 0; i < db.numberOfElements(); ++i) {
    OrvObject obj = db[i];
    const std::string name = obj.getObjectName().getValue();
    auto it = defaults.find(name);
    std::string expected;
    if (it != defaults.end()) {
      expected = it->second;
    } else if (name.rfind("Status", 0) == 0 && obj.getPossibleSet().contains("UNKNOWN")) {
      expected = "UNKNOWN";  // every state object starts unknown
    }
    EXPECT_EQ(valueText(obj), expected) << name;
    EXPECT_EQ(obj.getValue() != nullptr, !expected.empty()) << name;
  }
  int n = 0;
  EXPECT_EQ(db.getIntValByName("RESYNC_WAIT_TIMEOUT", n), 1);
  EXPECT_EQ(n, 90);
}

TEST(CatalogueTest, AutoNonCurDataDefaultIsRefused) {
  OrvObjectDb db;
  OrvObject* obj = nullptr;
  ASSERT_EQ(db.getObjectByName("AUTO_NONCURDATA", obj, 1), 1);
  EXPECT_EQ(obj->getValue(), nullptr);  // "yes" lies outside "0 1"
  EXPECT_STREQ(obj->getPossibleSet().getValue(), "0 1");
  EXPECT_EQ(db.setStrValByName("AUTO_NONCURDATA", "1"), 1);
  EXPECT_EQ(db.setStrValByName("AUTO_NONCURDATA", "0"), 1);
  const std::string log =
      capturedLog([&] { EXPECT_EQ(db.setStrValByName("AUTO_NONCURDATA", "yes"), 0); });
  EXPECT_NE(log.find("Error: Cannot set value for object name [AUTO_NONCURDATA]"), std::string::npos);
  EXPECT_EQ(obj->getValue(), nullptr);
}

TEST(CatalogueTest, StatusWordsTheDiscoveryWrites) {
  struct Case {
    const char* object;
    const char* value;
    int accepted;
  } cases[] = {
      {"StatusRCLink", "Not Started", 1},
      {"StatusRCLinkAfter", "down", 1},
      {"StatusRCLink", "Started Sideways", 0},
      {"StatusLocalReplicationRole", "Secondary-Rev", 1},
      {"StatusRemoteReplicationRoleAfter", "Primary-Rev", 1},
      {"StatusLocalReplicationRole", "Primary-Reversed", 0},
      {"StatusLocalNexilStorageState", "Stopped", 1},
      {"StatusRemoteNexilStorageStateAfter", "unsupported", 1},
      {"StatusReplicationMode", "periodic", 1},
      {"StatusFailsafeMode", "no_fail_wrt_on_err", 1},
      {"StatusRCVolumeGroupAfter", "Failsafe", 1},
      {"StatusRCVGVirtualVolume", "NoVVol", 1},
      {"StatusRCVGVirtualVolumeAfter", "NotSynced", 1},
      {"StatusRCVGVirtualVolume", "Unsynced", 0},
      {"StatusFastFailbackOk", "yes", 1},
      {"TarvAction", "service", 1},
      {"ApplicationStartup", "resyncwait", 1},
      {"ApplicationStartup", "wait", 0},
      {"StatusCurrentDC", "anything", 1},
  };
  for (const Case& c : cases) {
    OrvObjectDb db;
    const std::string log = capturedLog([&] {
      EXPECT_EQ(db.setStrValByName(c.object, c.value), c.accepted) << c.object << " " << c.value;
    });
    EXPECT_EQ(log.find("Error: Cannot set value for object name [" + std::string(c.object) + "]") !=
                  std::string::npos,
              c.accepted == 0);
  }
}

std::vector<std::string> wordList(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

// Each checked setting at its bounds, as rcplan --check judges it; a setting
// with a possible set must be judged as its object reads the set (but for
// -1, which the loader takes past the set).
TEST(CatalogueTest, AcceptedValuesAtTheirBounds) {
  const struct {
    const char* name;
    const char* text;
    const char* accepted;
    const char* refused;
  } cases[] = {
      {"AUTO_NONCURDATA", "0 or 1", "0 1", "yes 2 -1 01"},
      {"RESYNC_WAIT_TIMEOUT", "-1, NO_TIMEOUT or 0..86400 minutes", "0 86400 -1",
       "-2 86401 soon 9x NO_TIMEOUT 99999999999"},
      {"PERIODIC_ASYNC_LINK_DOWN_TIMEOUT", "200..400 seconds", "200 400", "199 401 -1 2m"},
      {"JxVexaCLICommandTimeout", "0 or more seconds", "0 2147483647", "-1 2147483648 2m"},
      {"RPO_THRESHOLD", "0 or more minutes", "0 2147483647", "-1 2147483648 -"},
      {"DR_NOTIFICATION_CHOICES", "EMAIL, SYSLOG, EVQ or CONSOLE, so written",
       "EMAIL SYSLOG EVQ CONSOLE", "email sms EMAIL,"},
  };
  ASSERT_EQ(sizeof(cases) / sizeof(cases[0]), static_cast<size_t>(OrvCatalogue::kChecked));
  for (int i = 0; i < OrvCatalogue::kChecked; ++i) {
    const OrvAcceptedValues a = OrvCatalogue::accepted(i);
    EXPECT_EQ(a.name, cases[i].name);
    EXPECT_EQ(a.text(), cases[i].text);
    EXPECT_FALSE(a.accepts("")) << a.name;
    const OrvCatalogueRow* row = OrvCatalogue::find(cases[i].name);
    ASSERT_NE(row, nullptr);
    const bool bySet = row->type == INTEGER_TYPE && row->possibleSet[0] != '\0';
    for (int accepted = 1; accepted >= 0; --accepted) {
      for (const std::string& w : wordList(accepted ? cases[i].accepted : cases[i].refused)) {
        EXPECT_EQ(a.accepts(w), accepted == 1) << a.name << " " << w;
        char* end = nullptr;
        const long n = strtol(w.c_str(), &end, 10);
        if (!bySet || w == "-1" || end == w.c_str() || *end != '\0' || n != static_cast<int>(n))
          continue;  // the object's reading of a text or of an int overflow is its own
        OrvObjectDb db;
        int set = -1;
        capturedLog([&] { set = db.setStrValByName(a.name.c_str(), w.c_str()); });
        EXPECT_EQ(set, accepted) << a.name << " " << w;
      }
    }
  }
  // A value of several words is not one of them.
  EXPECT_FALSE(OrvCatalogue::accepted("AUTO_NONCURDATA").accepts("0 1"));
  // Every range a long text names is one the catalogue holds.
  for (int i = 0; i < OrvCatalogue::kAttributes; ++i) {
    const std::string text = OrvCatalogue::longText(OrvCatalogue::attribute(i));
    EXPECT_EQ(text.find_first_of("{}"), std::string::npos) << text;
    EXPECT_EQ(text.find("-2147483648"), std::string::npos) << text;
  }
  EXPECT_NE(OrvCatalogue::longText(OrvCatalogue::attribute(11)).find(": 0..86400, or -1"),
            std::string::npos);
}

TEST(CatalogueTest, PrintAndIndexLookup) {
  OrvObjectDb db;
  OrvObject* obj = nullptr;
  ASSERT_EQ(db.getObjectByName("StatusAutoRecover", obj, 1), 1);
  std::ostringstream os;
  os << *obj;
  EXPECT_EQ(os.str().rfind("StatusAutoRecover,68,string,internal_obj,-1,-1,yes,[", 0), 0u);
  ASSERT_EQ(db.getObjectByIndex(31, obj), 1);
  EXPECT_STREQ(obj->getObjectName().getValue(), "StatusActionFunction");
  EXPECT_EQ(obj->getType(), ACTION_TYPE);
  ASSERT_EQ(db.getObjectByName("COMMON", obj, 1), 1);
  std::ostringstream tag;
  tag << *obj;
  EXPECT_EQ(tag.str(), "COMMON,0,tag,common_obj,-1,-1,,[{\n}\n],\n");
}

}  // namespace
