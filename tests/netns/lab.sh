#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The namespace lab: a routed network that exists only for one command.
#
#   source 10.200.1.2 -- 10.200.1.1 router1 10.200.2.1 -- 10.200.2.2 router2 10.200.3.1 -- 10.200.3.2 destination
#          fd00:200:1::2    fd00:200:1::1   fd00:200:2::1    fd00:200:2::2   fd00:200:3::1    fd00:200:3::2
#
# and a longer path on router2's third link, in documentation networks (/28 and
# 2001:db8:N::/64), so the far host is six hops from the source:
#
#   router2 198.51.100.1  -- 198.51.100.2  router3 198.51.100.17 -- 198.51.100.18 router4
#           2001:db8:23::1   2001:db8:23::2        2001:db8:34::1    2001:db8:34::2
#   router4 198.51.100.33 -- 198.51.100.34 router5 198.51.100.49 -- 198.51.100.50 far
#           2001:db8:45::1   2001:db8:45::2        2001:db8:56::1    2001:db8:56::2
#
# Usage: lab.sh run [--serve 'COMMAND'] ... -- COMMAND [ARGUMENT ...]
#
# Every --serve command runs in the background inside the destination namespace
# (a name server, a TCP server); COMMAND runs inside the source namespace and its
# exit code is the lab's (its standard input is not connected). The namespaces, and
# every process the lab started, are removed on every way out. Addresses exist only
# inside the lab's namespaces.
#
# The command finds the lab in its environment:
#   NETSONDE_LAB_SOURCE       the source's own address
#   NETSONDE_LAB_ROUTER1      router1, one hop away: answers Ttl 1 with time exceeded
#   NETSONDE_LAB_ROUTER2      router2, two hops away: answers Ttl 2 with time exceeded
#   NETSONDE_LAB_ROUTER3, NETSONDE_LAB_ROUTER4, NETSONDE_LAB_ROUTER5
#                             router3 to router5 on the far path, three to five hops away
#   NETSONDE_LAB_FAR          the far host, six hops away
#   NETSONDE_LAB_DESTINATION  the destination, three hops away
#   NETSONDE_LAB_SILENT       an address of the destination that drops everything sent to it
#   NETSONDE_LAB_UNREACHABLE  a network that router2 answers at once with "net unreachable"
#   NETSONDE_LAB_ABSENT       an address on the destination's link with no host: router2
#                             answers "host unreachable" once ARP gives up (about 3 s)
#   NETSONDE_LAB_SERVERS      the first of eight more addresses of the destination
#                             (10.200.3.40 to .47), for servers that need one each
#   NETSONDE_LAB_SOURCE6, NETSONDE_LAB_ROUTER1_6, NETSONDE_LAB_ROUTER2_6,
#   NETSONDE_LAB_ROUTER3_6, NETSONDE_LAB_ROUTER4_6, NETSONDE_LAB_ROUTER5_6, NETSONDE_LAB_FAR6,
#   NETSONDE_LAB_DESTINATION6, NETSONDE_LAB_SILENT6, NETSONDE_LAB_ABSENT6
#                             the same over IPv6; router2 answers the absent address
#                             "address unreachable" once neighbour discovery gives up
#   NETSONDE_LAB_UNREACHABLE6 a network that router2 answers at once with "no route"
#   NETSONDE_LAB_NS_SOURCE, NETSONDE_LAB_NS_ROUTER1, NETSONDE_LAB_NS_ROUTER2,
#   NETSONDE_LAB_NS_DESTINATION, NETSONDE_LAB_NS_ROUTER3, NETSONDE_LAB_NS_ROUTER4,
#   NETSONDE_LAB_NS_ROUTER5, NETSONDE_LAB_NS_FAR   the namespace names, for `ip netns exec`
#
# Every router answers without rate limits. tests/netns/lab-rule.sh, run inside the
# lab, makes a router silent or rate-limited and a host deaf, and clears that again.
#
# The system resolver knows v6only.lab.test (the destination's IPv6 address only) and
# both.lab.test (its IPv4 and IPv6 addresses) from the lab's own /etc/hosts.
#
# The lab lives in a mount namespace of its own (its namespace files, its hosts file),
# and for a user other than root in a user namespace too, where that user is root:
# no privilege is needed. When the lab cannot be built (no ip, nft or unshare, user
# namespaces refused) it prints the reason and exits with 77, the tests' skip code.

set -u

readonly SKIP_CODE=77

readonly SOURCE=10.200.1.2
readonly ROUTER1_NEAR=10.200.1.1
readonly ROUTER1_FAR=10.200.2.1
readonly ROUTER2_NEAR=10.200.2.2
readonly ROUTER2_FAR=10.200.3.1
readonly DESTINATION=10.200.3.2
readonly SILENT=10.200.3.3
readonly ABSENT=10.200.3.99
readonly UNREACHABLE_NET=10.200.4.0/24
readonly UNREACHABLE=10.200.4.1
readonly SERVERS_NET=10.200.3
readonly FIRST_SERVER=40

readonly SOURCE6=fd00:200:1::2
readonly ROUTER1_NEAR6=fd00:200:1::1
readonly ROUTER1_FAR6=fd00:200:2::1
readonly ROUTER2_NEAR6=fd00:200:2::2
readonly ROUTER2_FAR6=fd00:200:3::1
readonly DESTINATION6=fd00:200:3::2
readonly SILENT6=fd00:200:3::3
readonly ABSENT6=fd00:200:3::99
readonly UNREACHABLE_NET6=fd00:200:4::/64
readonly UNREACHABLE6=fd00:200:4::1

# The far path: a /28 of 198.51.100.0/24 and a 2001:db8:N::/64 a link (N the numbers of
# the routers at its ends); the end nearer the source is .1 or ::1.
readonly FAR_NET=198.51.100.0/24
readonly FAR_NET6=2001:db8::/32
readonly ROUTER2_FAR_PATH=198.51.100.1
readonly ROUTER3_NEAR=198.51.100.2
readonly ROUTER3_FAR=198.51.100.17
readonly ROUTER4_NEAR=198.51.100.18
readonly ROUTER4_FAR=198.51.100.33
readonly ROUTER5_NEAR=198.51.100.34
readonly ROUTER5_FAR=198.51.100.49
readonly FAR=198.51.100.50
readonly ROUTER2_FAR_PATH6=2001:db8:23::1
readonly ROUTER3_NEAR6=2001:db8:23::2
readonly ROUTER3_FAR6=2001:db8:34::1
readonly ROUTER4_NEAR6=2001:db8:34::2
readonly ROUTER4_FAR6=2001:db8:45::1
readonly ROUTER5_NEAR6=2001:db8:45::2
readonly ROUTER5_FAR6=2001:db8:56::1
readonly FAR6=2001:db8:56::2

LAB_TAG="netsonde-lab-$$-${RANDOM}"
readonly NS_SOURCE="${LAB_TAG}-src"
readonly NS_ROUTER1="${LAB_TAG}-r1"
readonly NS_ROUTER2="${LAB_TAG}-r2"
readonly NS_DESTINATION="${LAB_TAG}-dst"
readonly NS_ROUTER3="${LAB_TAG}-r3"
readonly NS_ROUTER4="${LAB_TAG}-r4"
readonly NS_ROUTER5="${LAB_TAG}-r5"
readonly NS_FAR="${LAB_TAG}-far"

CREATED_NAMESPACES=()
SERVED_PIDS=()
COMMAND_PID=
LAB_HOSTS_FILE=

usage() {
    echo "usage: $0 run [--serve 'COMMAND'] ... -- COMMAND [ARGUMENT ...]" >&2
    exit 2
}

skip() {
    echo "SKIPPED: $*"
    exit "$SKIP_CODE"
}

teardown() {
    local pid ns
    for pid in $COMMAND_PID "${SERVED_PIDS[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in $COMMAND_PID "${SERVED_PIDS[@]}"; do
        wait "$pid" 2>/dev/null
    done
    for ns in "${CREATED_NAMESPACES[@]}"; do
        ip netns delete "$ns" 2>/dev/null
    done
    [ -n "$LAB_HOSTS_FILE" ] && rm -f "$LAB_HOSTS_FILE"
}

require_tools() {
    command -v ip >/dev/null 2>&1 || skip "the ip command (iproute2) is missing"
    command -v nft >/dev/null 2>&1 || skip "the nft command (nftables) is missing"
    command -v unshare >/dev/null 2>&1 || skip "the unshare command (util-linux) is missing"
}

# Why this system refuses a user namespace to a user other than root.
user_namespace_refusal() {
    local setting value
    for setting in kernel.unprivileged_userns_clone user.max_user_namespaces; do
        value=$(cat "/proc/sys/${setting//.//}" 2>/dev/null) || continue
        [ "$value" = 0 ] && { echo "user namespaces are off for users other than root ($setting=0)"; return; }
    done
    value=$(cat /proc/sys/kernel/apparmor_restrict_unprivileged_userns 2>/dev/null)
    [ "$value" = 1 ] \
        && { echo "AppArmor restricts user namespaces (kernel.apparmor_restrict_unprivileged_userns=1)"; return; }
    echo "this system refuses a user namespace to a user other than root"
}

# Runs this script again in a mount namespace of its own; a user other than root
# gets a user namespace, where it is root, and a network namespace with it.
enter_lab_namespaces() {
    local private=root options=(--mount)
    if [ "$(id -u)" != 0 ]; then
        private=user
        options=(--user --map-root-user --net --mount)
    fi
    if ! unshare "${options[@]}" true 2>/dev/null; then
        [ "$private" = user ] && skip "$(user_namespace_refusal)"
        skip "cannot make a mount namespace for the lab"
    fi
    NETSONDE_LAB_PRIVATE=$private exec unshare "${options[@]}" bash "$0" "$@"
}

# The lab's own folder of namespace files, seen only inside its mount namespace.
# A user namespace cannot make the folder in the system's /run: a /run of its own.
mount_namespace_folder() {
    local error
    mkdir -p /run/netns 2>/dev/null || { mount -t tmpfs netsonde-lab /run 2>/dev/null && mkdir -p /run/netns; }
    error=$(mount -t tmpfs netsonde-lab /run/netns 2>&1) && return 0
    [ "$1" = user ] && skip "$(user_namespace_refusal): $error"
    skip "cannot make the lab's folder of network namespaces: $error"
}

in_ns() {
    local ns=$1
    shift
    ip netns exec "$ns" "$@"
}

add_namespace() {
    local ns=$1 error
    if ! error=$(ip netns add "$ns" 2>&1); then
        skip "cannot create a network namespace: $error"
    fi
    CREATED_NAMESPACES+=("$ns")
    # Addresses are usable at once: no duplicate address detection. Answers of
    # every kind leave at once: no hop goes missing to rate limits.
    in_ns "$ns" sysctl -q -w net.ipv6.conf.all.disable_ipv6=0 net.ipv6.conf.default.disable_ipv6=0 \
        net.ipv6.conf.all.accept_dad=0 net.ipv6.conf.default.accept_dad=0 \
        net.ipv4.icmp_ratelimit=0 net.ipv4.icmp_msgs_per_sec=100000 net.ipv4.icmp_msgs_burst=100000 \
        net.ipv6.icmp.ratelimit=0 >/dev/null
    ip -n "$ns" link set lo up
}

# link NS_A DEV_A ADDRESS_A ADDRESS6_A NS_B DEV_B ADDRESS_B ADDRESS6_B [PREFIX]: a veth
# pair made inside the namespaces, so its names never meet the host's or another lab's;
# the IPv4 network is a /24 unless PREFIX says otherwise.
link() {
    local ns_a=$1 dev_a=$2 addr_a=$3 addr6_a=$4 ns_b=$5 dev_b=$6 addr_b=$7 addr6_b=$8 prefix=${9:-24}
    ip -n "$ns_a" link add "$dev_a" type veth peer name "$dev_b" netns "$ns_b" || return 1
    ip -n "$ns_a" addr add "$addr_a/$prefix" dev "$dev_a"
    ip -n "$ns_b" addr add "$addr_b/$prefix" dev "$dev_b"
    ip -n "$ns_a" addr add "$addr6_a/64" dev "$dev_a" nodad
    ip -n "$ns_b" addr add "$addr6_b/64" dev "$dev_b" nodad
    ip -n "$ns_a" link set "$dev_a" up
    ip -n "$ns_b" link set "$dev_b" up
}

# A namespace is ready once each of its links has a carrier and IPv6 has configured
# it (its link-local address): the carrier reaches IPv6 up to a second after the link
# is up. Loopback has neither.
is_ready() {
    local ns=$1 links count
    links=$(ip -n "$ns" -o link show | grep -v ': lo:') || return 1
    count=$(grep -c . <<<"$links")
    [ "$(grep -c LOWER_UP <<<"$links")" = "$count" ] \
        && [ "$(ip -6 -n "$ns" -o addr show scope link | grep -c inet6)" = "$count" ]
}

wait_until_ready() {
    local ns=$1 tries
    for tries in $(seq 50); do
        is_ready "$ns" && return 0
        sleep 0.1
    done
    echo "lab: the links of $ns are not ready" >&2
    return 1
}

# Router2's third link and the chain behind it: router3, router4, router5, far.
build_far_path() {
    link "$NS_ROUTER2" eth2 "$ROUTER2_FAR_PATH" "$ROUTER2_FAR_PATH6" \
        "$NS_ROUTER3" eth0 "$ROUTER3_NEAR" "$ROUTER3_NEAR6" 28 || return 1
    link "$NS_ROUTER3" eth1 "$ROUTER3_FAR" "$ROUTER3_FAR6" \
        "$NS_ROUTER4" eth0 "$ROUTER4_NEAR" "$ROUTER4_NEAR6" 28 || return 1
    link "$NS_ROUTER4" eth1 "$ROUTER4_FAR" "$ROUTER4_FAR6" \
        "$NS_ROUTER5" eth0 "$ROUTER5_NEAR" "$ROUTER5_NEAR6" 28 || return 1
    link "$NS_ROUTER5" eth1 "$ROUTER5_FAR" "$ROUTER5_FAR6" \
        "$NS_FAR" eth0 "$FAR" "$FAR6" 28 || return 1

    # Each router sends the far networks on and everything else back; the links'
    # own /28 and /64 routes are the more specific.
    ip -n "$NS_ROUTER2" route add "$FAR_NET" via "$ROUTER3_NEAR"
    ip -6 -n "$NS_ROUTER2" route add "$FAR_NET6" via "$ROUTER3_NEAR6"
    local ns previous=("$ROUTER2_FAR_PATH" "$ROUTER3_FAR" "$ROUTER4_FAR" "$ROUTER5_FAR")
    local previous6=("$ROUTER2_FAR_PATH6" "$ROUTER3_FAR6" "$ROUTER4_FAR6" "$ROUTER5_FAR6")
    local next=("$ROUTER4_NEAR" "$ROUTER5_NEAR") next6=("$ROUTER4_NEAR6" "$ROUTER5_NEAR6") hop=0
    for ns in "$NS_ROUTER3" "$NS_ROUTER4" "$NS_ROUTER5" "$NS_FAR"; do
        ip -n "$ns" route add default via "${previous[$hop]}"
        ip -6 -n "$ns" route add default via "${previous6[$hop]}"
        if [ "$hop" -lt 2 ]; then
            ip -n "$ns" route add "$FAR_NET" via "${next[$hop]}"
            ip -6 -n "$ns" route add "$FAR_NET6" via "${next6[$hop]}"
        fi
        hop=$((hop + 1))
    done
}

build_lab() {
    local ns
    for ns in "$NS_SOURCE" "$NS_ROUTER1" "$NS_ROUTER2" "$NS_DESTINATION" \
        "$NS_ROUTER3" "$NS_ROUTER4" "$NS_ROUTER5" "$NS_FAR"; do
        add_namespace "$ns"
    done
    # The far path is built alongside the rest: the lab starts sooner.
    build_far_path &
    local far_path=$!

    link "$NS_SOURCE" eth0 "$SOURCE" "$SOURCE6" \
        "$NS_ROUTER1" eth0 "$ROUTER1_NEAR" "$ROUTER1_NEAR6" || return 1
    link "$NS_ROUTER1" eth1 "$ROUTER1_FAR" "$ROUTER1_FAR6" \
        "$NS_ROUTER2" eth0 "$ROUTER2_NEAR" "$ROUTER2_NEAR6" || return 1
    link "$NS_ROUTER2" eth1 "$ROUTER2_FAR" "$ROUTER2_FAR6" \
        "$NS_DESTINATION" eth0 "$DESTINATION" "$DESTINATION6" || return 1
    ip -n "$NS_DESTINATION" addr add "$SILENT/24" dev eth0
    ip -n "$NS_DESTINATION" addr add "$SILENT6/64" dev eth0 nodad
    local server
    for server in $(seq "$FIRST_SERVER" $((FIRST_SERVER + 7))); do
        echo "addr add $SERVERS_NET.$server/24 dev eth0"
    done | ip -n "$NS_DESTINATION" -batch -

    ip -n "$NS_SOURCE" route add default via "$ROUTER1_NEAR"
    ip -n "$NS_ROUTER1" route add default via "$ROUTER2_NEAR"
    ip -n "$NS_ROUTER2" route add 10.200.1.0/24 via "$ROUTER1_FAR"
    ip -n "$NS_ROUTER2" route add "$UNREACHABLE_NET" via "$DESTINATION"
    ip -n "$NS_DESTINATION" route add default via "$ROUTER2_FAR"

    ip -6 -n "$NS_SOURCE" route add default via "$ROUTER1_NEAR6"
    ip -6 -n "$NS_ROUTER1" route add default via "$ROUTER2_NEAR6"
    ip -6 -n "$NS_ROUTER2" route add fd00:200:1::/64 via "$ROUTER1_FAR6"
    # IPv6 has no host-wide cost on a route's error reports: the route answers itself.
    ip -6 -n "$NS_ROUTER2" route add unreachable "$UNREACHABLE_NET6"
    ip -6 -n "$NS_DESTINATION" route add default via "$ROUTER2_FAR6"
    wait "$far_path" || return 1

    local router
    for router in "$NS_ROUTER1" "$NS_ROUTER2" "$NS_ROUTER3" "$NS_ROUTER4" "$NS_ROUTER5"; do
        in_ns "$router" sysctl -q -w net.ipv4.ip_forward=1 net.ipv6.conf.all.forwarding=1 >/dev/null
    done
    # Unprivileged ICMP and ICMPv6 datagram sockets for every group in the source.
    # In a user namespace only the groups it maps can be given.
    in_ns "$NS_SOURCE" sysctl -q -w net.ipv4.ping_group_range="0 2147483647" >/dev/null 2>&1 \
        || in_ns "$NS_SOURCE" sysctl -q -w net.ipv4.ping_group_range="0 0" >/dev/null

    in_ns "$NS_DESTINATION" nft -f - <<NFT || return 1
table inet netsonde_lab {
    chain input {
        type filter hook input priority 0; policy accept;
        ip daddr $SILENT drop
        # Neighbour discovery still finds the silent address, as ARP does.
        ip6 daddr $SILENT6 icmpv6 type { nd-neighbor-solicit, nd-neighbor-advert } accept
        ip6 daddr $SILENT6 drop
    }
}
NFT

    # Refused by a rule, not by an unreachable route: the kernel throttles a route's
    # error reports by a host-wide cost that the namespace cannot lift.
    in_ns "$NS_ROUTER2" nft -f - <<NFT || return 1
table ip netsonde_lab {
    chain forward {
        type filter hook forward priority 0; policy accept;
        ip daddr $UNREACHABLE_NET reject with icmp type net-unreachable
    }
}
NFT

    for ns in "${CREATED_NAMESPACES[@]}"; do
        wait_until_ready "$ns" || return 1
    done
}

# The system's hosts file with the lab's names, over /etc/hosts in the lab's mount
# namespace. The file stays until the lab ends: a test may bind its own hosts file
# over /etc/hosts, which the kernel refuses while the file under it is deleted.
mount_hosts_file() {
    local hosts
    hosts=$(mktemp) || return 1
    LAB_HOSTS_FILE=$hosts
    {
        cat /etc/hosts 2>/dev/null
        echo "$DESTINATION both.lab.test"
        echo "$DESTINATION6 both.lab.test v6only.lab.test"
    } > "$hosts"
    mount --bind "$hosts" /etc/hosts
}

start_servers() {
    local command
    for command in "$@"; do
        ip netns exec "$NS_DESTINATION" bash -c "exec $command" &
        SERVED_PIDS+=("$!")
    done
}

run_in_source() {
    ip netns exec "$NS_SOURCE" env \
        NETSONDE_LAB_SOURCE="$SOURCE" \
        NETSONDE_LAB_ROUTER1="$ROUTER1_NEAR" \
        NETSONDE_LAB_ROUTER2="$ROUTER2_NEAR" \
        NETSONDE_LAB_ROUTER3="$ROUTER3_NEAR" \
        NETSONDE_LAB_ROUTER4="$ROUTER4_NEAR" \
        NETSONDE_LAB_ROUTER5="$ROUTER5_NEAR" \
        NETSONDE_LAB_FAR="$FAR" \
        NETSONDE_LAB_DESTINATION="$DESTINATION" \
        NETSONDE_LAB_SILENT="$SILENT" \
        NETSONDE_LAB_UNREACHABLE="$UNREACHABLE" \
        NETSONDE_LAB_ABSENT="$ABSENT" \
        NETSONDE_LAB_SERVERS="$SERVERS_NET.$FIRST_SERVER" \
        NETSONDE_LAB_SOURCE6="$SOURCE6" \
        NETSONDE_LAB_ROUTER1_6="$ROUTER1_NEAR6" \
        NETSONDE_LAB_ROUTER2_6="$ROUTER2_NEAR6" \
        NETSONDE_LAB_ROUTER3_6="$ROUTER3_NEAR6" \
        NETSONDE_LAB_ROUTER4_6="$ROUTER4_NEAR6" \
        NETSONDE_LAB_ROUTER5_6="$ROUTER5_NEAR6" \
        NETSONDE_LAB_FAR6="$FAR6" \
        NETSONDE_LAB_DESTINATION6="$DESTINATION6" \
        NETSONDE_LAB_SILENT6="$SILENT6" \
        NETSONDE_LAB_UNREACHABLE6="$UNREACHABLE6" \
        NETSONDE_LAB_ABSENT6="$ABSENT6" \
        NETSONDE_LAB_NS_SOURCE="$NS_SOURCE" \
        NETSONDE_LAB_NS_ROUTER1="$NS_ROUTER1" \
        NETSONDE_LAB_NS_ROUTER2="$NS_ROUTER2" \
        NETSONDE_LAB_NS_DESTINATION="$NS_DESTINATION" \
        NETSONDE_LAB_NS_ROUTER3="$NS_ROUTER3" \
        NETSONDE_LAB_NS_ROUTER4="$NS_ROUTER4" \
        NETSONDE_LAB_NS_ROUTER5="$NS_ROUTER5" \
        NETSONDE_LAB_NS_FAR="$NS_FAR" \
        "$@" &
    COMMAND_PID=$!
    # A background command and `wait`: a signal to the lab is handled at once.
    wait "$COMMAND_PID"
    local status=$?
    COMMAND_PID=
    return "$status"
}

main() {
    if [ -z "${NETSONDE_LAB_PRIVATE:-}" ]; then
        require_tools
        enter_lab_namespaces "$@"
    fi
    local private=$NETSONDE_LAB_PRIVATE
    unset NETSONDE_LAB_PRIVATE
    [ "${1:-}" = run ] || usage
    shift
    local serve=()
    while [ $# -gt 0 ] && [ "$1" != -- ]; do
        case $1 in
            --serve) [ $# -ge 2 ] || usage; serve+=("$2"); shift 2 ;;
            *) usage ;;
        esac
    done
    [ "${1:-}" = -- ] || usage
    shift
    [ $# -gt 0 ] || usage

    mount_namespace_folder "$private"
    trap teardown EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    build_lab && mount_hosts_file || { echo "lab: the network could not be built" >&2; exit 1; }
    start_servers "${serve[@]}"
    run_in_source "$@"
}

main "$@"
