# shellcheck shell=bash
# Shared helpers for the benchmark, screenshot and network test scripts (bench/startup.sh,
# bench/cpu.sh, bench/vanished.sh, tools/screenshots.sh, tests/network/two_namespaces.sh).
# Sourced, not run. Provides:
#   note / die              messages on standard error
#   need_tool NAME PACKAGE  stop with an install hint when a command is missing
#   whole_number NAME VALUE MIN [MAX]   stop unless VALUE is a whole number from MIN (to MAX)
#   odd_whole_number NAME VALUE         stop unless VALUE is an odd whole number
#   bench_program BUILD TARGET          set $program to BUILD/bin/TARGET, or stop with how to build it
#   offscreen_session       Qt's offscreen platform and a private runtime folder, removed on exit
#   make_sandbox            a temporary folder ($SANDBOX) with its own XDG folders exported;
#                           the copies started after it look for games nearby on loopback only
#   copy_program_folder SRC a clean copy of a build's bin/ folder into $SANDBOX/bin
#   write_settings ...      the game's Kestrin.ini in the sandbox's configuration folder
#   start_xvfb              an Xvfb of our own on a free display; exports DISPLAY
#   launch VAR CMD...       start a program in the background and remember its id for cleanup
#   stop_pid PID            end one program we started: TERM, then KILL after 3 s
#   forget_pid PID          no longer end PID at cleanup (it has ended)
#   wait_for_window TITLE [SECONDS]   print the id of the first visible window whose title
#                           matches TITLE (an extended regular expression), or fail
#   own_network "$@"        runs the calling script again in a network namespace of its own
#                           (only a loopback of its own): called first by every script that
#                           starts a multi player copy
#   make_namespaces         two network namespaces of our own ($NS_A at 10.77.0.1, $NS_B at
#                           10.77.0.2) joined by a veth pair (veth-a, veth-b), or fail (needs root)
#   keys WINDOW KEY...      the keys go to the window, given the focus first
#   wait_until SECONDS COMMAND...   runs COMMAND every 0.1 s until it succeeds, or fails
#   start_in_namespace NS PLAYER PIDVAR   a copy in namespace NS with $SANDBOX/config-PLAYER
#   bank_while_cut NS WINDOW   in a game whose link to 10.77.0.1 is pulled, guesses and banks
#                           in WINDOW until a bank waits to be acknowledged (fails if none does)
#   cleanup                 ends everything started here, removes the namespaces and the sandbox

note() { printf '%s\n' "$*" >&2; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

need_tool() {
    command -v "$1" >/dev/null 2>&1 || die "'$1' is missing; install it with: sudo apt-get install -y $2"
}

whole_number() {
    local name=$1 value=$2 min=$3 max=${4:-}
    [[ $value =~ ^[0-9]+$ ]] && ((value >= min && value <= ${max:-value})) && return 0
    [[ -n $max ]] && die "$name must be a whole number from $min to $max, not '$value'"
    die "$name must be a whole number of at least $min, not '$value'"
}

odd_whole_number() {
    [[ $2 =~ ^[0-9]+$ ]] && (($2 % 2 == 1)) || die "$1 must be an odd whole number, not '$2'"
}

bench_program() {
    program=$1/bin/$2
    [[ -x $program ]] || die "$program not found; build it first: cmake --build $1 --target $2"
}

offscreen_session() {
    export QT_QPA_PLATFORM=offscreen
    OFFSCREEN_RUNTIME=$(mktemp -d "${TMPDIR:-/tmp}/kestrin-bench.XXXXXX")
    trap 'rm -rf "$OFFSCREEN_RUNTIME"' EXIT
    chmod 700 "$OFFSCREEN_RUNTIME"
    export XDG_RUNTIME_DIR=$OFFSCREEN_RUNTIME
}

STARTED_PIDS=()
XVFB_PID=""
SANDBOX=""

make_sandbox() {
    SANDBOX=$(mktemp -d "${TMPDIR:-/tmp}/kestrin-bench.XXXXXX")
    mkdir -p "$SANDBOX/config" "$SANDBOX/data" "$SANDBOX/cache" "$SANDBOX/runtime"
    chmod 700 "$SANDBOX/runtime"
    export XDG_CONFIG_HOME="$SANDBOX/config"
    export XDG_DATA_HOME="$SANDBOX/data"
    export XDG_CACHE_HOME="$SANDBOX/cache"
    export XDG_RUNTIME_DIR="$SANDBOX/runtime"
    # Real windows on our own X server, whatever the caller's environment says.
    export QT_QPA_PLATFORM=xcb
    # Copies started here look for games nearby on this machine only: no broadcast leaves it.
    export KESTRIN_DISCOVERY=loopback
    unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
}

# A copy of the program folder, so that the files the game writes beside itself
# (PlayerName.dat, ConnectTo.dat, ErrorLog.txt) never land in the build folder.
copy_program_folder() {
    local source=$1
    mkdir -p "$SANDBOX/bin"
    cp -a "$source"/. "$SANDBOX/bin/"
    rm -f "$SANDBOX/bin/PlayerName.dat" "$SANDBOX/bin/ConnectTo.dat" "$SANDBOX/bin/ErrorLog.txt"
}

# write_settings GAME_SELECT AUTO_START PLAYER_NAME [extra INI text]
# Section and key names in the game's store are percent-encoded; plain alphanumeric names
# such as these stay as they are.
write_settings() {
    mkdir -p "$XDG_CONFIG_HOME/Kestrin"
    {
        printf '[Program]\nGameSelect=%s\nAutoStart=%s\n\n[Scores]\nLastName=%s\n' "$1" "$2" "$3"
        if [[ $# -ge 4 ]]; then printf '\n%s\n' "$4"; fi
    } >"$XDG_CONFIG_HOME/Kestrin/Kestrin.ini"
}

start_xvfb() {
    need_tool Xvfb xvfb
    local base=$((90 + $$ % 60)) number log
    for ((number = base; number < base + 40; number++)); do
        [[ -e /tmp/.X11-unix/X$number || -e /tmp/.X$number-lock ]] && continue
        log="$SANDBOX/xvfb.log"
        Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp -noreset >"$log" 2>&1 &
        XVFB_PID=$!
        local tries
        for ((tries = 0; tries < 50; tries++)); do
            if ! kill -0 "$XVFB_PID" 2>/dev/null; then break; fi
            if [[ -S /tmp/.X11-unix/X$number ]]; then
                export DISPLAY=":$number"
                # The socket exists before the server answers: ask it for the screen size.
                if command -v xdotool >/dev/null 2>&1; then
                    local answer
                    for ((answer = 0; answer < 25; answer++)); do
                        xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
                        sleep 0.2
                    done
                else
                    sleep 0.5
                    return 0
                fi
            fi
            sleep 0.1
        done
        # This display did not come up (taken meanwhile, or the server failed): try the next.
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    done
    die "could not start Xvfb on any display from :$base to :$((base + 39)) (last log: $(tail -n 3 "$SANDBOX/xvfb.log" 2>/dev/null))"
}

# launch VAR COMMAND...: start COMMAND in the background, store its process id in VAR.
launch() {
    local -n _pid_out=$1
    shift
    "$@" &
    _pid_out=$!
    STARTED_PIDS+=("$_pid_out")
}

# forget_pid PID: drop PID from the programs cleanup will end (it has ended already).
forget_pid() {
    local kept=() pid
    for pid in "${STARTED_PIDS[@]}"; do [[ $pid == "$1" ]] || kept+=("$pid"); done
    STARTED_PIDS=("${kept[@]}")
}

stop_pid() {
    local pid=$1 i
    kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null || true; return 0; }
    kill -TERM "$pid" 2>/dev/null || true
    for ((i = 0; i < 30; i++)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid" 2>/dev/null || true; fi
    wait "$pid" 2>/dev/null || true
}

wait_for_window() {
    local title=$1 seconds=${2:-20} i id
    for ((i = 0; i < seconds * 5; i++)); do
        id=$(xdotool search --onlyvisible --name "$title" 2>/dev/null | head -n 1 || true)
        if [[ -n $id ]]; then
            printf '%s\n' "$id"
            return 0
        fi
        sleep 0.2
    done
    return 1
}

# Root gets a network namespace alone (unshare -n); anyone else a user namespace too
# (unshare -rn), inside which they may bring up the loopback. The X server and the session bus
# that the script starts live inside with it.
own_network() {
    [[ ${KESTRIN_OWN_NETWORK:-} == 1 ]] && return 0
    need_tool unshare util-linux
    need_tool ip iproute2
    local user=()
    ((EUID == 0)) || user=(-r)
    KESTRIN_OWN_NETWORK=1 exec unshare "${user[@]}" -n -- bash -c 'ip link set lo up && exec bash "$0" "$@"' "$0" "$@"
}

NS_A="" NS_B=""

make_namespaces() {
    NS_A=kestrin-a-$$ NS_B=kestrin-b-$$
    ip netns add "$NS_A" 2>/dev/null || { NS_A="" NS_B=""; return 1; }
    ip netns add "$NS_B" || return 1
    ip link add veth-a netns "$NS_A" type veth peer name veth-b netns "$NS_B" || return 1
    ip -n "$NS_A" addr add 10.77.0.1/24 brd + dev veth-a
    ip -n "$NS_B" addr add 10.77.0.2/24 brd + dev veth-b
    local ns
    for ns in "$NS_A" "$NS_B"; do ip -n "$ns" link set lo up; done
    ip -n "$NS_A" link set veth-a up
    ip -n "$NS_B" link set veth-b up
}

keys() {
    local window=$1
    shift
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window" || true
    xdotool key --clearmodifiers "$@"
}

wait_until() {
    local seconds=$1 i
    shift
    for ((i = 0; i < seconds * 10; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

start_in_namespace() {
    launch "$3" ip netns exec "$1" env XDG_CONFIG_HOME="$SANDBOX/config-$2" "$SANDBOX/bin/Kestrin" \
        >>"$SANDBOX/game-$2.log" 2>&1 </dev/null
}

# Each bank sends the score while the link is gone; the kernel then holds it unacknowledged.
bank_while_cut() {
    local guess
    for ((guess = 0; guess < 40; guess++)); do
        keys "$2" alt+h alt+k alt+l alt+k
        if ip netns exec "$1" ss -Htn state established "dst 10.77.0.1" | awk '$2 > 0 {f = 1} END {exit !f}'; then
            return 0
        fi
        sleep 0.3
    done
    return 1
}

cleanup() {
    local pid
    for pid in "${STARTED_PIDS[@]}"; do stop_pid "$pid"; done
    STARTED_PIDS=()
    if [[ -n $NS_A ]]; then ip netns del "$NS_A" 2>/dev/null || true; fi
    if [[ -n $NS_B ]]; then ip netns del "$NS_B" 2>/dev/null || true; fi
    NS_A="" NS_B=""
    if [[ -n $XVFB_PID ]]; then
        stop_pid "$XVFB_PID"
        XVFB_PID=""
    fi
    if [[ -n $SANDBOX && -d $SANDBOX && ${KEEP_SANDBOX:-0} != 1 ]]; then rm -rf "$SANDBOX"; fi
}
