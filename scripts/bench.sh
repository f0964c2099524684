#!/usr/bin/env bash
# Builds the benchmarks in the optimised build the package shares
# (build-release/, see scripts/lib.sh) and runs them: the device operations
# against the simulated receiver paced at 9600 baud, through the link, with
# blind 50 ms sleeps for comparison, and through the window; then the window's
# micro-benchmarks; then the simulated receiver on its pty (pacing, the tool's
# pauses as it logs them, idle CPU). Prints every figure beside its goal, the
# paced ones as ratios to the line's time with the absolute times beside them.
# About nine minutes.
#
#   scripts/bench.sh [--record] [--quick]
#     --record  append this run's figures, with the date, the commit and the
#               machine, to the table of runs in docs/performance.md (before
#               its marker line "<!-- scripts/bench.sh --record ...")
#     --quick   transfer_bench's short operations only
#   scripts/bench.sh --smoke
#     every benchmark briefly (about four minutes; CI): transfer_bench --quick,
#     the micro-benchmarks with a small minimum time, the pty receiver with its
#     paced bulk read, one minute of long run. Fails only on a wrong result,
#     not on a missed timing goal.
#
# Each benchmark exits 1 when it misses a timing goal and 2 on a wrong result.
set -euo pipefail
cd "$(dirname "$0")/.."

record=false
smoke=false
transfer_args=()
for a in "$@"; do
    case "$a" in
    --record) record=true ;;
    --smoke) smoke=true ;;
    *) transfer_args+=("$a") ;;
    esac
done

# shellcheck source=lib.sh
. scripts/lib.sh
scripts/setup.sh
release_build --target transfer_bench window_bench pty_receiver_bench long_run
bin=build-release/bench
log=build-release/bench.log
: >"$log"

missed=0
wrong=0
# Runs one benchmark, its output both shown and kept for --record.
run() {
    local rc=0
    "$@" 2>&1 | tee -a "$log" || rc=${PIPESTATUS[0]}
    echo
    case $rc in
    0) ;;
    1) missed=1 ;;
    *) wrong=1 ;;
    esac
}

load=$(cut -d' ' -f1 /proc/loadavg)
if $smoke; then
    run "$bin"/transfer_bench --quick
    run "$bin"/window_bench --benchmark_min_time=0.01
    run "$bin"/pty_receiver_bench
    run "$bin"/long_run --transfers 20 --reception-minutes 1
    [ $missed -eq 0 ] || echo "bench: a timing goal missed (not a failure of the smoke run)"
    [ $wrong -eq 0 ] || { echo "bench: WRONG RESULT" >&2; exit 1; }
    exit 0
fi

run "$bin"/transfer_bench "${transfer_args[@]}"
run "$bin"/window_bench --benchmark_min_time=0.2
run "$bin"/pty_receiver_bench

if $record; then
    # One row: the figure lines' first number, "–" where this run has none.
    figure() {
        awk -v f="$1" 'index($0, f) == 1 { v = substr($0, length(f) + 1); split(v, w, " ");
            print w[1]; found = 1; exit } END { if (!found) print "–" }' "$log"
    }
    marker='^<!-- scripts/bench.sh --record'
    page=docs/performance.md
    grep -q "$marker" "$page" || { echo "bench: no table of runs in $page" >&2; exit 2; }
    commit=$(git rev-parse --short HEAD)
    git diff --quiet HEAD || commit="$commit+changes"
    row="| $(date -u +%F) | $commit | $(nproc) cores, load $load |"
    for f in "full read (2), link: wall / line" "full write (4), link: wall / line" \
        "full read (2), window: wall / line" "full write (4), window: wall / line" \
        "full read, window: cpu / wall" "paced bulk read at the client / line" \
        "paced version answer, \"?\" to the last byte / line" \
        "RefreshRemoteGrid, all slots changing"; do
        row="$row $(figure "$f") |"
    done
    # Before the marker line, which ends the table.
    awk -v row="$row" -v m="$marker" '$0 ~ m && !done { print row; done = 1 } { print }' \
        "$page" >"$page.new"
    mv "$page.new" "$page"
    echo "bench: this run added to $page"
fi
[ $wrong -eq 0 ] || exit 2
exit $missed
