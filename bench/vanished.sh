#!/usr/bin/env bash
# Vanished-opponent benchmark: how long a copy takes to notice that the other machine has gone
# without closing the connection. Two copies of the game run in two network namespaces of our
# own, joined by a veth pair (10.77.0.1 Ann, the host; 10.77.0.2 Bob, who joins), on an Xvfb of
# our own. Each trial connects them (Bob's host box holds Ann's address; Alt+C, and Enter on
# Ann's question), starts a game on both (Alt+R), pulls the link (ip link set ... down on Ann's
# side), then banks on Bob as soon as he can (Higher or Lower, then Kestrin!, until a bank has
# gone out), and times from the pull until Bob's copy has ended the link: it then listens on
# port 600 again (ss). Prints every trial and the median. Needs root (namespaces). Builds nothing.
#
# Usage: bench/vanished.sh [BUILD_FOLDER] [TRIALS]
#   BUILD_FOLDER  a built tree whose bin/ holds Kestrin (default: the repository's build/)
#   TRIALS        trials, odd, at least 1 (default 5)
# Goal: median at most 30 s.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=bench/common.sh
source "$here/common.sh"

build=${1:-$(dirname "$here")/build}
trials=${2:-5}
odd_whole_number TRIALS "$trials"
bin=$build/bin
bench_program "$build" Kestrin
need_tool xdotool xdotool
need_tool ip iproute2
need_tool ss iproute2
((EUID == 0)) || die "network namespaces need root"

trap cleanup EXIT
trap 'exit 130' INT TERM
make_namespaces || die "cannot make network namespaces here"
ns_a=$NS_A ns_b=$NS_B

make_sandbox
# Inside the namespaces broadcasts reach only the other namespace.
unset KESTRIN_DISCOVERY
copy_program_folder "$bin"
start_xvfb
for player in Ann Bob; do
    XDG_CONFIG_HOME=$SANDBOX/config-$player write_settings 1 1 "$player" $'[Player]\nLastIP=10.77.0.1'
done
ann_pid="" bob_pid=""
start_in_namespace "$ns_a" Ann ann_pid
ann=$(wait_for_window "Playing as Ann" 30) || die "Ann's window did not open"
start_in_namespace "$ns_b" Bob bob_pid
bob=$(wait_for_window "Playing as Bob" 30) || die "Bob's window did not open"

established() { ip netns exec "$ns_b" ss -Htn state established "dst 10.77.0.1" | grep -q .; }
bob_listens() { ip netns exec "$ns_b" ss -Htln "sport = :600" | grep -q .; }
ann_listens() { ip netns exec "$ns_a" ss -Htln "sport = :600" | grep -q .; }

times=()
for ((trial = 1; trial <= trials; trial++)); do
    ip -n "$ns_a" link set veth-a up
    sleep 1
    keys "$bob" alt+c
    question=$(wait_for_window "^Kestrin$" 15) || die "trial $trial: Ann was not asked"
    keys "$question" Return
    wait_until 15 established || die "trial $trial: the copies did not connect"
    sleep 1
    keys "$ann" alt+r
    keys "$bob" alt+r
    sleep 6.5 # the countdown
    start=$(date +%s%N)
    ip -n "$ns_a" link set veth-a down
    banked=yes
    bank_while_cut "$ns_b" "$bob" || banked=no
    wait_until 90 bob_listens || die "trial $trial: Bob's copy did not end the link within 90 s"
    end=$(date +%s%N)
    seconds=$(awk -v ns=$((end - start)) 'BEGIN { printf "%.1f", ns / 1e9 }')
    note "trial $trial: the link ended $seconds s after the pull (a bank waiting to be acknowledged: $banked)"
    times+=("$seconds")
    # Ann's side notices too; wait for her to listen again before the next trial.
    wait_until 90 ann_listens || die "trial $trial: Ann's copy did not end the link within 90 s"
    sleep 1
done

median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[(NR + 1) / 2] }')
echo
echo "Kestrin vanished-opponent benchmark: $trials trials, two copies in two network namespaces"
echo "from pulling the link (then banking on the copy that remains) to that copy ending the link:"
echo "  trials: ${times[*]} s"
echo "  median: $median s (goal: at most 30 s)"
echo "command: bench/vanished.sh $build $trials"
