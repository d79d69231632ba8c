#!/usr/bin/env bash
# Link CPU benchmark: processor time of the multi player link at rest, as a share of one core.
# Runs bench_link_cpu (whole copies of the game: the main window's logic on Qt sockets, Qt
# timers and the Qt event loop, with the test doubles for settings and message boxes) once for
# each state, each measuring its own user + system time (getrusage) over the period:
#   loop        the bare Qt event loop, no copy (reference)
#   listening   one copy in multi player mode, listening on a port the system picks
#   refused     one copy whose connect to 127.0.0.1 was refused, waiting for its ten-second
#               connect timeout (measured until half a second before the timeout is due)
#   connected   two copies connected over loopback and idle (both together)
# The real program is not used: in multi player mode it listens on the game's port (600, or
# 10600), on every interface, where these benchmarks keep to ports the system picks on loopback.
# Builds nothing.
#
# Usage: bench/link_cpu.sh [BUILD_FOLDER] [SECONDS]
#   BUILD_FOLDER  a built tree whose bin/ holds bench_link_cpu (default: the repository's build/)
#   SECONDS       length of each measured period, 2 to 60 (default 10; "refused" takes at most 9.5)
# Goal: each state under 1 % of a core.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=bench/common.sh
source "$here/common.sh"

build=${1:-$(dirname "$here")/build}
seconds=${2:-10}
whole_number SECONDS "$seconds" 2 60
bench_program "$build" bench_link_cpu
need_tool timeout coreutils

offscreen_session

format='%-28s %10s %10s %10s %10s\n'
# shellcheck disable=SC2059
printf "$format" state "cpu %" "cpu ms" "period ms" wakeups
declare -A labels=([loop]="event loop alone (reference)" [listening]="(a) listening"
    [refused]="(b) refused, waiting timeout" [connected]="(c) two copies connected")
notes=()
for state in loop listening refused connected; do
    note "measuring ${state}..."
    out=$(timeout -k 3 $((seconds + 30)) "$program" "$state" "$seconds") || die "state $state failed: $out"
    # shellcheck disable=SC2059
    awk -v label="${labels[$state]}" -v format="$format" '{v[$1] = $2} END {
        printf format, label, v["cpu-percent"], v["cpu-ms"], v["period-ms"], v["wakeups"] }' <<<"$out"
    if [[ $state == refused ]]; then
        notes+=("refused: the timeout came $(awk '$1 == "timeout-at-ms" {print $2}' <<<"$out") ms after the click on Connect and the copy listened again: $(awk '$1 == "timeout-came" {print ($2 == 1 ? "yes" : "NO")}' <<<"$out")")
    fi
done
# shellcheck disable=SC2059
printf "$format" goal "< 1" "" "" ""
echo
printf '%s\n' "${notes[@]}"
echo "cpu = user + system time of the whole process (getrusage) / period on the clock; wakeups = voluntary"
echo "context switches in the period"
echo "command: bench/link_cpu.sh $build $seconds  (each state: QT_QPA_PLATFORM=offscreen $program STATE $seconds)"
