#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every benchmark inside the namespace lab and prints one table: each
# figure for Netsonde and for the usual tool or a bare Qt window, the ratio
# (Netsonde / other) and, where there is one, the target ratio with "ok" or
# "MISSED". Times and memory are medians of NETSONDE_BENCH_RUNS whole-process
# runs (default 5), timed by benchmarks/process_times.py. Not a test: it
# prints figures and never fails on them.
#
# Usage: benchmarks/run.sh [BUILD_DIR]     (python3, named and dig; traceroute,
#        mtr and ping for the ICMP parts, over IPv4 and IPv6)
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
export NETSONDE_BENCH_RUNS=${NETSONDE_BENCH_RUNS:-5}

# One line of the table: figure, Netsonde, other, and the target ratio, if
# any; the ratio and the verdict are worked out here.
row() {
    awk -v figure="$1" -v ours="${2:--}" -v other="${3:-}" -v target="${4:-}" 'BEGIN {
        numeric = "^[0-9]+([.][0-9]+)?$"
        ratio = (ours ~ numeric && other ~ numeric && other > 0) ? sprintf("%.2f", ours / other) : "-"
        verdict = ""
        if (target != "")
            verdict = ours == "n/a" ? "n/a" : (ratio != "-" && ratio + 0 <= target + 0) ? "ok" : "MISSED"
        printf "%-60s %12s %12s %7s %8s  %s\n", figure, ours, other, ratio, (target == "" ? "" : "<= " target "x"), verdict
    }'
}

if [ "${1:-}" != --inside ]; then
    BUILD=$(cd "${1:-$ROOT/build}" && pwd)
    cmake --build "$BUILD" --target netsonde bench_window bench_bare_window bench_bare_core bench_window_probe \
        bench_whois_flood_stall lab_delayed_echo bench_ping_memory -j2 >/dev/null || exit 1
    WORK=$(mktemp -d)
    trap 'rm -rf "$WORK"' EXIT
    sed -e "s|@NAMED_WORK_DIR@|$WORK|" -e "s|@NAMED_ZONE_DIR@|$ROOT/tests/dns/lab|" \
        -e "s|@NAMED_ADDRESS@|10.200.3.2|" -e "s|@NAMED_ADDRESS6@|fd00:200:3::2|" \
        "$ROOT/tests/dns/lab/named.conf.in" > "$WORK/named.conf"
    echo "machine: $(uname -srm), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
    echo "medians of $NETSONDE_BENCH_RUNS runs (NETSONDE_BENCH_RUNS)"
    bash "$ROOT/tests/netns/lab.sh" run \
        --serve "sh $ROOT/tests/dns/lab/start-named.sh $ROOT/tests/dns/lab $WORK $WORK/named.conf >/dev/null 2>&1" \
        -- bash "$0" --inside "$BUILD" "$WORK/rows"
    "$BUILD/benchmarks/bench_whois_flood_stall" > "$WORK/stall" 2>/dev/null
    stall=$(awk '{ for (i = 1; i < NF; i++) if ($i == "stall" && $(i + 1) ~ /^[0-9]+$/ && $(i + 1) + 0 > worst) worst = $(i + 1) + 0 }
                 END { print worst + 0 }' "$WORK/stall")
    row "longest stall, WhoIs server floods window (ms)" "$stall" >> "$WORK/rows"
    echo
    printf '%-60s %12s %12s %7s %8s  %s\n' figure Netsonde other ratio target verdict
    cat "$WORK/rows"
    echo
    cat "$WORK/stall"
    exit 0
fi

BUILD=$2
ROWS=$3
NETSONDE="$BUILD/netsonde"
BENCH="$BUILD/benchmarks"
TIMES=("$ROOT/benchmarks/process_times.py")
RUNS=$NETSONDE_BENCH_RUNS
DEST=$NETSONDE_LAB_DESTINATION
export XDG_CONFIG_HOME=$(mktemp -d) XDG_RUNTIME_DIR=$(mktemp -d)
chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=offscreen
exec >> "$ROWS"

# Median wall time (ms) and peak memory (KiB) of a whole process.
measure() { "${TIMES[@]}" run "$RUNS" "$@"; }

for ((i = 0; i < 50; i++)); do
    dig +short +tries=1 +time=1 "@$DEST" lab.test SOA >/dev/null 2>&1 && break
    sleep 0.2
done

read -r ours_ms ours_kb < <(measure "$NETSONDE" --report --type a --server "$DEST" -n www.lab.test)
read -r dig_ms dig_kb < <(measure dig +tries=1 +time=2 "@$DEST" www.lab.test A)
row "DNS lookup, report mode vs dig (ms)" "$ours_ms" "$dig_ms" 0.5
row "  peak memory (KiB)" "$ours_kb" "$dig_kb" 1

# An answer that needs TCP: bigtxt.lab.test's TXT set is larger than the
# 1232 bytes both offer over UDP, so both get a cut answer and ask again
# over TCP. The figure's note tells when that did not happen.
tcp_lookup=(--report --type txt --server "$DEST" -n bigtxt.lab.test)
tcp_note=
if ! dig +tries=1 +time=2 "@$DEST" bigtxt.lab.test TXT 2>&1 | grep -q 'retrying in TCP mode'; then
    tcp_note=" [dig did not retry over TCP]"
elif ! "$NETSONDE" --format json "${tcp_lookup[@]}" 2>/dev/null | grep -q '"transport": "tcp"'; then
    tcp_note=" [not over TCP]"
fi
read -r ours_ms ours_kb < <(measure "$NETSONDE" "${tcp_lookup[@]}")
read -r dig_ms dig_kb < <(measure dig +tries=1 +time=2 "@$DEST" bigtxt.lab.test TXT)
row "DNS lookup needing TCP vs dig (ms)$tcp_note" "$ours_ms" "$dig_ms" 0.5
row "  peak memory (KiB)" "$ours_kb" "$dig_kb" 1

# The window is timed from outside, whole processes from exec: Netsonde as
# users start it, with the window probe preloaded, against a bare six-tab Qt
# dialog timed the same way (window_probe.h, process_times.py).
read -r bare_start bare_exit bare_kb < <("${TIMES[@]}" window "$RUNS" "$BENCH/bench_bare_window")
read -r ours_start ours_exit ours_kb < <("${TIMES[@]}" window "$RUNS" \
    LD_PRELOAD="$BENCH/libbench_window_probe.so" "$NETSONDE")
read -r linked_start linked_exit _ < <("${TIMES[@]}" window "$RUNS" "$BENCH/bench_window" startup)
row "window start, exec to first idle (ms)" "$ours_start" "$bare_start" 1.5
row "  window code linked in (bench_window)" "$linked_start" "$bare_start"
row "window exit, close request to process end (ms)" "$ours_exit" "$bare_exit" 2
row "  window code linked in (bench_window)" "$linked_exit" "$bare_exit"
row "  peak memory, window start and exit (KiB)" "$ours_kb" "$bare_kb"
row "append 30000 chars in 2048-byte chunks (ms)" \
    "$("$BENCH/bench_window" append 5 2>/dev/null | awk '{ print $2 }')"

# Ping and TraceRoute take part where report mode gives result rows for them;
# "n/a" where it does not (an address family it cannot reach yet).
has_rows() {
    "$NETSONDE" --report "$@" 2>/dev/null | awk 'seen && NF { found = 1 } /^#    Address/ { seen = 1 } END { exit !found }'
}

# measure_report ARGUMENT...: like measure, "n/a n/a" when report mode gives no rows.
measure_report() {
    if has_rows "$@"; then
        measure "$NETSONDE" --report "$@"
    else
        echo "n/a n/a"
    fi
}

# trace_rows DESTINATION LABEL [FAMILY_OPTION]: the three-hop trace against
# traceroute and mtr, both given the family option.
trace_rows() {
    local dest=$1 label=$2 family=("${@:3}") ours_ms ours_kb their_ms their_kb tool command target
    read -r ours_ms ours_kb < <(measure_report --no-resolve --hops 5 -t "$dest")
    for tool in traceroute mtr; do
        case $tool in
        traceroute) command=(traceroute "${family[@]}" -I -n -q 1 "$dest") target=2 ;;
        mtr) command=(mtr "${family[@]}" -r -n -c 1 "$dest") target= ;;
        esac
        if command -v "$tool" >/dev/null; then
            read -r their_ms their_kb < <(measure "${command[@]}")
        else
            their_ms="not installed" their_kb=
        fi
        row "three-hop trace$label vs ${command[*]:0:${#command[@]}-1} (ms)" "$ours_ms" "$their_ms" $target
        row "  peak memory (KiB)" "$ours_kb" "$their_kb"
    done
}

trace_rows "$DEST" ""
trace_rows "$NETSONDE_LAB_DESTINATION6" " over IPv6" -6

# trace_row FIGURE TARGET RULE OURS THEIRS DESTINATION: a trace against traceroute
# -I -n -q 1, with a lab rule (lab-rule.sh's arguments, or none) around both figures;
# OURS and THEIRS are each tool's further options.
trace_row() {
    local figure=$1 target=$2 rule=($3) ours=($4) theirs=($5) dest=$6 ours_ms ours_kb their_ms their_kb
    [ ${#rule[@]} -eq 0 ] || bash "$ROOT/tests/netns/lab-rule.sh" "${rule[@]}"
    read -r ours_ms ours_kb < <(measure_report --no-resolve "${ours[@]}" -t "$dest")
    if command -v traceroute >/dev/null; then
        read -r their_ms their_kb < <(measure traceroute -I -n -q 1 "${theirs[@]}" "$dest")
    else
        their_ms="not installed" their_kb=
    fi
    bash "$ROOT/tests/netns/lab-rule.sh" clear
    row "$figure vs traceroute (ms)" "$ours_ms" "$their_ms" "$target"
    row "  peak memory (KiB)" "$ours_kb" "$their_kb"
}

trace_row "three-hop trace, router2 silent" 1.5 "silent $NETSONDE_LAB_NS_ROUTER2" "" "" "$DEST"
trace_row "six-hop trace, router3 to router5 silent" 1.5 \
    "silent $NETSONDE_LAB_NS_ROUTER3 $NETSONDE_LAB_NS_ROUTER4 $NETSONDE_LAB_NS_ROUTER5" "" "" "$NETSONDE_LAB_FAR"
trace_row "trace to a deaf far host, 15 hops" 1 "deaf $NETSONDE_LAB_NS_FAR" "--hops 15" "-m 15" \
    "$NETSONDE_LAB_FAR"
trace_row "six-hop trace, every hop answering" 2 "" "" "" "$NETSONDE_LAB_FAR"
# What no report-mode run can go below: a Qt Core program that only starts.
read -r floor_ms floor_kb < <(measure "$BENCH/bench_bare_core")
read -r true_ms _ < <(measure /bin/true)
row "  a bare Qt Core program, start to end (ms)" "$floor_ms" "$true_ms"

# Five echoes over IPv6, whole processes.
# Ten rounds to every hop 0.2 s apart, against mtr's report of as many; then
# the Sent count each tool gives the destination's hop.
read -r ours_ms ours_kb < <(measure_report --no-resolve --rounds 10 --interval 0.2 -t "$DEST")
ours_sent=$("$NETSONDE" --report --format=json --no-resolve --rounds 10 --interval 0.2 -t "$DEST" 2>/dev/null |
    python3 -c 'import json, sys; print(json.load(sys.stdin)["rows"][-1]["sent"])' 2>/dev/null)
their_ms="not installed" their_kb= their_sent=
if command -v mtr >/dev/null; then
    read -r their_ms their_kb < <(measure mtr -r -n -c 10 -i 0.2 "$DEST")
    their_sent=$(mtr -r -n -c 10 -i 0.2 "$DEST" | awk '/[|]--/ { sent = $4 } END { print sent }')
fi
row "10 rounds to each hop, 0.2 s apart, vs mtr -r -n -c 10 -i 0.2 (ms)" "$ours_ms" "$their_ms" 1
row "  peak memory (KiB)" "$ours_kb" "$their_kb"
row "  Sent to the destination's hop" "${ours_sent:-none}" "${their_sent:-none}"

# Five echoes over IPv6, whole processes: the delayed responder below answers IPv4 only.
read -r ours_ms ours_kb < <(measure_report --no-resolve --count 5 --delay 200 -p "$NETSONDE_LAB_DESTINATION6")
if command -v ping >/dev/null; then
    read -r their_ms their_kb < <(measure ping -6 -n -c 5 -i 0.2 "$NETSONDE_LAB_DESTINATION6")
else
    their_ms="not installed" their_kb=
fi
row "Ping 5 echoes over IPv6 vs ping -6 (ms)" "$ours_ms" "$their_ms"
row "  peak memory (KiB)" "$ours_kb" "$their_kb"

# A Ping run until stopped (delay 0, every echo answered at once) as report
# mode keeps it: its rows and samples are bounded, so its peak memory hardly
# grows from 10^3 to 10^6 samples.
peaks=$("$BENCH/bench_ping_memory" | awk '{ print $6 }' | tr '\n' ' ')
read -r peak_thousand peak_hundred_thousand peak_million <<< "$peaks"
row "peak memory of a 10^6-sample Ping run vs a 10^3-sample run (KiB)" "$peak_million" "$peak_thousand" 1.5
row "  after 10^5 samples (KiB)" "$peak_hundred_thousand" "$peak_thousand"

# This kernel has no netem queueing discipline: a responder of our own in the
# destination answers every echo request 80 ms late, for both tools.
exec 3> >("$BENCH/lab_delayed_echo" "$NETSONDE_LAB_NS_DESTINATION" 80 >/dev/null)
sleep 1
ours=n/a
has_rows --count 1 --no-resolve -p "$DEST" && ours=$("$NETSONDE" --report --no-resolve --count 5 --delay 200 -p "$DEST" 2>/dev/null |
    awk '/^#    Address/ { on = 1; next } on && NF >= 2 { print $(NF-1) }' | tr -dc '0-9\n' | awk 'NF { s += $1; n++ } END { if (n) printf "%.2f", s / n }')
theirs=$(ping -n -c 5 -i 0.2 "$DEST" 2>/dev/null | awk -F'[=/ ]+' '/^rtt/ { print $7 }')
row "Ping mean round trip over +80 ms (ms)" "${ours:-none}" "${theirs:-none}"
exec 3>&-
sleep 0.5
