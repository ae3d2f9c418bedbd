#include "testing/arraysim/sim_model.h"

#include <cctype>
#include <cstdlib>

namespace arraysim {

const char* const kDefaultDir = "/usr/local/arraysim";
const char* const kDefaultNow = "2026-12-08 10:00:00 UTC";

std::string simDirectory() {
  const char* dir = std::getenv("ARRAYSIM_DIR");
  if (dir != nullptr && dir[0] != '\0') return dir;
  return kDefaultDir;
}

bool startsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

bool equalsNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

bool isPrimaryRole(const std::string& role) {
  return role == "Primary" || role == "Primary-Rev";
}

SimVolume& SimGroup::volume(const std::string& local) {
  for (SimVolume& v : volumes)
    if (v.local == local) return v;
  volumes.push_back(SimVolume());
  volumes.back().local = local;
  return volumes.back();
}

void SimGroup::setVolumes(const std::string& sync) {
  for (SimVolume& v : volumes) v.sync = sync;
}

SimGroup& SimArray::group(const std::string& groupName) {
  if (SimGroup* g = findGroup(groupName)) return *g;
  groups.push_back(SimGroup());
  groups.back().name = groupName;
  return groups.back();
}

SimGroup* SimArray::findGroup(const std::string& groupName) {
  for (SimGroup& g : groups)
    if (g.name == groupName) return &g;
  return nullptr;
}

const SimGroup* SimArray::findGroup(const std::string& groupName) const {
  for (const SimGroup& g : groups)
    if (g.name == groupName) return &g;
  return nullptr;
}

SimTarget* SimArray::findTarget(const std::string& targetName) {
  for (SimTarget& t : targets)
    if (t.name == targetName) return &t;
  return nullptr;
}

SimTask* SimArray::findTask(int id) {
  for (SimTask& t : tasks)
    if (t.id == id) return &t;
  return nullptr;
}

const SimTask* SimArray::findTask(int id) const {
  for (const SimTask& t : tasks)
    if (t.id == id) return &t;
  return nullptr;
}

SimFault& SimArray::addFault(const std::string& kind,
                             const std::string& command, int nth) {
  faults.push_back(SimFault());
  SimFault& f = faults.back();
  f.kind = kind;
  f.command = command;
  f.nth = nth;
  return f;
}

void SimArray::setLinks(const std::string& status, const std::string& target) {
  for (SimLink& l : links) {
    if (l.target == "receive") continue;
    if (target.empty() || l.target == target) l.status = status;
  }
  for (SimTarget& t : targets) {
    if (target.empty() || t.name == target)
      t.status = status == "Up" ? "ready" : "failed";
  }
}

std::string SimArray::linkState(const std::string& target) const {
  bool any = false, down = false;
  for (const SimLink& l : links) {
    if (l.target != target) continue;
    any = true;
    if (l.status == "Up") return "Up";
    if (l.status == "Down") down = true;
  }
  if (!any) return "";
  return down ? "Down" : "Not Started";
}

namespace {

SimArray makeArray(const std::string& name, const std::string& peer,
                   int index) {
  SimArray a;
  a.name = name;
  a.serial = std::to_string(1612340 + index);
  a.sysId = std::to_string(12340 + index);
  SimTarget t;
  t.name = peer + "_tgt";
  t.id = 1;
  t.sysName = peer;
  t.sysId = std::to_string(12340 + (index == 1 ? 2 : 1));
  a.targets.push_back(t);
  // Each node of this array has one sending link to the peer's nodes and
  // one receiving link.
  const std::string net = "10.0." + std::to_string(index == 1 ? 2 : 1) + ".";
  for (int node = 0; node < 2; ++node) {
    SimLink l;
    l.target = t.name;
    l.node = std::to_string(node) + ":3:1";
    l.address = net + std::to_string(node + 2);
    a.links.push_back(l);
  }
  for (int node = 0; node < 2; ++node) {
    SimLink l;
    l.target = "receive";
    l.node = std::to_string(node) + ":3:1";
    l.address = "receive";
    a.links.push_back(l);
  }
  return a;
}

SimGroup makeGroup(const std::string& name, const std::string& target,
                   const std::string& role, const std::string& mode,
                   const std::string& peerArray, const std::string& peerGroup,
                   int volumes, int firstId, int peerFirstId) {
  SimGroup g;
  g.name = name;
  g.target = target;
  g.role = role;
  g.mode = mode;
  g.peerArray = peerArray;
  g.peerGroup = peerGroup;
  for (int i = 0; i < volumes; ++i) {
    SimVolume v;
    v.local = name + "_vv" + std::to_string(i);
    v.localId = firstId + i;
    v.remote = peerGroup + "_vv" + std::to_string(i);
    v.remoteId = peerFirstId + i;
    v.last = kDefaultNow;
    g.volumes.push_back(v);
  }
  return g;
}

}  // namespace

SimScenario SimScenario::healthyPair(const std::string& arrayA,
                                     const std::string& arrayB,
                                     const std::string& groupA,
                                     const std::string& groupB,
                                     const std::string& mode, int volumes) {
  SimScenario s;
  SimArray a = makeArray(arrayA, arrayB, 1);
  SimArray b = makeArray(arrayB, arrayA, 2);
  a.groups.push_back(makeGroup(groupA, arrayB + "_tgt", "Primary", mode,
                               arrayB, groupB, volumes, 101, 201));
  b.groups.push_back(makeGroup(groupB, arrayA + "_tgt", "Secondary", mode,
                               arrayA, groupA, volumes, 201, 101));
  s.arrays.push_back(a);
  s.arrays.push_back(b);
  return s;
}

SimArray& SimScenario::array(const std::string& name) {
  if (SimArray* a = findArray(name)) return *a;
  arrays.push_back(SimArray());
  arrays.back().name = name;
  return arrays.back();
}

SimArray* SimScenario::findArray(const std::string& name) {
  for (SimArray& a : arrays)
    if (a.name == name) return &a;
  return nullptr;
}

const SimArray* SimScenario::findArray(const std::string& name) const {
  for (const SimArray& a : arrays)
    if (a.name == name) return &a;
  return nullptr;
}

SimGroup* SimScenario::peerOf(const SimGroup& group) {
  SimArray* peer = findArray(group.peerArray);
  return peer == nullptr ? nullptr : peer->findGroup(group.peerGroup);
}

void SimScenario::linkDown(const std::string& arrayA,
                           const std::string& arrayB) {
  array(arrayA).setLinks("Down");
  array(arrayB).setLinks("Down");
}

void SimScenario::cutLinks(const std::string& arrayName) {
  SimArray* a = findArray(arrayName);
  if (a == nullptr) return;
  a->setLinks("Down");
  for (const SimTarget& t : a->targets) {
    SimArray* peer = findArray(t.sysName);
    if (peer == nullptr) continue;
    for (const SimTarget& back : peer->targets)
      if (back.sysName == arrayName) peer->setLinks("Down", back.name);
  }
}

void SimScenario::setPair(const std::string& arrayName,
                          const std::string& groupName,
                          const std::string& status, const std::string& sync) {
  SimGroup& g = array(arrayName).group(groupName);
  g.status = status;
  g.setVolumes(sync);
  if (SimGroup* p = peerOf(g)) {
    p->status = status;
    p->setVolumes(sync);
  }
}

}  // namespace arraysim
