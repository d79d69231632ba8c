#!/usr/bin/env bash
# Start-up and memory benchmark: Kestrin against a bare Qt Widgets dialog that links the same
# Qt modules (bench_bare_dialog). Both programs are run alternately under an Xvfb of our own;
# each run reports the time from its exec to its first painted window (the programs print it
# themselves, to a tenth of a millisecond, when KESTRIN_BENCH_FIRST_PAINT is set, then quit) and
# its peak resident memory. The program is exec'd by a bash that stamps the wall clock into
# KESTRIN_BENCH_T0 just before (see platform/qt/first_paint_probe.h for what the time includes;
# without the stamp the probe falls back to the kernel's process start time, 10 ms ticks).
# Prints the medians, the ratios game / reference, and the median over the runs of the ratio
# game run i / reference run i (the two run back to back, so a slow moment of the machine weighs
# on both). Builds nothing.
#
# Usage: bench/startup.sh [BUILD_FOLDER] [RUNS]
#   BUILD_FOLDER  a built tree whose bin/ holds Kestrin and bench_bare_dialog
#                 (default: the repository's build/)
#   RUNS          measured runs of each program, at least 11 (default 11)
# Environment: RUN_TIMEOUT (seconds per run, default 30); KEEP_SANDBOX=1 keeps the temporary
# folder; BENCH_MEMORY_FROM_PROC=1 takes the peak memory the programs report themselves
# (VmHWM when they quit) instead of /usr/bin/time's figure for the whole run; BENCH_START=process
# times from the kernel's process start instead of the exec stamp (as before the stamp existed).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=bench/common.sh
source "$here/common.sh"

build=${1:-$(dirname "$here")/build}
runs=${2:-11}
timeout_seconds=${RUN_TIMEOUT:-30}
[[ $runs =~ ^[0-9]+$ ]] || die "RUNS must be a whole number, not '$runs'"
((runs >= 11)) || die "RUNS must be at least 11 (medians of fewer runs are too noisy)"

bin=$build/bin
bench_program "$build" Kestrin
[[ -x $bin/bench_bare_dialog ]] ||
    die "$bin/bench_bare_dialog not found; build it first: cmake --build $build --target bench_bare_dialog"
need_tool timeout coreutils
need_tool xdotool xdotool

trap cleanup EXIT
trap 'exit 130' INT TERM
make_sandbox
copy_program_folder "$bin"
# Auto-start single player, so the game opens straight into its main window.
write_settings 0 1 Bench
start_xvfb

use_time=0
[[ -x /usr/bin/time && ${BENCH_MEMORY_FROM_PROC:-0} != 1 ]] && use_time=1

# Starts the program given as its first argument: stamps the wall clock in nanoseconds since
# the epoch (bash's $EPOCHREALTIME, microseconds, read without starting another process) and
# execs the program at once, so that the probe measures from the exec.
# shellcheck disable=SC2016 # expanded by the inner bash, at the moment of the exec
stamp_and_exec=(bash -c 'export KESTRIN_BENCH_FIRST_PAINT=1 KESTRIN_BENCH_T0="${EPOCHREALTIME/[.,]/}000"; exec "$0"')
if [[ ${BENCH_START:-exec} == process ]]; then
    stamp_and_exec=(env -u KESTRIN_BENCH_T0 KESTRIN_BENCH_FIRST_PAINT=1)
elif [[ -z $(bash -c 'echo "${EPOCHREALTIME:-}"') ]]; then
    note "this bash has no EPOCHREALTIME: the times count from the process start (10 ms ticks)"
fi

# run_one PROGRAM -> sets run_ms, run_from, run_kib, run_error
run_one() {
    local program=$1 out="$SANDBOX/run.out" err="$SANDBOX/run.err" rss="$SANDBOX/run.rss" status=0
    run_ms="" run_from="" run_kib="" run_error=""
    rm -f "$out" "$err" "$rss"
    if ((use_time)); then
        timeout -k 3 "$timeout_seconds" /usr/bin/time -f '%M' -o "$rss" \
            "${stamp_and_exec[@]}" "$program" >"$out" 2>"$err" </dev/null || status=$?
        run_kib=$(tail -n 1 "$rss" 2>/dev/null | tr -dc '0-9' || true)
    else
        # Without GNU time: the probe's own reading of VmHWM, taken as it quits.
        timeout -k 3 "$timeout_seconds" "${stamp_and_exec[@]}" "$program" \
            >"$out" 2>"$err" </dev/null || status=$?
        run_kib=$(awk '$1 == "peak-memory-kib" {print $2; exit}' "$out")
    fi
    run_ms=$(awk '$1 == "first-paint" {print $2; exit}' "$out")
    run_from=$(awk '$1 == "first-paint-from" {print $2; exit}' "$out")
    if ((status == 124 || status == 137)); then
        run_error="timed out after ${timeout_seconds} s"
    elif ((status != 0)); then
        run_error="exit status $status"
    elif [[ -z $run_ms ]]; then
        run_error="no first-paint line"
    elif [[ -z $run_kib ]]; then
        run_error="no peak memory figure"
    fi
    if [[ -n $run_error ]]; then
        local tail_text
        tail_text=$(tail -n 3 "$err" 2>/dev/null | tr '\n' ' ' || true)
        [[ -n $tail_text ]] && run_error="$run_error; stderr: $tail_text"
    fi
    return 0
}

median() { # numbers on standard input, one a line
    sort -n | awk '{ v[NR] = $1 } END {
        if (NR == 0) { print "n/a"; exit }
        if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "n/a" || b == "n/a" || b == 0) print "n/a"; else printf "%.2f\n", a / b }'; }

median_ratio() { # ratios on standard input, one a line; the median with 3 decimals
    sort -g | awk '{ v[NR] = $1 } END {
        if (NR == 0) { print "n/a"; exit }
        if (NR % 2) printf "%.3f\n", v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

programs=("$SANDBOX/bin/bench_bare_dialog" "$SANDBOX/bin/Kestrin")
labels=(reference Kestrin)
declare -A times=() memory=() failures=() run_time=()
for label in "${labels[@]}"; do times[$label]="" memory[$label]="" failures[$label]=0; done
# Game / reference of each run whose two programs both painted; runs timed from the exec stamp.
pair_ratios=""
stamped_runs=0

note "Xvfb on $DISPLAY; warming up (one unmeasured run of each program)..."
for index in 0 1; do
    run_one "${programs[$index]}"
    [[ -z $run_error ]] || note "  warm-up ${labels[$index]}: FAILED ($run_error)"
done

for ((run = 1; run <= runs; run++)); do
    # Alternate which program goes first, so neither always follows the other.
    if ((run % 2)); then order=(0 1); else order=(1 0); fi
    line="run $(printf '%2d' "$run"):"
    run_time=()
    for index in "${order[@]}"; do
        label=${labels[$index]}
        run_one "${programs[$index]}"
        if [[ -n $run_error ]]; then
            failures[$label]=$((failures[$label] + 1))
            line+=" $label FAILED ($run_error);"
        else
            times[$label]+="$run_ms"$'\n'
            memory[$label]+="$run_kib"$'\n'
            run_time[$label]=$run_ms
            [[ $run_from == exec ]] && stamped_runs=$((stamped_runs + 1))
            line+=" $label ${run_ms} ms ${run_kib} KiB;"
        fi
    done
    if [[ -n ${run_time[Kestrin]:-} && -n ${run_time[reference]:-} ]]; then
        pair=$(awk -v a="${run_time[Kestrin]}" -v b="${run_time[reference]}" 'BEGIN { if (b > 0) printf "%.6f", a / b }')
        if [[ -n $pair ]]; then
            pair_ratios+="$pair"$'\n'
            line+=" ratio $(printf '%.3f' "$pair")"
        fi
    fi
    note "$line"
done

ref_ms=$(printf '%s' "${times[reference]}" | grep -v '^$' | median || true)
game_ms=$(printf '%s' "${times[Kestrin]}" | grep -v '^$' | median || true)
ref_kib=$(printf '%s' "${memory[reference]}" | grep -v '^$' | median || true)
game_kib=$(printf '%s' "${memory[Kestrin]}" | grep -v '^$' | median || true)
pair_median=$(printf '%s' "$pair_ratios" | grep -v '^$' | median_ratio || true)
pair_count=$(printf '%s' "$pair_ratios" | grep -c -v '^$' || true)
measured_runs=$((2 * runs - failures[reference] - failures[Kestrin]))

memory_source="peak RSS from /usr/bin/time -f %M"
((use_time)) || memory_source="VmHWM of /proc/self/status as the program quits"

echo
echo "Kestrin start-up benchmark: $runs runs of each program, alternating, Xvfb 1024x768x24"
echo "first paint = ms to the first painted window, from the exec stamp in $stamped_runs of $measured_runs runs and"
echo "              from the kernel's process start in the others; memory = $memory_source"
echo
printf '%-22s %18s %18s %10s\n' "program" "first paint (ms)" "peak memory (KiB)" "runs ok"
printf '%-22s %18s %18s %10s\n' "bench_bare_dialog" "$ref_ms" "$ref_kib" "$((runs - failures[reference]))/$runs"
printf '%-22s %18s %18s %10s\n' "Kestrin" "$game_ms" "$game_kib" "$((runs - failures[Kestrin]))/$runs"
printf '%-22s %18s %18s\n' "ratio Kestrin / bare" "$(ratio "$game_ms" "$ref_ms")" "$(ratio "$game_kib" "$ref_kib")"
printf '%-22s %18s %18s\n' "goal" "<= 1.15" "<= 1.15"
echo
echo "median of the pairwise first-paint ratios (Kestrin run i / bare run i, $pair_count pairs): $pair_median (goal <= 1.10)"
echo
echo "command: bench/startup.sh $build $runs"
if ((use_time)); then
    echo "each run: timeout -k 3 $timeout_seconds /usr/bin/time -f %M ${stamp_and_exec[*]} <bin>/<program>"
else
    echo "each run: timeout -k 3 $timeout_seconds ${stamp_and_exec[*]} <bin>/<program>"
fi
echo "          (program folder copied to a temporary folder; XDG_CONFIG_HOME with Kestrin.ini:"
echo "           [Program] GameSelect=0 AutoStart=1, [Scores] LastName=Bench)"

if ((failures[reference] == runs || failures[Kestrin] == runs)); then
    die "every run of one program failed; see the lines above"
fi
