#!/usr/bin/env bash
# Takes the README's screenshots of Kestrin's windows under an Xvfb of our own (1024x768x24):
#   docs/setup-dialog.png      the set-up dialog "Kestrin - Game Setup" at first start
#   docs/main-single.png       the main window in single player shape, after confirming a name
#   docs/statistics.png        the "High Scores & Statistics" window (single player table)
#   docs/statistics-player.png the same window on its "Statistics" page (when the click lands)
#   docs/main-multi.png        the main window in multi player shape (auto-start, GameSelect=1)
#   docs/two-players.png       two copies on this machine connected over 127.0.0.1, mid-game
# The game runs from a temporary copy of the build's bin/ folder with a temporary configuration
# folder, seeded with a few high scores and names so the pictures show something; the build
# folder and your own settings stay untouched.
#
# Usage: tools/screenshots.sh [BUILD_FOLDER]      (default: the repository's build/; its bin/ must hold Kestrin)
# Environment: KEEP_SANDBOX=1 keeps the temporary folder (game logs).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=bench/common.sh
source "$root/bench/common.sh"

build=${1:-$root/build}
bin=$build/bin
[[ -x $bin/Kestrin ]] || die "$bin/Kestrin not found; build it first: cmake --build $build --target Kestrin"
need_tool xdotool xdotool
need_tool import imagemagick
need_tool compare imagemagick
docs=$root/docs
mkdir -p "$docs"

trap cleanup EXIT
trap 'exit 130' INT TERM
make_sandbox
copy_program_folder "$bin"
start_xvfb
player=Robin

# Recent names and hosts beside the program: plain text, CR LF line ends.
printf 'Robin\r\nAnn\r\nKit\r\n' >"$SANDBOX/bin/PlayerName.dat"
printf 'localhost\r\n' >"$SANDBOX/bin/ConnectTo.dat"

# High score tables. The game percent-encodes section names ("Scores\" is "Scores%5C") and the
# INI file escapes the "%" once more, hence "Scores%255C" and "Profiles%255CRobin" below.
mkdir -p "$XDG_CONFIG_HOME/Kestrin"
printf '[Scores%%255C]\n1name=Robin\n1score=2350\n2name=Ann\n2score=1780\n3name=Kit\n3score=960\n4name=Robin\n4score=720\n' \
    >"$XDG_CONFIG_HOME/Kestrin/KestrinSolo.ini"
multi_scores=$'[Scores%255C]\n1name=Ann\n1score=1420\n2name=Robin\n2score=1310\n\n[Player]\nLastIP=localhost'
stats_record=$'[Profiles%255CRobin]\nStatistics=9120|33|77|61|58|42|1|3|2860|2|5|5780'

# shot WINDOW_ID FILE: let the window finish painting, then save it.
shot() {
    sleep 1
    import -window "$1" "$2"
    note "wrote ${2#"$root"/}"
}

# focus WINDOW_ID: without a window manager the window is given the keyboard focus directly.
focus() {
    xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1" || true
    sleep 0.3
}

# click WINDOW_ID X Y: a left click at X, Y of the window's client area.
click() {
    xdotool mousemove --window "$1" "$2" "$3"
    sleep 0.2
    xdotool click 1
}

game_log=$SANDBOX/game.log
game="" # process id of the running game, set by launch

# 1. First start, no auto-start: the set-up dialog. Type the name and confirm with Enter in the
#    name box: the main window opens in single player shape.
write_settings 0 0 Anonymous "$stats_record"$'\n\n'"$multi_scores"
launch game "$SANDBOX/bin/Kestrin" >"$game_log" 2>&1 </dev/null
setup=$(wait_for_window "^Kestrin - Game Setup$" 30) ||
    die "the set-up dialog 'Kestrin - Game Setup' did not appear within 30 s (log: $(tail -n 5 "$game_log" | tr '\n' ' '))"
focus "$setup"
# The name box has the focus first; replace its text.
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 60 "$player"
shot "$setup" "$docs/setup-dialog.png"
xdotool key Return
main=$(wait_for_window "^Kestrin - Playing as $player$" 20) ||
    die "the main window did not open after confirming the set-up dialog (log: $(tail -n 5 "$game_log" | tr '\n' ' '))"
shot "$main" "$docs/main-single.png"

# 2. The statistics viewer, opened by the "High Scores & Statistics" button. The button has no
#    access key, so click it where the layout puts it: in the "Scores" frame at 4050, 105 twips,
#    its panel at 45, 195, the button at 75, 2505, 1155 x 525 twips; at 15 twips a pixel its
#    centre is near x 316, y 205 of the area below the menu bar. The menu bar's height depends on
#    the font, so try the likely offsets until the window appears.
stats=""
for y in 229 205 250 190; do
    click "$main" 316 "$y"
    if stats=$(wait_for_window "^High Scores & Statistics$" 3); then break; fi
    stats=""
done
if [[ -z $stats ]]; then
    die "could not open the 'High Scores & Statistics' window by clicking its button"
fi
shot "$stats" "$docs/statistics.png"
# Its page list ("SP High Scores", "MP High Scores", "Statistics") sits at 120, 120 twips; at the
# default font a row is about 14 pixels high, so the third row is near y 44.
click "$stats" 50 44
sleep 0.5
import -window "$stats" "$SANDBOX/statistics-player.png"
# The page text lies right of the list (from 1590 twips, about 106 pixels): did it change?
convert "$docs/statistics.png" -crop +110+0 +repage "$SANDBOX/page-before.png"
convert "$SANDBOX/statistics-player.png" -crop +110+0 +repage "$SANDBOX/page-after.png"
changed=$(compare -metric AE "$SANDBOX/page-before.png" "$SANDBOX/page-after.png" null: 2>&1 || true)
if [[ ${changed%% *} == 0 ]]; then
    note "warning: the click on the 'Statistics' page did not change the page; statistics-player.png not written"
else
    cp "$SANDBOX/statistics-player.png" "$docs/statistics-player.png"
    note "wrote ${docs#"$root"/}/statistics-player.png"
fi
stop_pid "$game"
forget_pid "$game"

# 3. Multi player shape, straight from auto-start (listens on TCP port 600).
write_settings 1 1 "$player" "$stats_record"$'\n\n'"$multi_scores"
launch game "$SANDBOX/bin/Kestrin" >>"$game_log" 2>&1 </dev/null
main=$(wait_for_window "^Kestrin - Playing as $player$" 30) ||
    die "the main window did not open with auto-start in multi player (log: $(tail -n 5 "$game_log" | tr '\n' ' '))"
sleep 1
others=""
for id in $(xdotool search --onlyvisible --name "." 2>/dev/null || true); do
    [[ $id == "$main" ]] || others+=" '$(xdotool getwindowname "$id" 2>/dev/null || true)'"
done
if [[ -n $others ]]; then
    note "note: other windows are open beside the main window:$others (a failure report? port 600 in use?)"
fi
shot "$main" "$docs/main-multi.png"
stop_pid "$game"
forget_pid "$game"

# 4. Two copies side by side, each with its own settings: Ann listens, Bob (who cannot listen
#    while Ann holds the port, and is told so) joins her over 127.0.0.1; Ann accepts, they chat,
#    both press Ready and each banks once after the countdown.
mkdir -p "$SANDBOX/config-ann/Kestrin" "$SANDBOX/config-bob/Kestrin"
printf '[Program]\nGameSelect=1\nAutoStart=1\n\n[Scores]\nLastName=Ann\n' >"$SANDBOX/config-ann/Kestrin/Kestrin.ini"
printf '[Program]\nGameSelect=1\nAutoStart=1\n\n[Scores]\nLastName=Bob\n' >"$SANDBOX/config-bob/Kestrin/Kestrin.ini"
XDG_CONFIG_HOME=$SANDBOX/config-ann launch ann "$SANDBOX/bin/Kestrin" >>"$game_log" 2>&1 </dev/null
annw=$(wait_for_window "^Kestrin - Playing as Ann$" 30) || die "Ann's window did not open"
xdotool windowmove "$annw" 20 40
XDG_CONFIG_HOME=$SANDBOX/config-bob launch bob "$SANDBOX/bin/Kestrin" >>"$game_log" 2>&1 </dev/null
bobw=$(wait_for_window "^Kestrin - Playing as Bob$" 30) || die "Bob's window did not open"
sleep 1
# Bob's report that the port is taken (or, for a user without the privilege, both ports).
for id in $(xdotool search --onlyvisible --name "Error" 2>/dev/null || true); do
    focus "$id"
    xdotool key Return
done
xdotool windowmove "$bobw" 420 40
sleep 0.5
# Bob's host box lies in the "Multiplayer" frame, about 180, 202 in his window.
focus "$bobw"
click "$bobw" 180 202
xdotool key --clearmodifiers ctrl+a BackSpace
xdotool type --delay 40 "127.0.0.1"
xdotool key Return
question=$(wait_for_window "^Kestrin$" 10) || die "Ann was not asked to accept Bob"
focus "$question"
xdotool key Return
sleep 1
click "$bobw" 40 359 # the chat box
xdotool type --delay 30 "hello Ann, ready?"
xdotool key Return
click "$annw" 110 51 # Ready
click "$bobw" 112 51
sleep 7
focus "$annw"
xdotool key Prior
sleep 0.3
xdotool key Return
focus "$bobw"
xdotool key Next
sleep 0.3
xdotool key Return
sleep 1
import -window root "$SANDBOX/root.png"
convert "$SANDBOX/root.png" -crop 780x400+10+30 +repage "$docs/two-players.png"
note "wrote ${docs#"$root"/}/two-players.png"
stop_pid "$bob"
forget_pid "$bob"
stop_pid "$ann"
forget_pid "$ann"

note "done: screenshots in ${docs#"$root"/}/ - look at each before committing"
