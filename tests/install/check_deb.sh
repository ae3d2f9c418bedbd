#!/bin/sh
# Checks the file list of the Debian package built by "make package", when
# there is one in the build directory.
#   check_deb.sh BUILD_DIR PREFIX
set -u
build=$1 prefix=$2
deb=$(ls -t "$build"/orvanta_*.deb 2>/dev/null | head -n 1)
if [ -z "$deb" ]; then
  echo "SKIP: no package in $build (build it with: make package)"
  exit 77
fi
if ! command -v dpkg-deb >/dev/null 2>&1; then
  echo "SKIP: dpkg-deb is not installed"
  exit 77
fi
failed=0
list=$(dpkg-deb -c "$deb") || { echo "FAIL: dpkg-deb -c $deb"; exit 1; }
for file in tarvos/bin/rcgate tarvos/bin/rcwatch tarvos/bin/rcplan \
            share/man/man8/rcgate.8 share/man/man8/rcwatch.8 share/man/man8/rcplan.8 \
            share/doc/orvanta/examples/pkgora.attributes \
            share/doc/orvanta/examples/OrvVexaMONConfigParams \
            share/doc/orvanta/examples/orvanta-alerts.yml \
            share/doc/orvanta/examples/orvanta-alerts.test.yml \
            share/doc/orvanta/examples/orvanta-dashboard.json \
            lib/systemd/system/orvanta-rcwatch@.service; do
  line=$(printf '%s\n' "$list" | awk -v p=".$prefix/$file" '$NF == p')
  if [ -z "$line" ]; then
    echo "FAIL: $deb lacks $prefix/$file"
    failed=1
    continue
  fi
  case $file in
    tarvos/bin/*)
      case $line in
        -rwxr-xr-x\ root/root*) ;;
        *) echo "FAIL: $prefix/$file is not an executable owned by root: $line"; failed=1 ;;
      esac ;;
  esac
done
# Pacemaker finds the agent only below its own OCF root.
printf '%s\n' "$list" | grep -qE '^-rwxr-xr-x root/root .* \./usr/lib/ocf/resource\.d/orvanta/rcgate$' ||
  { echo "FAIL: $deb lacks the executable /usr/lib/ocf/resource.d/orvanta/rcgate"; failed=1; }
# Test programs and stand-ins stay out of the package.
stray=$(printf '%s\n' "$list" | grep -E 'arraysim|orvfake|orv-sandbox|_tests$|libvtime' || true)
[ -z "$stray" ] || { echo "FAIL: test files in the package: $stray"; failed=1; }
[ "$(dpkg-deb -f "$deb" Package)" = orvanta ] || { echo "FAIL: package name"; failed=1; }
[ $failed -eq 0 ] && echo "$deb holds the programs and manual pages"
exit $failed
