#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Usage: start-named.sh ZONE_DIR WORK_DIR NAMED_CONF
# Signs the lab's DNSSEC zones from ZONE_DIR into WORK_DIR, where
# named.conf finds them, then runs named in the foreground in this process.
# signed.test is signed with NSEC3 (salt AB, no extra iterations), nsec.test
# with NSEC; each gets a new KSK and ZSK (ECDSA P-256) on every start and
# signatures valid for ten years. A zone that cannot be signed stays
# unloaded; the other zones are served all the same.
zones=$1
work=$2
conf=$3

sign() {
    keys="$work/keys-$1"
    rm -rf "$keys" && mkdir -p "$keys" &&
        dnssec-keygen -q -K "$keys" -a ECDSAP256SHA256 -f KSK "$1" > /dev/null &&
        dnssec-keygen -q -K "$keys" -a ECDSAP256SHA256 "$1" > /dev/null &&
        dnssec-signzone -q -S -K "$keys" -d "$keys" -e +315360000 -o "$1" $2 \
            -f "$work/$1.zone.signed" "$zones/$1.zone" > /dev/null
}

sign signed.test "-3 AB -H 0" || echo "start-named.sh: cannot sign signed.test" >&2
sign nsec.test "" || echo "start-named.sh: cannot sign nsec.test" >&2
exec named -g -c "$conf"
