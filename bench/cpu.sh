#!/usr/bin/env bash
# CPU benchmark: how much processor time Kestrin uses while its main window sits idle, while
# a single player game runs, and while a multi player copy waits for an opponent with the
# search for games nearby on. Runs the game under an Xvfb of our own with auto-start (single
# player), measures user + system time from /proc/<pid>/stat over a period with the window idle,
# then presses Alt+S (Start) and measures the same period of a running game; then starts it
# again in multi player and measures the waiting period. It runs in a network namespace of its
# own, and its copies look for games on loopback only. Prints each as a percentage of one core. Builds
# nothing.
#
# Usage: bench/cpu.sh [BUILD_FOLDER] [SECONDS] [WAITING]
#   BUILD_FOLDER  folder of a built tree whose bin/ holds Kestrin (default: build/ of the repository)
#   SECONDS       length of the idle and the game periods, 5 to 40 (default 10; a game lasts 60 s)
#   WAITING       length of the waiting period, 10 to 120 (default 60)
# Environment: KEEP_SANDBOX=1 keeps the temporary folder (screenshots of the check, game log).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=bench/common.sh
source "$here/common.sh"
# The multi player copies started here can reach nothing but a loopback of their own.
own_network "$@"

build=${1:-$(dirname "$here")/build}
seconds=${2:-10}
waiting=${3:-60}
whole_number SECONDS "$seconds" 5 40
whole_number WAITING "$waiting" 10 120
bin=$build/bin
bench_program "$build" Kestrin
need_tool xdotool xdotool
need_tool import imagemagick
need_tool compare imagemagick

trap cleanup EXIT
trap 'exit 130' INT TERM
make_sandbox
copy_program_folder "$bin"
write_settings 0 1 Bench
start_xvfb

ticks_per_second=$(getconf CLK_TCK)

# cpu_ticks PID: user + system time so far, in clock ticks (fields 14 and 15 of /proc/PID/stat).
cpu_ticks() {
    local stat
    stat=$(<"/proc/$1/stat") || return 1
    stat=${stat##*) } # drop "pid (name) ": the name may hold blanks and parentheses
    # shellcheck disable=SC2086
    set -- $stat # now $1 is field 3 (state), so fields 14 and 15 are ${12} and ${13}
    echo $((${12} + ${13}))
}

now_ns() { date +%s%N; }

# measure PID LABEL [SECONDS]: CPU share of PID over $seconds (or SECONDS) seconds, also of the X server
measure() {
    local pid=$1 label=$2 period=${3:-$seconds} start_ticks end_ticks start_x end_x start_ns end_ns
    start_ticks=$(cpu_ticks "$pid") || die "the game ended before the $label period"
    start_x=$(cpu_ticks "$XVFB_PID")
    start_ns=$(now_ns)
    sleep "$period"
    end_ticks=$(cpu_ticks "$pid") || die "the game ended during the $label period"
    end_x=$(cpu_ticks "$XVFB_PID")
    end_ns=$(now_ns)
    awk -v t=$((end_ticks - start_ticks)) -v x=$((end_x - start_x)) -v ns=$((end_ns - start_ns)) \
        -v hz="$ticks_per_second" -v label="$label" 'BEGIN {
            wall = ns / 1e9
            printf "%-26s %10.2f %% %14.2f %% %10.1f s\n", label, 100 * t / hz / wall, 100 * x / hz / wall, wall }'
}

game_pid=""
launch game_pid "$SANDBOX/bin/Kestrin" >"$SANDBOX/game.log" 2>&1 </dev/null
note "Xvfb on $DISPLAY; waiting for the main window..."
window=$(wait_for_window "^Kestrin - Playing as " 30) ||
    die "no window 'Kestrin - Playing as ...' within 30 s (game log: $(tail -n 5 "$SANDBOX/game.log" | tr '\n' ' '))"
sleep 2 # let start-up work settle before the idle period

results=()
note "measuring ${seconds} s with the main window idle..."
results+=("$(measure "$game_pid" "main window idle")")

# Press Start. Without a window manager the window is given the keyboard focus directly,
# then Alt+S goes through the XTEST extension as a real key press would.
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window" || true
sleep 0.3
xdotool key --clearmodifiers alt+s
# Check that a game is running: its clock changes the window within a second and a half.
sleep 0.5
import -window "$window" "$SANDBOX/running-a.png"
sleep 1.5
import -window "$window" "$SANDBOX/running-b.png"
changed=$(compare -metric AE "$SANDBOX/running-a.png" "$SANDBOX/running-b.png" null: 2>&1 || true)
if [[ ${changed%% *} == 0 ]]; then
    note "warning: the window did not change after Alt+S; trying again with a key event sent to the window"
    xdotool key --window "$window" alt+s
    sleep 1
fi

note "measuring ${seconds} s of a running game..."
results+=("$(measure "$game_pid" "game running")")

# Multi player: the copy listens and answers queries, and asks every three seconds.
stop_pid "$game_pid"
forget_pid "$game_pid"
write_settings 1 1 Bench
launch game_pid "$SANDBOX/bin/Kestrin" >>"$SANDBOX/game.log" 2>&1 </dev/null
wait_for_window "^Kestrin - Playing as " 30 >/dev/null || die "no multi player window within 30 s"
sleep 2
note "measuring ${waiting} s of a multi player copy waiting, games nearby looked for..."
results+=("$(measure "$game_pid" "waiting, looking nearby" "$waiting")")

echo
echo "Kestrin CPU benchmark: share of one core over ${seconds} s periods (single player) and ${waiting} s waiting"
echo "(multi player), Xvfb 1024x768x24"
echo
printf '%-26s %12s %16s %12s\n' "period" "Kestrin" "X server (info)" "wall time"
printf '%s\n' "${results[@]}"
printf '%-26s %12s\n' "goal" "< 1 % (waiting: < 0.1 %)"
echo
echo "command: bench/cpu.sh $build $seconds $waiting"
echo "how: utime + stime of /proc/<pid>/stat before and after each period; the game started from a"
echo "     temporary copy of $bin with [Program] GameSelect=0 AutoStart=1, [Scores] LastName=Bench;"
echo "     Start pressed with: xdotool windowfocus <window>; xdotool key alt+s; then GameSelect=1 for"
echo "     the waiting period (KESTRIN_DISCOVERY=loopback)"
if [[ ${changed%% *} == 0 ]]; then
    echo "note: the first Alt+S did not visibly start the game (window unchanged); the second went to the window"
fi
