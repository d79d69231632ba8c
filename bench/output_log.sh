#!/usr/bin/env bash
# Output log benchmark: a chat flood of LINES lines added to the main window's output log (the
# text box model bound to its QPlainTextEdit, on the offscreen platform), one line at a time as
# the game adds them. Each run measures the first and the last thousand lines, in processor time
# (which other work on a busy machine does not lengthen) and on the clock; this script runs the
# program RUNS times and prints every run and the medians, with the ratios last / first (the log
# keeps its pace when they stay near 1; the goal is at most 1.5), the totals and the peak
# resident memory. Builds nothing.
#
# Usage: bench/output_log.sh [BUILD_FOLDER] [RUNS] [LINES]
#   BUILD_FOLDER  a built tree whose bin/ holds bench_output_log (default: the repository's build/)
#   RUNS          runs of the program, odd (default 7)
#   LINES         lines per run, at least 2000 (default 100000)
# Environment: BENCH_REPLACE=1 gives the model the whole log with each new line (setText with
# a copy of the log), as the game did before the log could be added to; try it with fewer lines.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=bench/common.sh
source "$here/common.sh"

build=${1:-$(dirname "$here")/build}
runs=${2:-7}
lines=${3:-100000}
odd_whole_number RUNS "$runs"
whole_number LINES "$lines" 2000
bench_program "$build" bench_output_log

extra=()
[[ ${BENCH_REPLACE:-0} == 1 ]] && extra+=(--replace)

offscreen_session

# Columns: first, last and ratio in processor time, then on the clock, total processor time,
# total time on the clock, peak memory.
keys=(first-block-cpu-ms last-block-cpu-ms ratio first-block-wall-ms last-block-wall-ms wall-ratio
    total-cpu-ms total-wall-ms peak-memory-kib)
format='%-7s %9s %9s %6s %10s %10s %6s %10s %10s %9s\n'
results=()
# shellcheck disable=SC2059
printf "$format" run first-cpu last-cpu ratio first-wall last-wall ratio total-cpu total-wall peak-kib
for ((run = 1; run <= runs; run++)); do
    out=$("$program" "$lines" 1000 "${extra[@]}") || die "run $run failed"
    row=$(awk -v keys="${keys[*]}" '{v[$1] = $2} END {n = split(keys, k, " "); for (i = 1; i <= n; i++) printf "%s%s", (i > 1 ? " " : ""), v[k[i]]}' <<<"$out")
    results+=("$row")
    # shellcheck disable=SC2059,SC2086
    printf "$format" "$run" $row
done

# The median of column N of the runs.
median() {
    printf '%s\n' "${results[@]}" | awk -v n="$1" '{print $n}' | sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'
}
medians=()
for ((column = 1; column <= ${#keys[@]}; column++)); do medians+=("$(median "$column")"); done
# shellcheck disable=SC2059
printf "$format" median "${medians[@]}"
printf 'lines %s in blocks of 1000; times in ms; goal: median ratio (processor time) <= 1.5\n' "$lines"
