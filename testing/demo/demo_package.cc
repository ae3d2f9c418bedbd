#include "testing/demo/demo_package.h"

#include <cstdio>

#include "testing/fakes/fake_data.h"

namespace orv_demo {

const char kPackage[] = "pkgora";
const char kPackageDir[] = "/usr/local/tarvos/run/pkgora";

namespace {

const char kUser[] = "rcadmin";

// What the cluster manager prints for the package.
const char kAttributes[] =
    "PACKAGE_NAME=pkgora\n"
    "PACKAGE_TYPE=FAILOVER\n"
    "VKR_PKG_DIR=/usr/local/tarvos/run/pkgora\n"
    "RCVEXA_CLUSTER_TYPE=\"metro\"\n"
    "RCVEXA_DC1_NODE_LIST=\"nodea1 nodea2\"\n"
    "RCVEXA_DC2_NODE_LIST=\"nodeb1 nodeb2\"\n"
    "RCVEXA_DC1_STORAGE_SYSTEM_NAME=\"vexaa\"\n"
    "RCVEXA_DC2_STORAGE_SYSTEM_NAME=\"vexab\"\n"
    "RCVEXA_DC1_STORAGE_SYSTEM_USER=\"rcadmin\"\n"
    "RCVEXA_DC2_STORAGE_SYSTEM_USER=\"rcadmin\"\n"
    "RCVEXA_DC1_RC_TARGET_FOR_DC2=\"vexab_tgt\"\n"
    "RCVEXA_DC2_RC_TARGET_FOR_DC1=\"vexaa_tgt\"\n"
    "RCVEXA_DC1_RC_VOLUME_GROUP=\"rcgora_a\"\n"
    "RCVEXA_DC2_RC_VOLUME_GROUP=\"rcgora_b\"\n"
    "RCVEXA_RESYNC_WAIT_TIMEOUT=90\n"
    "RCVEXA_AUTO_NONCURDATA=\"0\"\n";

const char kClusterView[] =
    "name=clusterx\nstatus=up\nnode:nodea1|name=nodea1\nnode:nodeb1|name=nodeb1\n";

}  // namespace

arraysim::SimScenario healthyArrays() {
  return arraysim::SimScenario::healthyPair("vexaa", "vexab", "rcgora_a", "rcgora_b");
}

std::string installPackage(orv_sandbox::Sandbox& sb, const std::string& node,
                           const arraysim::SimScenario& arrays) {
  const std::string data = orv_fake::kFakeDataDir;
  const std::string pwf = std::string("/usr/local/tarvos/conf/vexarc/") + kUser + "_";
  bool ok = sb.setNodeName(node) &&
            sb.writeFile(data + "/pkgenv/" + kPackage, kAttributes) &&
            sb.writeFile(data + "/clusterview", kClusterView) && sb.makeDir(kPackageDir) &&
            sb.writeFile(pwf + "vexaa.pwf", "encrypted-vexaa\n", 0600) &&
            sb.writeFile(pwf + "vexab.pwf", "encrypted-vexab\n", 0600) &&
            sb.writeFile("/etc/redhat-release",
                         "Red Hat Enterprise Linux Server release 6.10 (Santiago)\n");
  if (!ok) return sb.error();
  if (!saveArrays(sb, arrays)) return "cannot save the arrays' state";
  return "";
}

std::string installStorm(orv_sandbox::Sandbox& sb, int n) {
  std::string why = installPackage(sb, "nodea1", healthyArrays());
  if (!why.empty()) return why;
  arraysim::SimScenario arrays;
  for (int i = 1; i <= n; ++i) {
    const std::string tag = (i < 10 ? "0" : "") + std::to_string(i);
    const std::string pkg = std::string("pkg") + tag, group = std::string("rc") + tag;
    arraysim::SimScenario pair =
        arraysim::SimScenario::healthyPair("vexaa", "vexab", group + "_a", group + "_b");
    if (arrays.arrays.empty()) arrays = pair;
    else
      for (size_t a = 0; a < 2; ++a) arrays.arrays[a].groups.push_back(pair.arrays[a].groups[0]);
    std::string text = kAttributes;
    for (const auto& r : {std::make_pair(std::string("rcgora"), group),
                          std::make_pair(std::string("pkgora"), pkg)})
      for (size_t at = text.find(r.first); at != std::string::npos; at = text.find(r.first, at))
        text.replace(at, r.first.size(), r.second);
    if (!sb.writeFile(std::string(orv_fake::kFakeDataDir) + "/pkgenv/" + pkg, text) ||
        !sb.makeDir("/usr/local/tarvos/run/" + pkg))
      return sb.error();
  }
  if (!saveArrays(sb, arrays)) return "cannot save the arrays' state";
  return "";
}

arraysim::SimScenario loadArrays(const orv_sandbox::Sandbox& sb) {
  return arraysim::SimScenario::load(sb.hostPath(arraysim::kDefaultDir));
}

arraysim::SimJournal loadJournal(const orv_sandbox::Sandbox& sb) {
  return arraysim::SimJournal::load(sb.hostPath(arraysim::kDefaultDir));
}

bool saveArrays(orv_sandbox::Sandbox& sb, const arraysim::SimScenario& arrays) {
  return arrays.save(sb.hostPath(arraysim::kDefaultDir));
}

}  // namespace orv_demo
