#!/usr/bin/env bash
# Runs every benchmark once, inside the namespace lab, and prints figures and
# ratios (Netsonde / the usual tool). Not a test: nothing passes or fails.
#
# Usage: benchmarks/run.sh [BUILD_DIR]     (needs root for the lab; named, dig,
#        /usr/bin/time; traceroute, mtr and ping for the ICMP parts)
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
RUNS=${NETSONDE_BENCH_RUNS:-20}

if [ "${1:-}" != --inside ]; then
    BUILD=$(cd "${1:-$ROOT/build}" && pwd)
    cmake --build "$BUILD" --target netsonde bench_window bench_whois_flood_stall bench_delayed_echo -j2 >/dev/null || exit 1
    WORK=$(mktemp -d)
    trap 'rm -rf "$WORK"' EXIT
    sed -e "s|@NAMED_WORK_DIR@|$WORK|" -e "s|@NAMED_ZONE_DIR@|$ROOT/tests/dns/lab|" \
        -e "s|@NAMED_ADDRESS@|10.200.3.2|" "$ROOT/tests/dns/lab/named.conf.in" > "$WORK/named.conf"
    echo "machine: $(uname -srm), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
    bash "$ROOT/tests/netns/lab.sh" run --serve "named -g -c $WORK/named.conf >/dev/null 2>&1" \
        -- bash "$0" --inside "$BUILD"
    status=$?
    echo "longest event-loop stall while a WhoIs server floods the window:"
    "$BUILD/benchmarks/bench_whois_flood_stall"
    exit $status
fi

BUILD=$2
NETSONDE="$BUILD/netsonde"
BENCH="$BUILD/benchmarks/bench_window"
DEST=$NETSONDE_LAB_DESTINATION
export XDG_CONFIG_HOME=$(mktemp -d) XDG_RUNTIME_DIR=$(mktemp -d)
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY

now_ns() { date +%s%N; }

# Mean wall time in ms of RUNS runs of a command.
mean_ms() {
    local start end i
    start=$(now_ns)
    for ((i = 0; i < RUNS; i++)); do "$@" >/dev/null 2>&1; done
    end=$(now_ns)
    awk -v t=$((end - start)) -v n="$RUNS" 'BEGIN { printf "%.2f", t / n / 1e6 }'
}

peak_kb() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
row() { printf '%-44s %12s %12s %8s\n' "$@"; }

for ((i = 0; i < 50; i++)); do
    dig +short +tries=1 +time=1 "@$DEST" lab.test SOA >/dev/null 2>&1 && break
    sleep 0.2
done

row "figure" "Netsonde" "other" "ratio"
report_dns=(env QT_QPA_PLATFORM=offscreen "$NETSONDE" --report --type a --server "$DEST" -n www.lab.test)
dig_dns=(dig +tries=1 +time=2 "@$DEST" www.lab.test A)
a=$(mean_ms "${report_dns[@]}"); b=$(mean_ms "${dig_dns[@]}")
row "DNS lookup, report mode vs dig (ms, mean)" "$a" "$b" "$(ratio "$a" "$b")"
a=$(peak_kb "${report_dns[@]}"); b=$(peak_kb "${dig_dns[@]}")
row "  peak memory (KiB)" "$a" "$b" "$(ratio "$a" "$b")"

best=
for ((i = 0; i < 5; i++)); do
    t=$(QT_QPA_PLATFORM=offscreen "$BENCH" startup 2>/dev/null | awk '{ print $2 }')
    best=$(awk -v a="${best:-$t}" -v b="$t" 'BEGIN { print (b < a ? b : a) }')
done
row "window start-up to first idle (ms, best of 5)" "$best" "" ""
row "  peak memory (KiB)" "$(peak_kb env QT_QPA_PLATFORM=offscreen "$BENCH" startup)" "" ""
row "append 30000 chars in 2048-byte chunks (ms)" \
    "$(QT_QPA_PLATFORM=offscreen "$BENCH" append 5 2>/dev/null | awk '{ print $2 }')" "" ""

# Ping and TraceRoute take part once report mode gives result rows for them.
has_rows() {
    "$NETSONDE" --report "$@" 2>/dev/null | awk 'seen && NF { found = 1 } /^#    Address/ { seen = 1 } END { exit !found }'
}
if ! has_rows --count 1 --no-resolve -p "$DEST"; then
    row "three-hop trace" "not available" "" ""
    row "Ping over a delayed link" "not available" "" ""
    exit 0
fi

trace=("$NETSONDE" --report --no-resolve --hops 5 -t "$DEST")
for tool in "traceroute -I -n -q 1 $DEST" "mtr -r -n -c 1 $DEST"; do
    if command -v "${tool%% *}" >/dev/null; then
        a=$(mean_ms "${trace[@]}"); b=$(mean_ms $tool)
        row "three-hop trace vs ${tool%% *} (ms)" "$a" "$b" "$(ratio "$a" "$b")"
        row "  peak memory (KiB)" "$(peak_kb "${trace[@]}")" "$(peak_kb $tool)" ""
    else
        row "three-hop trace vs ${tool%% *}" "" "not installed" ""
    fi
done

# This kernel has no netem queueing discipline: a responder of our own in the
# destination answers every echo request 80 ms late, for both tools.
exec 3> >("$BUILD/benchmarks/bench_delayed_echo" 80)
sleep 1
ours=$("$NETSONDE" --report --no-resolve --count 5 --delay 200 -p "$DEST" 2>/dev/null |
    awk '/^#    Address/ { on = 1; next } on && NF >= 2 { print $(NF-1) }' | tr -dc '0-9\n' | awk 'NF { s += $1; n++ } END { if (n) printf "%.2f", s / n }')
theirs=$(ping -n -c 5 -i 0.2 "$DEST" 2>/dev/null | awk -F'[=/ ]+' '/^rtt/ { print $7 }')
row "Ping mean round trip over +80 ms (ms)" "${ours:-none}" "${theirs:-none}" "$(ratio "${ours:-0}" "${theirs:-0}")"
exec 3>&-
sleep 0.5
