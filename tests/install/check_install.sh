#!/bin/sh
# Installs the build into a scratch root with DESTDIR and checks that
# exactly the expected files arrive, with the expected modes, and that the
# installed programs run.
#   check_install.sh CMAKE BUILD_DIR PREFIX SCRATCH
set -u
cmake=$1 build=$2 prefix=$3 scratch=$4
root=$scratch$prefix
failed=0
fail() { echo "FAIL: $*"; failed=1; }

rm -rf "$scratch"
if ! DESTDIR=$scratch "$cmake" --install "$build" >"$scratch.log" 2>&1; then
  cat "$scratch.log"
  echo "FAIL: cmake --install"
  exit 1
fi

expected="
tarvos/bin/rcgate 755
tarvos/bin/rcwatch 755
tarvos/bin/rcplan 755
share/man/man8/rcgate.8 644
share/man/man8/rcwatch.8 644
share/man/man8/rcplan.8 644
share/doc/orvanta/README.md 644
share/doc/orvanta/examples/pkgora.attributes 644
share/doc/orvanta/examples/OrvVexaMONConfigParams 644
share/doc/orvanta/examples/orvanta-alerts.yml 644
share/doc/orvanta/examples/orvanta-alerts.test.yml 644
share/doc/orvanta/examples/orvanta-dashboard.json 644
lib/systemd/system/orvanta-rcwatch@.service 644
/usr/lib/ocf/resource.d/orvanta/rcgate 755
"

# A path starting with / lies outside the prefix (the OCF agent).
echo "$expected" | while read -r file mode; do
  [ -n "$file" ] || continue
  case $file in /*) path=$file ;; *) path=$prefix/$file ;; esac
  if [ ! -f "$scratch$path" ]; then
    echo "FAIL: $path not installed"
    continue
  fi
  got=$(stat -c %a "$scratch$path")
  [ "$got" = "$mode" ] || echo "FAIL: $path has mode $got, expected $mode"
done | tee "$scratch.missing"
[ -s "$scratch.missing" ] && failed=1

# Nothing else: no test programs, no stand-ins, nothing outside the prefix.
want=$(echo "$expected" | awk 'NF { print ($1 ~ /^\// ? "" : "'"$prefix"'/") $1 }' | sort)
have=$(cd "$scratch" && find . -type f | sed 's|^\.||' | sort)
extra=$(printf '%s\n' "$have" | grep -vxF "$want")
[ -z "$extra" ] || fail "unexpected files installed: $extra"

# The agent calls the programs where this prefix put them.
agent=$scratch/usr/lib/ocf/resource.d/orvanta/rcgate
if [ -f "$agent" ]; then
  grep -qxF "ORV_BIN=$prefix/tarvos/bin" "$agent" ||
    fail "the OCF agent does not call the programs in $prefix/tarvos/bin"
fi

# The installed programs start and refuse a wrong argument count.
if [ -x "$root/tarvos/bin/rcgate" ]; then
  out=$("$root/tarvos/bin/rcgate" 2>&1); rc=$?
  [ $rc -eq 2 ] || fail "rcgate without arguments exited $rc, expected 2"
  printf '%s\n' "$out" | grep -qxF 'Usage: rcgate <package_name>' ||
    fail "rcgate without arguments printed no usage text: $out"
fi
if [ -x "$root/tarvos/bin/rcwatch" ]; then
  out=$("$root/tarvos/bin/rcwatch" 2>&1); rc=$?
  [ $rc -eq 1 ] || fail "rcwatch without arguments exited $rc, expected 1"
  printf '%s\n' "$out" | grep -qxF 'Usage: rcwatch <package_name>' ||
    fail "rcwatch without arguments printed no usage text: $out"
fi
if [ -x "$root/tarvos/bin/rcplan" ]; then
  out=$("$root/tarvos/bin/rcplan" --state StatusReplicationMode=sync \
        StatusLocalReplicationRole=Primary StatusRemoteReplicationRole=Secondary \
        StatusRCLink=Up StatusRCVolumeGroup=Started StatusRCVGVirtualVolume=Synced 2>&1); rc=$?
  [ $rc -eq 0 ] || fail "installed rcplan --state exited $rc: $out"
  printf '%s\n' "$out" | grep -qxF 'Action: ca_takeover_nop' ||
    fail "installed rcplan chose no ca_takeover_nop for a healthy primary: $out"
fi

[ $failed -eq 0 ] && echo "installed tree under $root is complete"
exit $failed
