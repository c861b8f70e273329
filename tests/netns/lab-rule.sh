#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A rule for hosts of the namespace lab (tests/netns/lab.sh), run inside the lab:
#
#   lab-rule.sh silent NS ...   the routers drop their time-exceeded answers
#   lab-rule.sh limited NS ...  the routers send one time-exceeded answer a second after a
#                               burst of five (nft's limit)
#   lab-rule.sh deaf NS ...     the hosts drop the echo requests sent to them
#   lab-rule.sh clear [NS ...]  the hosts answer as before; with no NS, every host of the lab
#
# NS is a namespace name (NETSONDE_LAB_NS_ROUTER2, ...). Each rule holds for IPv4 and
# IPv6 and takes the place of the rule the host had.
set -u

readonly TABLE=netsonde_rule

usage() {
    echo "usage: $0 silent|limited|deaf|clear NS ..." >&2
    exit 2
}

# The nft statements of a rule's table.
rule_body() {
    case $1 in
    silent)
        echo "chain output { type filter hook output priority 0; policy accept;"
        echo "  icmp type time-exceeded drop; icmpv6 type time-exceeded drop; }"
        ;;
    limited)
        echo "chain output { type filter hook output priority 0; policy accept;"
        echo "  icmp type time-exceeded limit rate over 1/second drop"
        echo "  icmpv6 type time-exceeded limit rate over 1/second drop; }"
        ;;
    deaf)
        echo "chain input { type filter hook input priority 0; policy accept;"
        echo "  icmp type echo-request drop; icmpv6 type echo-request drop; }"
        ;;
    esac
}

# Replaces the namespace's rule table at once: made (so it can be deleted), deleted
# and, for any rule but clear, made again with the rule's statements.
apply() {
    local rule=$1 ns=$2
    {
        echo "table inet $TABLE {}"
        echo "delete table inet $TABLE"
        [ "$rule" = clear ] || { echo "table inet $TABLE {"; rule_body "$rule"; echo "}"; }
    } | ip netns exec "$ns" nft -f -
}

main() {
    [ $# -ge 1 ] || usage
    local rule=$1 ns status=0
    shift
    case $rule in
    silent | limited | deaf) [ $# -ge 1 ] || usage ;;
    clear)
        [ $# -ge 1 ] || set -- $(env | sed -n 's/^NETSONDE_LAB_NS_[A-Z0-9_]*=//p')
        ;;
    *) usage ;;
    esac
    for ns in "$@"; do
        apply "$rule" "$ns" || { echo "lab-rule.sh: cannot apply $rule in $ns" >&2; status=1; }
    done
    return "$status"
}

main "$@"
