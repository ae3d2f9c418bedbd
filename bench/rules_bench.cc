// Cost of building the whole takeover rule table, and of one evaluation of
// a state that walks deep into the table and falls through twice (argument
// 0: sync mode, 1: async mode).

#include <benchmark/benchmark.h>

#include "objectdb/orv_object_db.h"
#include "rules/orv_rule_db.h"

namespace {

void setState(OrvObjectDb& db, const char* mode) {
  db.setStrValByName("StatusReplicationMode", mode);
  db.setStrValByName("StatusLocalReplicationRole", "Secondary");
  db.setStrValByName("StatusRemoteReplicationRole", "Primary");
  db.setStrValByName("StatusRCLink", "Up");
  db.setStrValByName("ApplicationStartup", "resyncwait");
  db.setStrValByName("StatusForceFlag", "yes");
  db.setStrValByName("AUTO_NONCURDATA", "0");
  db.setStrValByName("StatusRCVolumeGroup", "Stopped");
  db.setStrValByName("StatusRCVGVirtualVolume", "Stale");
}

void BM_BuildRuleTable(benchmark::State& state) {
  OrvObjectDb objects;
  for (auto _ : state) {
    OrvRuleDb rules(&objects);
    benchmark::DoNotOptimize(rules.isGood());
  }
}
BENCHMARK(BM_BuildRuleTable)->Unit(benchmark::kMicrosecond);

// Async-mode sets come last in the rule-set list, so their references take
// the longest search: the slower of the two is the figure that counts.
void BM_EvaluateRuleTable(benchmark::State& state) {
  OrvObjectDb objects;
  setState(objects, state.range(0) ? "Async" : "Sync");
  OrvRuleDb rules(&objects);
  for (auto _ : state) {
    OrvString action;
    OrvString trace;
    benchmark::DoNotOptimize(rules.evaluateAndGetAction(action, trace));
  }
}
BENCHMARK(BM_EvaluateRuleTable)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
