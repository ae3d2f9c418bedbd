#!/bin/sh
# Runs inside the test's sandbox (root in a mount namespace of its own): gives
# the agent and Pacemaker the places they write, puts the agent at its
# installed path, then runs one mode.
#   in_namespace.sh AGENT DIR run COMMAND...   the command, its exit code
#   in_namespace.sh AGENT DIR cluster          the one-node cluster cases
# DIR holds params (NAME=VALUE lines of the resource) and the cases' array
# states (<case>.state); the cluster mode writes <case>.xml (crm_mon) and
# <case>.j/journal there, and why it could not start to DIR/skip (exit 77).
set -u
agent=$1 dir=$2 mode=$3
shift 3

if [ "$mode" != cluster-inner ]; then
	mkdir -p /dev/shm || exit 125
	for d in /run /var/lib/pacemaker /var/lib/corosync /var/log /dev/shm /etc/corosync; do
		mount -t tmpfs -o mode=0755 orv-pcmk "$d" || exit 125
	done
	chmod 1777 /dev/shm
	# The agent at /usr/lib/ocf/resource.d/orvanta/rcgate, beside the others.
	ra=/tmp/orv-ra
	mkdir -p "$ra/orvanta" "$ra/heartbeat" &&
		mount --bind /usr/lib/ocf/resource.d/heartbeat "$ra/heartbeat" &&
		cp "$agent" "$ra/orvanta/rcgate" && chmod 755 "$ra/orvanta/rcgate" &&
		mount --rbind "$ra" /usr/lib/ocf/resource.d || exit 125
	mkdir -p /run/resource-agents
fi

case "$mode" in
run)
	exec "$@" ;;
cluster)
	# Own network (loopback only) and process namespaces: every daemon ends
	# with the namespace's first process.
	exec unshare --net --pid --fork --mount-proc -- sh "$0" "$agent" "$dir" cluster-inner ;;
cluster-inner) ;;
*)
	exit 125 ;;
esac

skip() {
	printf '%s\n' "$1" >"$dir/skip"
	for f in /var/log/corosync/corosync.log /var/log/pacemaker/pacemaker.log; do
		[ -f "$f" ] && tail -n 20 "$f" >>"$dir/skip"
	done
	exit 77
}

ip link set lo up || skip "cannot bring up the loopback interface"
node=$(uname -n)
mkdir -p /var/lib/pacemaker/cib /var/lib/pacemaker/pengine /var/lib/pacemaker/blackbox \
	/var/lib/pacemaker/cores /var/log/pacemaker /var/log/corosync /run/crm
chown -R hacluster:haclient /var/lib/pacemaker /var/log/pacemaker /run/crm ||
	skip "no hacluster user"
cat >/etc/corosync/corosync.conf <<EOF
totem {
	version: 2
	cluster_name: orvtest
	transport: knet
	crypto_cipher: none
	crypto_hash: none
}
nodelist {
	node {
		ring0_addr: 127.0.0.1
		name: $node
		nodeid: 1
	}
}
quorum {
	provider: corosync_votequorum
}
logging {
	to_logfile: yes
	logfile: /var/log/corosync/corosync.log
	to_syslog: no
	to_stderr: no
}
EOF
corosync || skip "corosync did not start"
PCMK_logfile=/var/log/pacemaker/pacemaker.log pacemakerd </dev/null >/dev/null 2>&1 &

# Bounded waits on the cluster's own state.
dc_elected() { crm_mon -1 --output-as=xml 2>/dev/null | grep -q '<current_dc present="true"'; }
i=0
until dc_elected; do
	i=$((i + 1))
	[ $i -le 60 ] || skip "Pacemaker elected no controller within 60 seconds"
	sleep 1
done
if ! { crm_attribute -t crm_config -n stonith-enabled -v false &&
	crm_attribute -t crm_config -n no-quorum-policy -v ignore; }; then
	skip "cannot set cluster options"
fi

xml_text() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/"/\&quot;/g'; }
nvpairs=$(n=0; while IFS= read -r line; do
	n=$((n + 1))
	printf '<nvpair id="gate-p%d" name="%s" value="%s"/>' "$n" "${line%%=*}" \
		"$(printf '%s' "${line#*=}" | xml_text)"
done <"$dir/params")
cibadmin -C -o resources -X "<group id=\"pkg\">
<meta_attributes id=\"pkg-meta\"><nvpair id=\"pkg-role\" name=\"target-role\" value=\"Stopped\"/></meta_attributes>
<primitive id=\"gate\" class=\"ocf\" provider=\"orvanta\" type=\"rcgate\">
<instance_attributes id=\"gate-params\">$nvpairs</instance_attributes>
<operations><op id=\"gate-start\" name=\"start\" interval=\"0\" timeout=\"120s\"/>
<op id=\"gate-monitor\" name=\"monitor\" interval=\"30s\" timeout=\"60s\"/></operations>
</primitive>
<primitive id=\"app\" class=\"ocf\" provider=\"heartbeat\" type=\"Dummy\"/>
</group>" || skip "cannot create the resources"

settle() { crm_resource --wait --timeout=150s >/dev/null 2>&1; }
role() { crm_resource -r pkg --meta -p target-role -v "$1" >/dev/null && settle; }
capture() {
	crm_mon -1 --output-as=xml >"$dir/$1.xml" 2>&1
	mkdir -p "$dir/$1.j" && cp /usr/local/arraysim/journal "$dir/$1.j/journal"
}
arrays() {
	cp "$dir/$1.state" /usr/local/arraysim/state && : >/usr/local/arraysim/journal
}

arrays healthy && role Started && capture healthy && role Stopped
arrays reverse && role Started && capture reverse && role Stopped
crm_resource --cleanup >/dev/null 2>&1
arrays refusal && role Started && capture refusal
# The operator's leave, then the clean-up that lets the start run again.
: >/usr/local/arraysim/journal
pkgdir=$(sed -n 's/^force_flag_dir=//p' "$dir/params")
touch "$pkgdir/FORCEFLAG" && crm_resource --cleanup -r gate >/dev/null 2>&1 && settle
capture forced
role Stopped
exit 0
