#!/bin/sh
# Memory check of real runs: rcgate (healthy start, switch-over, wrong
# argument count), rcplan --check and five rcwatch passes under valgrind,
# in the sandbox on the simulated array pair.  Needs root and a built tree:
#   scripts/valgrind_runs.sh [BUILD_DIR]
set -u
build=$(cd "${1:-build}" && pwd)
sandbox="$build/testing/sandbox/orv-sandbox"
work=$(mktemp -d /tmp/orv-valgrind.XXXXXX)
trap 'rm -rf "$work"' EXIT
vg="/usr/bin/valgrind --error-exitcode=99 --leak-check=full --suppressions=$(cd "$(dirname "$0")" && pwd)/valgrind.supp"

ORV_BUILD_DIR="$build" "$build/testing/demo/orv-demo" --prepare "$work/sb" || exit 1

failed=0
check() {  # name expected-exit command...
  name=$1; expected=$2; shift 2
  "$sandbox" --dir "$work/sb" --vtime --timeout 300 "$@" > "$work/$name.log" 2>&1
  rc=$?
  summary=$(grep "ERROR SUMMARY" "$work/$name.log" | tail -1 | sed 's/^==[0-9]*== //')
  echo "$name: exit $rc (expected $expected); $summary"
  if [ "$rc" -ne "$expected" ]; then failed=1; fi
}

check rcgate-healthy 0 --node nodea1 -- $vg --errors-for-leak-kinds=all "$build/rcgate/rcgate" pkgora
check rcgate-switchover 3 --node nodeb1 -- $vg --errors-for-leak-kinds=all "$build/rcgate/rcgate" pkgora
check rcgate-no-argument 2 --node nodeb1 -- $vg --errors-for-leak-kinds=all "$build/rcgate/rcgate"
check rcplan-check 0 --node nodea1 -- $vg --errors-for-leak-kinds=all "$build/rcplan/rcplan" --check pkgora
# The monitor never returns: the virtual clock ends it at its sixth sleep,
# so only lost blocks count (what it holds at that moment is still in use).
check rcwatch-passes 0 --node nodeb1 --max-sleeps 6 -- $vg --errors-for-leak-kinds=definite,indirect "$build/rcwatch/rcwatch" pkgora
exit $failed
