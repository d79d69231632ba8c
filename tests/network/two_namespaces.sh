#!/usr/bin/env bash
# Two whole copies of the game on two "machines": two network namespaces of the test's own,
# joined by a veth pair (10.77.0.1 Ann, who hosts; 10.77.0.2 Bob, who joins), on an Xvfb of
# its own, driven by keys. Bob's host box starts empty and nobody types an address: Bob finds
# Ann's game nearby (Down in the host box picks the first game found) and connects. They play a
# whole game, which Ann wins (Bob does not guess) and both count in their statistics. In a
# second game the link is pulled (ip link set veth-a down) and Bob banks: his copy must end the
# link by itself, listening again within 90 s. Pictures of both windows go to SHOTS_FOLDER.
# Needs root; where network namespaces cannot be made, says so and exits 77 (skipped).
#
# Usage: tests/network/two_namespaces.sh BUILD_FOLDER [SHOTS_FOLDER]
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=bench/common.sh
source "$here/../../bench/common.sh"

build=${1:?usage: $0 BUILD_FOLDER [SHOTS_FOLDER]}
shots=${2:-$build/two-namespaces}
bench_program "$build" Kestrin
for tool in xdotool ip ss import; do need_tool "$tool" "xdotool iproute2 imagemagick"; done
skip() { echo "skipped: $*"; exit 77; }
((EUID == 0)) || skip "network namespaces need root"
trap cleanup EXIT
trap 'exit 130' INT TERM
make_namespaces || skip "cannot make network namespaces here"

make_sandbox
# Inside the namespaces a broadcast reaches only the other namespace.
unset KESTRIN_DISCOVERY
copy_program_folder "$build/bin"
start_xvfb
mkdir -p "$shots"
for player in Ann Bob; do XDG_CONFIG_HOME=$SANDBOX/config-$player write_settings 1 1 "$player"; done

fail() {
    local id
    for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
        note "open window: $(xdotool getwindowname "$id" 2>/dev/null)"
    done
    import -window root "$shots/failure.png" 2>/dev/null || true
    for player in Ann Bob; do note "$player's output:" && sed 's/^/  /' "$SANDBOX/game-$player.log" >&2 || true; done
    die "$* (the screen is in $shots/failure.png)"
}
connected() { ip netns exec "$NS_B" ss -Htn state established "dst 10.77.0.1" | grep -q .; }
bob_listens() { ip netns exec "$NS_B" ss -Htln "sport = :600" | grep -q .; }
# counter PLAYER POSITION: one of the player's twelve statistics counters, 0 until written.
counter() {
    local record
    record=$(sed -n 's/^Statistics=//p' "$SANDBOX/config-$1/Kestrin/Kestrin.ini" 2>/dev/null | head -n 1)
    awk -F'|' -v at="$2" '{ v = $at } END { print v + 0 }' <<<"$record"
}
counted() { [[ $(counter Ann 8) == 1 && $(counter Ann 10) == 1 && $(counter Bob 8) == 1 && $(counter Bob 7) == 1 ]]; }
picture() { import -window "$1" "$shots/$2.png" || note "could not take $2.png"; }

ann_pid="" bob_pid=""
start_in_namespace "$NS_A" Ann ann_pid
ann=$(wait_for_window "Playing as Ann" 30) || fail "Ann's window did not open"
start_in_namespace "$NS_B" Bob bob_pid
bob=$(wait_for_window "Playing as Bob" 30) || fail "Bob's window did not open"
# Side by side, so that each picture shows its own window whole.
xdotool windowmove "$ann" 20 100 windowmove "$bob" 540 100 || true
note "both copies are up; Bob looks for games nearby"

# Bob's host box is empty. A game found is answered within a second; the list is asked again
# every 3 s, so give it two rounds before Down picks the first game found.
sleep 4
keys "$bob" Tab
picture "$bob" bob-waiting
keys "$bob" Down alt+c
question=$(wait_for_window "^Kestrin$" 15) || fail "Ann was not asked: Bob did not find her game"
keys "$question" Return
wait_until 15 connected || fail "the copies did not connect"
tr -d '\r' <"$SANDBOX/bin/ConnectTo.dat" | grep -qx "10.77.0.1" || fail "Bob's recent hosts do not hold the game he joined"
note "Bob found Ann's game and joined it"

# A whole game: Ann guesses and banks, Bob does not.
sleep 1
keys "$ann" alt+r
keys "$bob" alt+r
sleep 6 # the countdown
end=$((SECONDS + 56))
while ((SECONDS < end)); do
    keys "$ann" alt+h alt+k alt+l alt+k
    sleep 0.3
done
wait_until 20 counted || fail "the game was not counted: Ann $(counter Ann 8) played $(counter Ann 10) won, Bob $(counter Bob 8) played $(counter Bob 7) lost"
picture "$ann" ann-won
picture "$bob" bob-lost
picture root both
note "a whole game: Ann won, Bob lost, both counted it"

# The link is pulled during a second game, while Bob's bank waits to be acknowledged.
keys "$ann" alt+r
keys "$bob" alt+r
sleep 6
ip -n "$NS_A" link set veth-a down
pulled=$SECONDS
bank_while_cut "$NS_B" "$bob" || note "no bank of Bob's waited to be acknowledged"
wait_until 90 bob_listens || fail "Bob's copy did not end the link within 90 s of the pull"
note "Bob's copy ended the link $((SECONDS - pulled)) s after the pull"
sleep 1
picture "$bob" bob-vanished
if xdotool search --onlyvisible --name "Error" >/dev/null 2>&1; then fail "an error box is open"; fi
echo "passed: found, joined, played a whole game, and noticed the vanished opponent"
