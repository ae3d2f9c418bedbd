// The shipped examples and manual pages, checked against the programs' own
// catalogue, configuration loader and parameter-file reader: an example
// that the programs would misread, or a setting the manual pages leave
// out, fails here.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "objectdb/catalogue.h"
#include "foundation/util.h"
#include "objectdb/config_commands.h"
#include "objectdb/orv_object.h"
#include "objectdb/orv_object_db.h"
#include "rcwatch/monitor_interval.h"

namespace {

const std::string kSource = ORV_SOURCE_DIR;
const std::string kAttributes = kSource + "/examples/pkgora.attributes";
const std::string kMonitorParams = kSource + "/examples/OrvVexaMONConfigParams";

// Catalogue objects that are not package attributes: set from the program
// argument, from the package-directory command, or derived at start-up.
const std::set<std::string> kNotAttributes = {"PackageName", "VKR_PKG_DIR",
                                              "ApplicationStartup"};
// Product settings that a package attribute may override and the
// programs read.
const std::vector<std::string> kSettableProductSettings = {
    "JxVexaCLICommandTimeout", "PERIODIC_ASYNC_LINK_DOWN_TIMEOUT"};

std::string readText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// The example loaded the way the programs load a package's attributes: the
// cluster manager's output through the same filter into the extract, then
// the loader, then the context activated as at start-up.
class ExampleAttributes : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/orv_examples_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    loaded_ = db_.loadConfigText(dir_.c_str(), extract());
    db_.updateValuesByContext("ORV");
  }
  void TearDown() override { rmdir(dir_.c_str()); }

  // The filter's output, read from the pipe as the loader does.
  static OrvString extract() {
    const std::string command =
        "cat '" + kAttributes + "'" + OrvConfigCommands::attributeFilter();
    OrvString text;
    int rc = -1;
    EXPECT_EQ(OrvUtil::runShCmdCapture(command.c_str(), text, &rc), 1);
    EXPECT_EQ(rc, 0) << command;
    return text;
  }

  std::string dir_;
  OrvObjectDb db_;
  int loaded_ = 0;
};

TEST_F(ExampleAttributes, EveryLineNamesAnObjectTheProgramsKnow) {
  // The loader stops at the first unknown name, losing every later line.
  EXPECT_EQ(loaded_, 1);
}

TEST_F(ExampleAttributes, SetsEveryPackageAttributeTheProgramsRead) {
  std::vector<std::string> wanted = kSettableProductSettings;
  for (int i = 0; i < OrvCatalogue::kSize; ++i) {
    const OrvCatalogueRow& row = OrvCatalogue::row(i);
    if (row.tag == APPLICATION_OBJ && row.type != TAG_TYPE && !kNotAttributes.count(row.name))
      wanted.push_back(row.name);
  }
  for (const std::string& name : wanted) {
    OrvObject* object = nullptr;
    ASSERT_TRUE(db_.getObjectByName(name.c_str(), object, 0)) << name;
    EXPECT_NE(object->getValueSetByContext("ORV"), nullptr)
        << "the example does not set " << name;
  }
}

TEST_F(ExampleAttributes, EveryValueIsOneTheObjectAccepts) {
  int checked = 0;
  for (int i = 0; i < db_.numberOfElements(); ++i) {
    OrvObject* object = nullptr;
    ASSERT_TRUE(db_.getObjectByName(db_[i].getObjectName(), object, 0));
    OrvValueSet* set = object->getValueSetByContext("ORV");
    if (set == nullptr || set->getValue() == nullptr) continue;
    // Activation takes a value set unchecked; the validated assignment on a
    // copy tells whether the object's allowed values include it.
    OrvObject probe(*object);
    EXPECT_EQ(probe.setValue(set->getValue()), 1)
        << object->getObjectName() << " refuses the example's value " << *set->getValue();
    ++checked;
  }
  EXPECT_GE(checked, 15);
}

TEST_F(ExampleAttributes, NodesOfBothSitesFindTheirSite) {
  struct Case {
    const char* node;
    int result;
    const char* site;
  };
  const Case cases[] = {
      {"nodea1", 0, "A"},  // listed fully qualified
      {"nodea2", 0, "A"},
      {"nodeb1", 0, "B"},
      {"nodeb2", 0, "B"},
      {"nodec1", 1, ""},  // in neither list
  };
  for (const Case& c : cases) {
    OrvObjectDb db;
    ASSERT_EQ(db.loadConfigText(dir_.c_str(), extract()), 1);
    db.updateValuesByContext("ORV");
    EXPECT_EQ(db.getDataCenter(c.node), c.result) << c.node;
    OrvString site;
    db.getStrValByName("StatusCurrentDC", site, 0);
    EXPECT_EQ(std::string(site.getValue()), c.site) << c.node;
  }
}

TEST(ExampleMonitorParams, GiveTheIntervalTheyState) {
  EXPECT_EQ(readMonitorInterval(kMonitorParams.c_str()), 60);
}

// The attribute names of the example, as written there.
std::vector<std::string> exampleNames() {
  std::vector<std::string> names;
  std::istringstream in(readText(kAttributes));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    names.push_back(line.substr(0, line.find('=')));
  }
  return names;
}

TEST(ManualPages, DocumentEverySettingOfTheExample) {
  const std::string pages = readText(kSource + "/man/rcgate.8") +
                            readText(kSource + "/man/rcwatch.8");
  const std::vector<std::string> names = exampleNames();
  EXPECT_GE(names.size(), 18u);
  for (const std::string& name : names)
    EXPECT_NE(pages.find(name), std::string::npos) << name << " is not documented";
}

TEST(ManualPages, DocumentEveryPackageAttributeOfTheCatalogue) {
  const std::string pages = readText(kSource + "/man/rcgate.8") +
                            readText(kSource + "/man/rcwatch.8");
  for (int i = 0; i < OrvCatalogue::kSize; ++i) {
    const OrvCatalogueRow& row = OrvCatalogue::row(i);
    if (row.tag != APPLICATION_OBJ || row.type == TAG_TYPE || kNotAttributes.count(row.name))
      continue;
    EXPECT_NE(pages.find(std::string("RCVEXA_") + row.name), std::string::npos)
        << "RCVEXA_" << row.name << " is not documented";
  }
}

TEST(ManualPages, NameTheMonitorParameterFileTheMonitorReads) {
  const std::string page = readText(kSource + "/man/rcwatch.8");
  EXPECT_NE(page.find(std::string(kMonitorConfigDir) + kMonitorConfigName), std::string::npos);
}

}  // namespace
