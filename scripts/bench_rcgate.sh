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
#   scripts/bench_rcgate.sh --ab OLD NEW [BUILD_DIR]
#       two rcgate binaries in one run, alternating run by run (OLD, NEW,
#       OLD, ...) on the same sandbox, RUNS each; one report per binary.
#   scripts/bench_rcgate.sh --storm [N] [BUILD_DIR]
#       N packages (default 32, each with its own group pair on the same
#       arrays) started at once, as after a site failure, against one start
#       of one of them alone: wall time of both and the peak memory of all
#       runs together (the sum of the runs' peaks, an upper bound).
set -eu

REPO=$(cd "$(dirname "$0")/.." && pwd)
RUNS=${RUNS:-20}
MODE=single
case "${1:-}" in
  --ab)
    [ $# -ge 3 ] || { echo "usage: $0 --ab OLD_RCGATE NEW_RCGATE [BUILD_DIR]" >&2; exit 2; }
    MODE=ab A_BIN=$(realpath "$2") B_BIN=$(realpath "$3")
    shift 3
    ;;
  --storm)
    MODE=storm
    shift
    STORM=32
    case "${1:-}" in [0-9]*) STORM=$1; shift ;; esac
    ;;
esac
BUILD_ARG=${1:-$REPO/build}

if [ -z "${NO_BUILD:-}" ]; then
  # A fresh clone has no build tree yet: configure one, then build what the
  # measurement runs (the demo target brings the stand-ins).
  [ -f "$BUILD_ARG/CMakeCache.txt" ] || make -C "$REPO" configure BUILD="$BUILD_ARG"
  cmake --build "$BUILD_ARG" -j2 --target rcgate orv-demo orv-sandbox runstats >/dev/null
fi
BUILD=$(cd "$BUILD_ARG" 2>/dev/null && pwd) || { echo "no build directory $BUILD_ARG" >&2; exit 2; }
RCGATE=$BUILD/rcgate/rcgate
SANDBOX=$BUILD/testing/sandbox/orv-sandbox
STATS_LIB=$BUILD/testing/runstats/librunstats.so
for f in "$RCGATE" "$SANDBOX" "$STATS_LIB" "$BUILD/testing/demo/orv-demo" ${A_BIN:-} ${B_BIN:-}; do
  [ -e "$f" ] || { echo "missing $f (build it first)" >&2; exit 2; }
done

T=$(mktemp -d "${TMPDIR:-/tmp}/bench_rcgate.XXXXXX")
trap 'rm -rf "$T"' EXIT INT TERM
if [ "$MODE" = storm ]; then
  "$BUILD/testing/demo/orv-demo" --prepare-storm "$STORM" "$T/sb"
else
  "$BUILD/testing/demo/orv-demo" --prepare "$T/sb"
fi
LOG=$T/sb/root/tmp/runstats.log   # /tmp/runstats.log inside the sandbox

# Runs PROGRAM [ARGS] in the sandbox with the statistics preloaded; sets
# ELAPSED_US (the whole sandbox run).
sandbox_run() {
  rm -f "$LOG"
  t0=$(date +%s%N)
  rc=0
  "$SANDBOX" --dir "$T/sb" --node nodea1 --vtime --timeout 600 \
    --env "LD_PRELOAD=/usr/local/orv-sandbox/lib/libvtime.so $STATS_LIB" \
    --env RUNSTATS_LOG=/tmp/runstats.log \
    -- "$@" >"$T/out" 2>&1 || rc=$?
  t1=$(date +%s%N)
  ELAPSED_US=$(( (t1 - t0) / 1000 ))
  if [ "$rc" -ne 0 ]; then
    echo "$*: ended with $rc:" >&2
    tail -20 "$T/out" >&2
    exit 1
  fi
}

# One row per run of BINARY appended to ROWS: sandbox wall (us), rcgate
# wall, user, sys, maxrss, VmHWM, processes started, programs executed,
# command lines rcgate ran itself (its direct children).
measure() {  # BINARY ROWS
  sandbox_run "$1" pkgora
  awk -v rcgate="$1" -v total="$ELAPSED_US" '
    $1 == "start" { images++; if (!($2 in seen)) { seen[$2] = 1; pids++ } }
    $1 == "start" && $4 == rcgate { self = $2 }
    $1 == "start" && $3 == self && !($2 in direct) { direct[$2] = 1; lines++ }
    $1 == "end" && $3 == rcgate { wall = $4; user = $5; sys = $6; rss = $7; hwm = $8 }
    END { print total, wall, user, sys, rss, hwm, pids - 1, images - 1, lines }
  ' "$LOG" >>"$2"
}

median() {  # ROWS column
  cut -d' ' -f"$2" "$1" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
maximum() {
  cut -d' ' -f"$2" "$1" | sort -n | tail -1
}
ms() { awk -v us="$1" 'BEGIN { printf "%.2f ms", us / 1000 }'; }

report() {  # TITLE ROWS
  cpu_rows=$(awk '{ print $3 + $4 }' "$2" | sort -n)
  cpu_median=$(echo "$cpu_rows" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
  cpu_max=$(echo "$cpu_rows" | tail -1)
  echo "$1"
  echo "  wall time, rcgate itself        median $(ms "$(median "$2" 2)")   max $(ms "$(maximum "$2" 2)")"
  echo "  wall time, whole sandbox run    median $(ms "$(median "$2" 1)")"
  echo "  processes started per run       $(median "$2" 7)   (programs executed: $(median "$2" 8);" \
    "command lines run by rcgate itself: $(median "$2" 9))"
  echo "  own CPU (user+sys, no children) median $(ms "$cpu_median")   max $(ms "$cpu_max")" \
    "  [user $(ms "$(median "$2" 3)"), sys $(ms "$(median "$2" 4)")]"
  echo "  peak memory (VmHWM)             median $(median "$2" 6) kB   max $(maximum "$2" 6) kB"
}

case "$MODE" in
  single)
    : >"$T/rows"
    i=1
    while [ "$i" -le "$RUNS" ]; do
      measure "$RCGATE" "$T/rows"
      i=$((i + 1))
    done
    report "rcgate pkgora, healthy pair, $RUNS runs in the sandbox (virtual time)" "$T/rows"
    ;;
  ab)
    # Alternating runs share whatever else the machine does at the time.
    : >"$T/rows.a"
    : >"$T/rows.b"
    i=1
    while [ "$i" -le "$RUNS" ]; do
      measure "$A_BIN" "$T/rows.a"
      measure "$B_BIN" "$T/rows.b"
      i=$((i + 1))
    done
    report "A: $A_BIN, $RUNS runs alternating with B" "$T/rows.a"
    report "B: $B_BIN, $RUNS runs alternating with A" "$T/rows.b"
    ;;
  storm)
    # The prepared packages are pkg01 .. pkgNN; each start's exit code is
    # kept in /tmp/rc.PKG inside the sandbox.
    pkgs=$(awk -v n="$STORM" 'BEGIN { for (i = 1; i <= n; i++) printf "pkg%02d ", i }')
    sandbox_run /bin/sh -c "$RCGATE pkg01 >/dev/null 2>&1; echo \$? >/tmp/rc.pkg01"
    alone=$ELAPSED_US
    awk -v rcgate="$RCGATE" '$1 == "end" && $3 == rcgate { print $8 }' "$LOG" >"$T/alone"
    sandbox_run /bin/sh -c "for p in $pkgs; do { $RCGATE \$p >/tmp/out.\$p 2>&1; echo \$? >/tmp/rc.\$p; } & done; wait"
    storm=$ELAPSED_US
    bad=0
    for p in $pkgs; do
      rc=$(cat "$T/sb/root/tmp/rc.$p" 2>/dev/null || echo none)
      [ "$rc" = 0 ] || { echo "$p: exit $rc" >&2; bad=1; }
    done
    [ "$bad" = 0 ] || exit 1
    awk -v rcgate="$RCGATE" '
      $1 == "end" && $3 == rcgate { n++; sum += $8; if ($8 > max) max = $8 }
      END { printf "%d %d %d\n", n, sum, max }' "$LOG" >"$T/storm"
    read -r n sum max <"$T/storm"
    echo "rcgate storm: $STORM packages started at once in the sandbox (virtual time)"
    echo "  wall time, one start alone      $(ms "$alone")"
    echo "  wall time, all $STORM at once       $(ms "$storm")   ($(awk -v a="$alone" -v s="$storm" 'BEGIN { printf "%.1f", s / a }') x one start)"
    echo "  peak memory, one start          $(cat "$T/alone") kB"
    echo "  peak memory, all runs together  $sum kB (sum of $n runs' peaks; largest $max kB)"
    ;;
esac
