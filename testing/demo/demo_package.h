// The demo's package: one two-site package "pkgora" protected by rcgate,
// written into a sandbox with its cluster-manager attributes, password
// files, package directory and the simulated array pair.
//
// Site A: nodes nodea1, nodea2 and the array vexaa (group rcgora_a,
// Primary); site B: nodeb1, nodeb2 and vexab (group rcgora_b, Secondary).
// The pair replicates synchronously and is healthy: started, synced, links
// up.
#ifndef ORV_TESTING_DEMO_DEMO_PACKAGE_H_
#define ORV_TESTING_DEMO_DEMO_PACKAGE_H_

#include <string>

#include "testing/arraysim/sim_model.h"
#include "testing/sandbox/sandbox.h"

namespace orv_demo {

extern const char kPackage[];     // "pkgora"
extern const char kPackageDir[];  // its VKR_PKG_DIR

// The healthy pair described above.
arraysim::SimScenario healthyArrays();

// Writes the package (attributes, cluster view, password files, release
// file, package directory), the node name and the arrays into sb.  Returns
// '' on success, else what failed.
std::string installPackage(orv_sandbox::Sandbox& sb, const std::string& node,
                           const arraysim::SimScenario& arrays);

// n packages pkg01 .. pkgNN like the one above, each with its own group
// pair rcNN_a / rcNN_b on the same two arrays, all healthy: a site's worth
// of packages for a start storm.
std::string installStorm(orv_sandbox::Sandbox& sb, int n);

// The arrays' state and journal inside sb.
arraysim::SimScenario loadArrays(const orv_sandbox::Sandbox& sb);
arraysim::SimJournal loadJournal(const orv_sandbox::Sandbox& sb);
// Saves the state and empties the journal.
bool saveArrays(orv_sandbox::Sandbox& sb, const arraysim::SimScenario& arrays);

}  // namespace orv_demo

#endif  // ORV_TESTING_DEMO_DEMO_PACKAGE_H_
