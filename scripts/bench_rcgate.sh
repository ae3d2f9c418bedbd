#!/bin/sh
# What one healthy rcgate start costs: runs `rcgate pkgora` on nodea1 of the
# demo package (a healthy synchronous pair, decision ca_takeover_nop)
# against the array simulator in the sandbox, RUNS times (default 20), and
# reports
#   - the median wall time of rcgate itself and of the whole sandbox run,
#   - the processes rcgate starts per run (shells, array client calls,
#     pipelines of the configuration load) and the programs they execute,
#   - rcgate's own CPU time, children excluded (RUSAGE_SELF at exit),
#   - rcgate's peak resident memory (VmHWM).
# The figures come from testing/runstats (LD_PRELOAD into rcgate and every
# child).  This is a measurement, not a test: it fails only when a run
# does not end with exit 0.  Needs root (the sandbox).
#
#   scripts/bench_rcgate.sh [BUILD_DIR]     default: the repository's build/
#   RUNS=50 scripts/bench_rcgate.sh         more runs
#   NO_BUILD=1 ...                          use what is built
set -eu

REPO=$(cd "$(dirname "$0")/.." && pwd)
RUNS=${RUNS:-20}

if [ -z "${NO_BUILD:-}" ]; then
  # A fresh clone has no build tree yet: configure one, then build what the
  # measurement runs (the demo target brings the stand-ins).
  [ -f "${1:-$REPO/build}/CMakeCache.txt" ] || make -C "$REPO" configure BUILD="${1:-$REPO/build}"
  cmake --build "${1:-$REPO/build}" -j2 --target rcgate orv-demo orv-sandbox runstats >/dev/null
fi
BUILD=$(cd "${1:-$REPO/build}" 2>/dev/null && pwd) || { echo "no build directory ${1:-$REPO/build}" >&2; exit 2; }
RCGATE=$BUILD/rcgate/rcgate
SANDBOX=$BUILD/testing/sandbox/orv-sandbox
STATS_LIB=$BUILD/testing/runstats/librunstats.so
for f in "$RCGATE" "$SANDBOX" "$STATS_LIB" "$BUILD/testing/demo/orv-demo"; do
  [ -e "$f" ] || { echo "missing $f (build it first)" >&2; exit 2; }
done

T=$(mktemp -d "${TMPDIR:-/tmp}/bench_rcgate.XXXXXX")
trap 'rm -rf "$T"' EXIT INT TERM
"$BUILD/testing/demo/orv-demo" --prepare "$T/sb"
LOG=$T/sb/root/tmp/runstats.log   # /tmp/runstats.log inside the sandbox

: >"$T/rows"
i=1
while [ "$i" -le "$RUNS" ]; do
  rm -f "$LOG"
  t0=$(date +%s%N)
  rc=0
  "$SANDBOX" --dir "$T/sb" --node nodea1 --vtime \
    --env "LD_PRELOAD=/usr/local/orv-sandbox/lib/libvtime.so $STATS_LIB" \
    --env RUNSTATS_LOG=/tmp/runstats.log \
    -- "$RCGATE" pkgora >"$T/out" 2>&1 || rc=$?
  t1=$(date +%s%N)
  if [ "$rc" -ne 0 ]; then
    echo "run $i: rcgate ended with $rc:" >&2
    tail -20 "$T/out" >&2
    exit 1
  fi
  # One row per run: sandbox wall (us), rcgate wall, user, sys, maxrss,
  # VmHWM, processes started, programs executed, command lines rcgate ran
  # itself (its direct children).
  awk -v rcgate="$RCGATE" -v total=$(( (t1 - t0) / 1000 )) '
    $1 == "start" { images++; if (!($2 in seen)) { seen[$2] = 1; pids++ } }
    $1 == "start" && $4 == rcgate { self = $2 }
    $1 == "start" && $3 == self && !($2 in direct) { direct[$2] = 1; lines++ }
    $1 == "end" && $3 == rcgate { wall = $4; user = $5; sys = $6; rss = $7; hwm = $8 }
    END { print total, wall, user, sys, rss, hwm, pids - 1, images - 1, lines }
  ' "$LOG" >>"$T/rows"
  i=$((i + 1))
done

median() {  # column number
  cut -d' ' -f"$1" "$T/rows" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
maximum() {
  cut -d' ' -f"$1" "$T/rows" | sort -n | tail -1
}
ms() { awk -v us="$1" 'BEGIN { printf "%.2f ms", us / 1000 }'; }

cpu_rows=$(awk '{ print $3 + $4 }' "$T/rows" | sort -n)
cpu_median=$(echo "$cpu_rows" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
cpu_max=$(echo "$cpu_rows" | tail -1)

echo "rcgate pkgora, healthy pair, $RUNS runs in the sandbox (virtual time)"
echo "  wall time, rcgate itself        median $(ms "$(median 2)")   max $(ms "$(maximum 2)")"
echo "  wall time, whole sandbox run    median $(ms "$(median 1)")"
echo "  processes started per run       $(median 7)   (programs executed: $(median 8);" \
  "command lines run by rcgate itself: $(median 9))"
echo "  own CPU (user+sys, no children) median $(ms "$cpu_median")   max $(ms "$cpu_max")" \
  "  [user $(ms "$(median 3)"), sys $(ms "$(median 4)")]"
echo "  peak memory (VmHWM)             median $(median 6) kB   max $(maximum 6) kB"
