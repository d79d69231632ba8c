#!/usr/bin/env bash
# Link latency benchmark: how long a bank takes to show on the opponent's copy, against a bare
# QTcpSocket send of the same size. Runs bench_link_latency RUNS times on the offscreen platform;
# each run takes BANKS banks of two whole copies of the game in one process over loopback (Qt
# sockets, Qt timers, one event loop) and, alternating with them, as many bare 5-byte sends
# between two QTcpSockets with LowDelay. Prints every run and the medians of the runs: the bank
# click on one copy -> the score label changing on the other, the bare send -> read, both as
# median and 99th percentile in microseconds, and the ratio of the medians. Builds nothing.
#
# Usage: bench/link_latency.sh [BUILD_FOLDER] [BANKS] [RUNS]
#   BUILD_FOLDER  a built tree whose bin/ holds bench_link_latency (default: the repository's build/)
#   BANKS         banks (and bare sends) per run, at least 1000 (default 2000)
#   RUNS          runs of the program, odd (default 3)
# Goal: game median under 1 ms, game median / bare median at most 1.5.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=bench/common.sh
source "$here/common.sh"

build=${1:-$(dirname "$here")/build}
banks=${2:-2000}
runs=${3:-3}
whole_number BANKS "$banks" 1000
odd_whole_number RUNS "$runs"
bench_program "$build" bench_link_latency
need_tool timeout coreutils

offscreen_session

keys=(game-median-us game-p99-us bare-median-us bare-p99-us ratio bare-queued-median-us queued-ratio)
format='%-7s %12s %10s %12s %10s %7s %14s %9s\n'
# shellcheck disable=SC2059
printf "$format" run game-median game-p99 bare-median bare-p99 ratio queued-median q-ratio
results=()
breakdown=""
for ((run = 1; run <= runs; run++)); do
    out=$(timeout -k 3 600 "$program" "$banks") || die "run $run failed: $out"
    row=$(awk -v keys="${keys[*]}" '{v[$1] = $2} END {n = split(keys, k, " "); for (i = 1; i <= n; i++) printf "%s%s", (i > 1 ? " " : ""), v[k[i]]}' <<<"$out")
    results+=("$row")
    # shellcheck disable=SC2059,SC2086
    printf "$format" "$run" $row
    breakdown=$(grep -E '^(game|bare)-(click|send|taken)' <<<"$out" || true)
done

median() {
    printf '%s\n' "${results[@]}" | awk -v n="$1" '{print $n}' | sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'
}
medians=()
for ((column = 1; column <= ${#keys[@]}; column++)); do medians+=("$(median "$column")"); done
# shellcheck disable=SC2059
printf "$format" median "${medians[@]}"
echo
echo "times in microseconds; $banks banks per run; game = bank click on copy A -> score label changed on"
echo "copy B; bare = 5-byte QTcpSocket send (LowDelay, flushed) -> read by the other socket's readyRead;"
echo "queued = the same bare send read through a queued readyRead connection (information)"
echo "goal: game median < 1000 us, ratio (game median / bare median) <= 1.5"
echo
echo "where the time goes, medians of the last run:"
while read -r name value; do printf '  %-26s %s\n' "$name" "$value"; done <<<"$breakdown"
echo
echo "command: bench/link_latency.sh $build $banks $runs  (each run: QT_QPA_PLATFORM=offscreen $program $banks)"
