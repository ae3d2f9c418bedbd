#!/bin/sh
# Checks the build dependencies; as root it installs what is missing from
# Debian's packages, otherwise it names the command to run.
set -e

missing=""
command -v cmake >/dev/null 2>&1 || missing="$missing cmake"
command -v g++ >/dev/null 2>&1 || missing="$missing g++"
command -v make >/dev/null 2>&1 || missing="$missing make"
[ -f /usr/include/gtest/gtest.h ] || missing="$missing libgtest-dev"
[ -f /usr/include/gmock/gmock.h ] || missing="$missing libgmock-dev"
[ -f /usr/include/nlohmann/json.hpp ] || missing="$missing nlohmann-json3-dev"
command -v unshare >/dev/null 2>&1 || missing="$missing util-linux"
# The metrics tests run the real promtool and node exporter; without them
# those tests are skipped, so only root installs them.
tools=""
command -v promtool >/dev/null 2>&1 || tools="$tools prometheus"
command -v prometheus-node-exporter >/dev/null 2>&1 || tools="$tools prometheus-node-exporter"
# The resource agent's tests run ocf-tester, crm_resource, xmllint and a
# one-node Pacemaker cluster on Corosync.
command -v pacemakerd >/dev/null 2>&1 || [ -x /usr/sbin/pacemakerd ] || tools="$tools pacemaker"
command -v crm_resource >/dev/null 2>&1 || [ -x /usr/sbin/crm_resource ] || tools="$tools pacemaker-cli-utils"
command -v corosync >/dev/null 2>&1 || [ -x /usr/sbin/corosync ] || tools="$tools corosync"
[ -f /usr/share/resource-agents/ra-api-1.dtd ] || tools="$tools resource-agents"
command -v xmllint >/dev/null 2>&1 || tools="$tools libxml2-utils"

[ -z "$missing$tools" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  if [ -n "$tools" ]; then
    echo "Missing test tools (their tests are skipped):$tools" >&2
    echo "Install them with: sudo apt-get install -y$tools" >&2
  fi
  [ -z "$missing" ] && exit 0
  echo "Missing build dependencies:$missing" >&2
  echo "Install them with: sudo apt-get install -y$missing" >&2
  exit 1
fi

missing="$missing$tools"
echo "Installing build dependencies:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq $missing
