#!/bin/sh
# Renders every manual page and fails on any formatter warning.
#   check_man_pages.sh MAN_DIR
set -u
dir=$1
if ! command -v groff >/dev/null 2>&1; then
  echo "SKIP: groff is not installed"
  exit 77
fi
failed=0
count=0
for page in "$dir"/*.[1-9]; do
  [ -f "$page" ] || continue
  count=$((count + 1))
  warnings=$(LC_ALL=C groff -man -Tutf8 -ww -z "$page" 2>&1)
  if [ -n "$warnings" ]; then
    echo "FAIL: groff warnings for $page:"
    echo "$warnings"
    failed=1
  fi
  if command -v man >/dev/null 2>&1; then
    warnings=$(LC_ALL=C MANWIDTH=80 man -l --warnings "$page" 2>&1 >/dev/null)
    if [ -n "$warnings" ]; then
      echo "FAIL: man warnings for $page:"
      echo "$warnings"
      failed=1
    fi
  fi
  # A page must keep its sections; an unclosed font or macro typo can
  # swallow them silently.
  text=$(LC_ALL=C MANWIDTH=80 groff -man -Tutf8 -P-c -P-b -P-u "$page" 2>/dev/null)
  for section in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" ENVIRONMENT FILES EXAMPLES "SEE ALSO"; do
    printf '%s\n' "$text" | grep -qx "$section" ||
      { echo "FAIL: $page renders without a $section section"; failed=1; }
  done
done
[ $count -eq 3 ] || { echo "FAIL: expected 3 manual pages in $dir, found $count"; failed=1; }
[ $failed -eq 0 ] && echo "$count manual pages render without warnings"
exit $failed
