#!/usr/bin/env bash
# Link flood benchmark: peak memory and drain time of a copy of the game flooded by its peer.
# Runs bench_link_flood once per flood and role (a fresh process each time, so that each peak
# is its own): one whole copy (the main window's logic on Qt sockets and Qt timers, test doubles
# for settings and message boxes) connected over loopback to a raw QTcpSocket peer that does the
# handshake by hand and then sends
#   big     "MSG" and 10 MiB of 'x' in one go
#   scores  "SCU 1" 100,000 times back to back, each written on its own
#   lines   "MSGline" 100,000 times back to back, each written on its own
#   chat    100,000 chat lines, each sent once the copy has taken the one before
#   long    10,000 chat lines of 2,000 characters, sent the same way
# Prints for each: the peak resident memory (VmHWM) idle and connected before the flood, after
# it, the growth, the time the copy took to take the whole flood, its largest single receive,
# the notices and the log's size, and whether it was still responsive (a zero-length timer ran
# and a chat line from the copy reached the peer, each within 5 s). Builds nothing.
#
# Usage: bench/link_flood.sh [BUILD_FOLDER] [ROLES]
#   BUILD_FOLDER  a built tree whose bin/ holds bench_link_flood (default: the repository's build/)
#   ROLES         "joiner", "host" or "joiner host" (default): the copy's side of the connection
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=bench/common.sh
source "$here/common.sh"

build=${1:-$(dirname "$here")/build}
roles=${2:-joiner host}
bench_program "$build" bench_link_flood
need_tool timeout coreutils
for role in $roles; do
    [[ $role == joiner || $role == host ]] || die "a role is joiner or host, not '$role'"
done

offscreen_session

format='%-7s %-7s %9s %9s %9s %9s %10s %9s %8s %8s %9s %9s\n'
# shellcheck disable=SC2059
printf "$format" flood copy idle-kib peak-kib growth rss-after drain-ms largest notices log-kib timer-ms chat-ms
failures=0
for role in $roles; do
    for flood in big scores lines chat long; do
        status=0
        out=$(timeout -k 3 200 "$program" "$flood" "$role" 2>&1) || status=$?
        if ((status != 0)) && ! grep -q '^flood ' <<<"$out"; then
            printf '%-7s %-7s FAILED (exit %s): %s\n' "$flood" "$role" "$status" "$(tail -n 2 <<<"$out" | tr '\n' ' ')"
            failures=$((failures + 1))
            continue
        fi
        # shellcheck disable=SC2059
        awk -v format="$format" -v flood="$flood" -v role="$role" '{v[$1] = $2} END {
            timer = v["timer-ms"] < 0 ? "none" : v["timer-ms"]; chat = v["chat-ms"] < 0 ? "none" : v["chat-ms"]
            drain = v["drained"] == 1 ? v["drain-ms"] : "not all"
            printf format, flood, role, v["idle-peak-kib"], v["flood-peak-kib"], v["peak-growth-kib"],
                v["after-rss-kib"], drain, v["largest-receive-kib"], v["notices"], v["log-kib"], timer, chat }' <<<"$out"
        if ((status != 0)); then
            failures=$((failures + 1))
            printf '        ^ not responsive or not connected afterwards (exit %s)\n' "$status"
        fi
    done
done
echo
echo "memory in KiB (idle = VmHWM connected and idle before the flood; peak = VmHWM once drained;"
echo "growth = peak - idle; rss-after = VmRSS then); drain-ms = first byte sent -> copy took the last;"
echo "largest = largest single receive in KiB; notices = unrecognised data notices (the test double"
echo "answers at once); log-kib = the output log's size; timer-ms / chat-ms = a zero-length timer ran /"
echo "a chat line from the copy reached the peer, after the flood"
echo "command: bench/link_flood.sh $build \"$roles\"  (each: QT_QPA_PLATFORM=offscreen $program FLOOD ROLE)"
((failures == 0)) || die "$failures run(s) failed"
