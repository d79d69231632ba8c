#!/usr/bin/env bash
# Box flood benchmark: the peak memory of the whole game while a peer floods it and a box
# stays open in front of the player, and again once the box is closed and the flood drained.
# One copy of the game runs on an Xvfb of our own, in a network namespace of our own (games
# nearby on loopback only); a small Python peer on that loopback plays the other side:
#   host    the peer joins the copy and sends "CONEve": the accept question opens;
#   joiner  the copy joins the peer (its host box holds the peer's address; Alt+C), which
#           sends "xyz": an "Unrecognised data arrival" box opens.
# While the box is open (HOLD seconds) the peer sends score messages ("SCU 1" again and again)
# as fast as the copy's connection takes them. Then the box is answered (Enter: the question
# accepted) and the peer stops sending; what was sent is taken by the copy (a piece cut
# between two reads opens another notice, which is answered as it opens) until nothing waits
# on either side of the connection. The peak resident memory (VmHWM of /proc) is read idle
# (multi player, waiting, before the peer comes), at the end of the hold, and once drained;
# a sampler reading the resident memory every 20 ms makes sure no peak is missed.
# Builds nothing.
#
# Usage: bench/box_flood.sh [BUILD_FOLDER] [HOLD_SECONDS] [ROLES]
#   BUILD_FOLDER  a built tree whose bin/ holds Kestrin (default: the repository's build/)
#   HOLD_SECONDS  how long the box stays open under the flood, 5 to 300 (default 60)
#   ROLES         "host", "joiner" or "host joiner" (default): the copy's side
# Goal: the peak grows by at most 32 MB.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=bench/common.sh
source "$here/common.sh"
# The copy and its peer can reach nothing but a loopback of their own.
own_network "$@"

build=${1:-$(dirname "$here")/build}
hold=${2:-60}
roles=${3:-host joiner}
whole_number HOLD_SECONDS "$hold" 5 300
for role in $roles; do [[ $role == host || $role == joiner ]] || die "a role is host or joiner, not '$role'"; done
bin=$build/bin
bench_program "$build" Kestrin
need_tool xdotool xdotool
need_tool ss iproute2
need_tool python3 python3

trap cleanup EXIT
trap 'exit 130' INT TERM
make_sandbox
copy_program_folder "$bin"
start_xvfb
peer_port=10611

# The peer: host|joiner GAME_PORT HOLD [PEER_PORT]. As the joiner's host, it prints "listening"
# once it listens on PEER_PORT. Prints "flooding" when the flood begins, then
# "sent N" when it ends; reads a line on standard input before it closes.
cat >"$SANDBOX/peer.py" <<'PEER'
import select, socket, sys, time
role, game_port, hold = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
if role == "host":  # the copy hosts: join it and ask
    conn = socket.create_connection(("127.0.0.1", game_port), timeout=10)
    conn.sendall(b"CONEve")
else:  # the copy joins: wait for it, take its "CON", send what it cannot read
    server = socket.create_server(("127.0.0.1", int(sys.argv[4])))
    server.settimeout(30)
    print("listening", flush=True)
    conn, _ = server.accept()
    conn.settimeout(10)
    conn.recv(4096)
    conn.sendall(b"xyz")
time.sleep(1.5)  # the box opens
print("flooding", flush=True)
chunk = b"SCU 1" * 13107
sent, end = 0, time.monotonic() + hold
conn.setblocking(False)
while time.monotonic() < end:
    _, writable, _ = select.select([], [conn], [], 0.2)
    if writable:
        try:
            sent += conn.send(chunk)
        except BlockingIOError:
            pass
print("sent", sent, flush=True)
sys.stdin.readline()
conn.close()
PEER

# peak PID: the highest resident memory of the copy so far, in KiB. The kernel's VmHWM may lag
# behind a peak that has passed, so a sampler also reads VmRSS every 20 ms.
sample() {
    local pid=$1 most=0 now
    while now=$(awk '$1 == "VmRSS:" { print $2 }' "/proc/$pid/status" 2>/dev/null) && [[ -n $now ]]; do
        if ((now > most)); then most=$now && echo "$most" >"$SANDBOX/sampled.$pid"; fi
        sleep 0.02
    done
}
kib() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status"; }
peak() {
    local hwm sampled
    hwm=$(kib "$1" VmHWM) sampled=$(cat "$SANDBOX/sampled.$1" 2>/dev/null || echo 0)
    echo $((hwm > sampled ? hwm : sampled))
}
# waiting PORT COPY_SIDE: the bytes that wait on the connection to the peer on PORT, unread by
# the copy or unsent by the peer; COPY_SIDE (local or remote) is the copy's side of that port.
waiting() {
    ss -Htn "( sport = :$1 or dport = :$1 )" | awk -v port=":$1" -v side="$2" '{
        copy = side == "local" ? substr($4, length($4) - length(port) + 1) == port \
                               : substr($5, length($5) - length(port) + 1) == port
        n += copy ? $2 : $3 } END { print n + 0 }'
}

format='%-7s %9s %9s %9s %9s %9s %10s %8s %9s\n'
# shellcheck disable=SC2059
printf "$format" copy idle-kib box-kib growth after-kib growth rss-after notices sent-kib
for role in $roles; do
    config=$SANDBOX/config-$role
    XDG_CONFIG_HOME=$config write_settings 1 1 Ann "$(printf '[Player]\nLastIP=127.0.0.1:%s' "$peer_port")"
    rm -f "$SANDBOX/bin/ConnectTo.dat"
    game_pid=""
    launch game_pid env XDG_CONFIG_HOME="$config" "$SANDBOX/bin/Kestrin" >>"$SANDBOX/game.log" 2>&1 </dev/null
    window=$(wait_for_window "Playing as Ann" 30) || die "the window did not open"
    game_port=""
    for ((i = 0; i < 50 && ${#game_port} == 0; i++)); do
        game_port=$(ss -Htlnp | awk -v pid="pid=$game_pid," 'index($0, pid) { n = split($4, a, ":"); print a[n]; exit }')
        [[ -n $game_port ]] || sleep 0.1
    done
    [[ -n $game_port ]] || die "the copy does not listen"
    sample "$game_pid" &
    sleep 3
    idle=$(peak "$game_pid")
    coproc PEER { python3 "$SANDBOX/peer.py" "$role" "$game_port" "$hold" "$peer_port" 2>&1; }
    if [[ $role == joiner ]]; then
        read -r -t 30 line <&"${PEER[0]}" && [[ $line == listening ]] || die "$role: the peer does not listen: $line"
        xdotool windowfocus --sync "$window" 2>/dev/null || true
        xdotool key --clearmodifiers alt+c
    fi
    read -r -t 30 line <&"${PEER[0]}" && [[ $line == flooding ]] || die "$role: the peer did not start: $line"
    box=$(wait_for_window "^Kestrin$" 5) || die "$role: no box is open"
    read -r -t $((hold + 30)) line <&"${PEER[0]}" || die "$role: the flood did not end"
    sent=${line#sent }
    xdotool search --onlyvisible --name "^Kestrin$" >/dev/null || die "$role: the box closed by itself"
    held=$(peak "$game_pid")
    note "$role: $idle KiB idle, $held KiB after the hold, $((sent / 1024)) KiB sent; draining"
    port=$game_port side=local
    [[ $role == host ]] || port=$peer_port side=remote
    # Answer the box, and every notice the rest opens, until nothing waits for 2 s (120 s at most).
    notices=0 quiet=0 end=$((SECONDS + 120))
    xdotool key --window "$box" Return 2>/dev/null || true
    while ((quiet < 20 && SECONDS < end)); do
        if box=$(xdotool search --onlyvisible --name "^Kestrin$" 2>/dev/null | head -n 1) && [[ -n $box ]]; then
            notices=$((notices + 1)) quiet=0
            xdotool windowfocus --sync "$box" 2>/dev/null || true
            xdotool key --clearmodifiers Return
        elif (($(waiting "$port" "$side") == 0)); then
            quiet=$((quiet + 1))
        else
            quiet=0
        fi
        sleep 0.1
    done
    ((quiet >= 20)) || die "$role: the flood did not drain within 120 s ($notices notices answered)"
    after=$(peak "$game_pid") rss=$(kib "$game_pid" VmRSS)
    echo >&"${PEER[1]}"
    wait "$PEER_PID" 2>/dev/null || true
    stop_pid "$game_pid"
    forget_pid "$game_pid"
    # shellcheck disable=SC2059
    printf "$format" "$role" "$idle" "$held" "$((held - idle))" "$after" "$((after - idle))" "$rss" "$notices" \
        "$((sent / 1024))"
done
echo
echo "memory in KiB: idle = VmHWM of the waiting copy; box = VmHWM after $hold s of flood behind the open"
echo "box; after = VmHWM once the box was answered and everything sent was taken; rss-after = VmRSS then;"
echo "growth against idle (goal: at most 32 MB); notices = boxes answered while draining; sent = the flood"
echo "command: bench/box_flood.sh $build $hold \"$roles\""
