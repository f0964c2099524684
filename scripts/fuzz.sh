#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, address and undefined-
# behaviour sanitizers) into build-fuzz/ and runs each for SECONDS (default
# 600) from seeds made from the tests' cases, one target after the other.
# Prints each target's executions and coverage; exits 1 when a target finds
# a crash (the input is kept under build-fuzz/findings/).
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]      e.g. scripts/fuzz.sh 15
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true

# shellcheck source=lib.sh
. scripts/lib.sh
scripts/setup.sh
need_packages clang libclang-rt-14-dev

out=build-fuzz
cmake --preset fuzz >/dev/null
cmake --build "$out" -j "$(nproc)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    # Every target the build has (fuzz/CMakeLists.txt lists them).
    mapfile -t targets <"$out/fuzz/targets.txt"
fi
seeds="$out/seeds"
rm -rf "$seeds"
"$out"/fuzz/fuzz_make_seeds "$seeds"
mkdir -p "$out/findings"

status=0
printf '%-26s %12s %8s %8s  %s\n' target executions cov features result
for t in "${targets[@]}"; do
    corpus="$out/corpus/$t"
    mkdir -p "$corpus"
    log="$out/$t.log"
    if "$out/fuzz/$t" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$out/findings/$t-" "$corpus" "$seeds/$t" >"$log" 2>&1; then
        result=ok
    else
        result="FOUND (see $log)"
        status=1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    printf '%-26s %12s %8s %8s  %s\n' "$t" "${runs:-?}" "${cov:-?}" "${ft:-?}" "$result"
done
exit $status
