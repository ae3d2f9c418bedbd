// Hostile input end to end: package names, configuration values and array
// outputs that carry shell syntax, quotes, line feeds or very long texts.
// Each case must end with its own clear error line and exit code, run no
// injected command (the payload would create a file named "pwned") and
// write nothing outside the package directory.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "testing/arraysim/sim_model.h"
#include "testing/fakes/fake_data.h"
#include "testing/sandbox/sandbox.h"
#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/fault_support.h"

namespace {

using orv_e2e::PackageScenario;

const char kMarker[] = "pwned";
const std::string kTouch = "touch /tmp/pwned";

bool hostHasMarker() {
  struct stat st;
  return lstat("/tmp/pwned", &st) == 0;
}

struct HostileCase {
  const char* name;
  // Changes the healthy scenario; args is rcgate's argument list.
  std::function<void(PackageScenario&, std::vector<std::string>& args)> setup;
  int exitCode;
  // Messages that must appear exactly (the first is the case's own error).
  std::vector<std::string> errors;
  // No array command at all, not even a version probe.
  bool arraysUntouched = false;
};

// Sets a value of site A's configuration that names a word the arrays or
// the shell will see.
std::function<void(PackageScenario&, std::vector<std::string>&)> attr(const std::string& name,
                                                                      const std::string& value) {
  return [name, value](PackageScenario& s, std::vector<std::string>&) { s.set(name, value); };
}

std::function<void(PackageScenario&, std::vector<std::string>&)> packageArg(
    const std::string& value) {
  return [value](PackageScenario&, std::vector<std::string>& args) { args = {value}; };
}

std::string invalidPackage(const std::string& name) {
  return "Error: Invalid package name [" + name + "]; the package configuration is not loaded.";
}

const std::string kLongName = std::string(5000, 'p') + ";" + kTouch;

std::vector<HostileCase> cases() {
  std::vector<HostileCase> c;
  // Package names: refused before any command line is built; without its
  // configuration the package has no resource group.
  for (const std::string& name : std::vector<std::string>{
           "pkgora;" + kTouch, "pkgora$(" + kTouch + ")", "pkgora`" + kTouch + "`",
        "pkgora\n" + kTouch, "pkgora' \"x", "pkgora|" + kTouch, kLongName}) {
    c.push_back({"package name", packageArg(name), 1,
                 {invalidPackage(name), "Cannot find resource group for PackageName"}});
  }
  // Configuration values that end in array command lines, of either site
  // (this node is on site A): the whole configuration is refused before any
  // array is asked, so no side can count as unreadable and leave the start
  // to the other side's state.
  const std::string longGroup = std::string(3000, 'g') + ";" + kTouch;
  const struct {
    const char* attribute;
    std::string value;
  } unsafe[] = {
      {"DC1_STORAGE_SYSTEM_NAME", "vexaa;" + kTouch},
      {"DC2_STORAGE_SYSTEM_NAME", "vexab$(" + kTouch + ")"},
      {"DC1_STORAGE_SYSTEM_USER", "rcadmin;" + kTouch},
      {"DC2_STORAGE_SYSTEM_USER", "rc'admin"},
      // Only safe characters, but no ssh user before the underscore.
      {"DC1_STORAGE_SYSTEM_USER", "rcadmin/"},
      {"DC1_RC_VOLUME_GROUP", "rcgora_a`" + kTouch + "`"},
      {"DC2_RC_VOLUME_GROUP", "rcgora_b$(" + kTouch + ")"},
      {"DC1_RC_VOLUME_GROUP", longGroup},
      {"DC1_RC_TARGET_FOR_DC2", "vexab_tgt|" + kTouch},
      {"DC2_RC_TARGET_FOR_DC1", "vexaa_tgt&" + kTouch},
  };
  for (const auto& u : unsafe) {
    c.push_back({u.attribute, attr(std::string("RCVEXA_") + u.attribute, u.value), 1,
                 {"Error: Unsafe value [" + u.value + "] of attribute [" + u.attribute +
                      "]; the package configuration is refused.",
                  "End of Orvanta with Vexa Remote Copy.."},
                 true});
  }
  c.push_back({"package directory with ;",
               attr("VKR_PKG_DIR", "/usr/local/tarvos/run/pkgora;" + kTouch), 1,
               {"Error: Invalid package directory [/usr/local/tarvos/run/pkgora;" + kTouch +
                    "] for package [pkgora].",
                "Cannot find resource group for PackageName"}});
  // The same target name on the array and in the configuration of site B's
  // node: refused before the array's listing is even asked for.
  c.push_back({"target carrying ; on array and in configuration",
               [](PackageScenario& s, std::vector<std::string>&) {
                 s.node = "nodeb1";
                 const std::string t = "vexaa_tgt;" + kTouch;
                 s.set("RCVEXA_DC2_RC_TARGET_FOR_DC1", t);
                 arraysim::SimArray& b = s.arrays.array("vexab");
                 b.group("rcgora_b").target = t;
                 for (arraysim::SimTarget& target : b.targets) target.name = t;
                 for (arraysim::SimLink& link : b.links)
                   if (link.target != "receive") link.target = t;
               },
               1,
               {"Error: Unsafe value [vexaa_tgt;" + kTouch +
                "] of attribute [DC2_RC_TARGET_FOR_DC1]; the package configuration is refused."},
               true});
  // Array outputs.
  c.push_back({"task id carrying $()",
               [](PackageScenario& s, std::vector<std::string>&) {
                 s.node = "nodeb1";
                 for (arraysim::SimArray& a : s.arrays.arrays)
                   for (arraysim::SimGroup& g : a.groups) {
                     g.mode = "Periodic";
                     g.setVolumes("Stale");
                   }
                 arraysim::SimFault& f = s.arrays.array("vexaa").addFault("fail", "syncrcopy");
                 f.exitCode = 0;
                 f.message = "Synchronization started, task ID = 1001$(" + kTouch + ")";
               },
               2,
               {"Error: Invalid task id [1001$(" + kTouch + ")] in the command output"}});
  c.push_back({"names in the group listing carrying shell text",
               [](PackageScenario& s, std::vector<std::string>&) {
                 arraysim::SimArray& a = s.arrays.array("vexaa");
                 a.group("rcgora_a").volumes[0].local = "vv`" + kTouch + "`";
                 arraysim::SimGroup other = a.group("rcgora_a");
                 other.name = "g$(" + kTouch + ")";
                 a.groups.push_back(other);
                 a.targets.push_back(a.targets[0]);
                 a.targets.back().name = "t;" + kTouch;
               },
               0, {"Orvanta has determined that the Remote Copy volumes are in a read/write state."}});
  c.push_back({"garbled group listing",
               [](PackageScenario& s, std::vector<std::string>&) {
                 s.arrays.array("vexaa").addFault("garbled", "showrcopy groups");
               },
               0,
               {"INFO: Current status of the Remote Copy volume group:\n"
                "\tLocal Replication Role of the Remote Copy Volume Group  = UNKNOWN\n"
                "\tRemote Replication Role of the Remote Copy Volume Group  = Secondary\n"
                "\tRemote Copy Link Status = Up\n"
                "\tRemote Copy Volume Group Status = Started\n"
                "\tRemote Copy Volume Group Virtual Volume SyncStatus  = Synced\n"}});
  // An attribute the catalogue does not know stops the loading.
  c.push_back({"unknown attribute",
               [](PackageScenario& s, std::vector<std::string>&) {
                 s.set("RCVEXA_NO_SUCH_SETTING", "1");
                 s.moveToFront("RCVEXA_NO_SUCH_SETTING");
               },
               1,
               {"Error: Object name [NO_SUCH_SETTING] not found "}});
  return c;
}

class HostileInput : public ::testing::Test {
 protected:
  void SetUp() override {
    ORV_REQUIRE_SANDBOX();
    ORV_REQUIRE_RCGATE();
    ASSERT_FALSE(hostHasMarker()) << "/tmp/pwned exists on the host before the test";
  }

  // Runs one case in a fresh sandbox and checks the common promises.
  void runCase(const HostileCase& c) {
    SCOPED_TRACE(c.name);
    orv_sandbox::Sandbox sb;
    ASSERT_TRUE(sb.ok()) << sb.error();
    PackageScenario s;
    std::vector<std::string> args = {s.package};
    c.setup(s, args);
    ASSERT_EQ(s.install(sb), "");
    const orv_fault::TreeSnapshot before = orv_fault::snapshot(sb);

    orv_sandbox::RunResult r = orv_e2e::runRcgate(sb, args);
    ASSERT_TRUE(r.exited()) << r.describe();
    std::vector<std::string> msgs = orv_e2e::messages(r.output, false);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.output.substr(0, 4000);
    for (const std::string& e : c.errors)
      EXPECT_GE(orv_e2e::findMessage(msgs, e), 0)
          << "missing: " << e.substr(0, 300) << "\n" << r.output.substr(0, 4000);

    EXPECT_TRUE(orv_fault::findByName(sb.dir(), kMarker).empty())
        << orv_fault::join(orv_fault::findByName(sb.dir(), kMarker));
    EXPECT_FALSE(hostHasMarker()) << "an injected command ran on the host";
    const arraysim::SimJournal journal = orv_e2e::journal(sb);
    for (const arraysim::SimJournalEntry& e : journal.entries)
      EXPECT_EQ(e.command.find("touch"), std::string::npos) << e.command;
    if (c.arraysUntouched) {
      EXPECT_TRUE(journal.entries.empty()) << journal.entries.front().command;
      // A refused configuration ends the run: no verdict of an action.
      EXPECT_LT(orv_e2e::findMessage(msgs, "Package is allowed to start up"), 0) << r.output;
      ASSERT_FALSE(msgs.empty());
      EXPECT_EQ(msgs.back(), "End of Orvanta with Vexa Remote Copy..") << r.output;
    }
    std::vector<std::string> outside = orv_fault::changedOutside(
        before, orv_fault::snapshot(sb),
        {s.packageDir(), arraysim::kDefaultDir, orv_fake::kFakeDataDir, "/dev"});
    EXPECT_TRUE(outside.empty()) << orv_fault::join(outside);
    EXPECT_TRUE(orv_fault::leftovers(sb, s.packageDir()).empty())
        << orv_fault::join(orv_fault::leftovers(sb, s.packageDir()));
    ++ran_;
  }

  int ran_ = 0;
};

TEST_F(HostileInput, ConfigurationAndArgumentsNeverReachTheShell) {
  std::vector<HostileCase> all = cases();
  for (const HostileCase& c : all) runCase(c);
  std::printf("hostile-input cases run: %d of %zu\n", ran_, all.size());
}

// The package directory is read back from the cluster manager's output
// through a shell; whatever the attribute holds, quoted or not, it must be
// taken as text and then refused.
TEST_F(HostileInput, PackageDirectoryAttributeIsNotEvaluated) {
  const std::string base = "/usr/local/tarvos/run/pkgora";
  struct Dir {
    std::string value;
    bool quoted;
  };
  const Dir dirs[] = {
      {base + "$(" + kTouch + ")", true},
      {base + "`" + kTouch + "`", true},
      {base + ";" + kTouch, false},
      {base + "$(" + kTouch + ")", false},
  };
  for (const Dir& d : dirs) {
    runCase({"package directory", [d](PackageScenario& s, std::vector<std::string>&) {
               s.set("VKR_PKG_DIR", d.value, d.quoted);
             },
             1,
             {"Error: Invalid package directory [" + d.value + "] for package [pkgora].",
              "Cannot find resource group for PackageName"}});
  }
}

}  // namespace
