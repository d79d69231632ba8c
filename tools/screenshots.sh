#!/usr/bin/env bash
# Takes the README's screenshots of Kestrin's windows under an Xvfb of our own (1024x768x24):
#   docs/setup-dialog.png      the set-up dialog "Kestrin - Game Setup" at first start
#   docs/main-single.png       the main window in single player shape, after confirming a name
#   docs/statistics.png        the "High Scores & Statistics" window (single player table)
#   docs/statistics-player.png the same window on its "Statistics" page (when the click lands)
#   docs/main-multi.png        the main window in multi player shape (auto-start, GameSelect=1)
#   docs/two-players.png       two copies on this machine connected over 127.0.0.1, mid-game
#   docs/main-dark.png         a single player game under way in a dark desktop theme (Adwaita dark)
#   docs/main-large-font.png   the same with a 14 point desktop font (light theme)
# The last two take their look from Qt's GTK platform theme (qt6-gtk-platformtheme); the others
# show Qt's own look and its default font, as on a plain desktop.
# The game runs from a temporary copy of the build's bin/ folder with a temporary configuration
# folder, seeded with a few high scores and names so the pictures show something; the build
# folder and your own settings stay untouched. It all runs in a network namespace of its own
# (the copies look for games nearby on its loopback only).
#
# Usage: tools/screenshots.sh [BUILD_FOLDER]      (default: the repository's build/; its bin/ must hold Kestrin)
# Environment: KEEP_SANDBOX=1 keeps the temporary folder (game logs).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=bench/common.sh
source "$root/bench/common.sh"
# The multi player copies started here can reach nothing but a loopback of their own.
own_network "$@"

build=${1:-$root/build}
bin=$build/bin
bench_program "$build" Kestrin
need_tool xdotool xdotool
need_tool import imagemagick
need_tool compare imagemagick
[[ -n $(find /usr/lib -path '*qt6/plugins/platformthemes/libqgtk3.so' -print -quit 2>/dev/null) ]] ||
    die "Qt's GTK platform theme is missing; install it: sudo apt-get install qt6-gtk-platformtheme"
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

# desktop_font CONFIG_FOLDER FONT: the GTK settings of a configuration folder, with its font.
desktop_font() {
    mkdir -p "$1/gtk-3.0"
    printf '[Settings]\ngtk-font-name=%s\n' "$2" >"$1/gtk-3.0/settings.ini"
}

# client_click WINDOW X Y CLIENT_HEIGHT: a click at X, Y twips of a main window's client area
# (below its menu bar), whose height is CLIENT_HEIGHT twips. The layout grows with the desktop's
# font: the window is 5550 twips wide, which gives the scale.
client_click() {
    local WIDTH HEIGHT at
    eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(WIDTH|HEIGHT)=')"
    at=$(awk -v w="$WIDTH" -v h="$HEIGHT" -v x="$2" -v y="$3" -v c="$4" \
        'BEGIN { p = w / 5550; printf "%d %d", x * p + 0.5, h - c * p + y * p + 0.5 }')
    click "$1" ${at% *} ${at#* }
}
single_client=3630 # twips below the menu bar in single player shape
multi_client=5565  # and in multi player shape

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
#    its panel at 45, 195, the button at 75, 2505, 1155 x 525 twips.
client_click "$main" 4747 3067 "$single_client"
stats=$(wait_for_window "^High Scores & Statistics$" 5) ||
    die "could not open the 'High Scores & Statistics' window by clicking its button"
shot "$stats" "$docs/statistics.png"
# Its page list ("SP High Scores", "MP High Scores", "Statistics") sits at the top left: click
# into it and go to its last page.
click "$stats" 20 12
xdotool key End
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
desktop_font "$SANDBOX/config-ann" "DejaVu Sans 7.5"
desktop_font "$SANDBOX/config-bob" "DejaVu Sans 7.5"
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
width=$(xdotool getwindowgeometry --shell "$annw" | sed -n 's/^WIDTH=//p')
height=$(xdotool getwindowgeometry --shell "$annw" | sed -n 's/^HEIGHT=//p')
xdotool windowmove "$bobw" $((30 + width)) 40
sleep 0.5
# Bob's host box lies in the "Multiplayer" frame at 1020, 2355 twips, its panel at 45, 195, the
# box at 975, 75, 1845 x 315 twips.
focus "$bobw"
client_click "$bobw" 2962 2782 "$multi_client"
xdotool key --clearmodifiers ctrl+a BackSpace
xdotool type --delay 40 "127.0.0.1"
xdotool key Return
question=$(wait_for_window "^Kestrin$" 10) || die "Ann was not asked to accept Bob"
focus "$question"
xdotool key Return
sleep 1
client_click "$bobw" 2182 5137 "$multi_client" # the chat box
xdotool type --delay 30 "hello Ann, ready?"
xdotool key Return
client_click "$annw" 1702 517 "$multi_client" # Ready
client_click "$bobw" 1702 517 "$multi_client"
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
convert "$SANDBOX/root.png" -crop $((2 * width + 20))x$((height + 10))+15+35 +repage "$docs/two-players.png"
note "wrote ${docs#"$root"/}/two-players.png"
stop_pid "$bob"
forget_pid "$bob"
stop_pid "$ann"
forget_pid "$ann"

# 5. A single player game under way in a dark theme, then at a large desktop font: Start, and a
#    few guesses with Page Up and Page Down (the digits are random, so the pictures vary).
write_settings 0 1 "$player" "$stats_record"
for look in dark large-font; do
    if [[ $look == dark ]]; then
        desktop_font "$XDG_CONFIG_HOME" "DejaVu Sans 9"
        QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark launch game "$SANDBOX/bin/Kestrin" >>"$game_log" 2>&1 </dev/null
    else
        desktop_font "$XDG_CONFIG_HOME" "DejaVu Sans 14"
        QT_QPA_PLATFORMTHEME=gtk3 launch game "$SANDBOX/bin/Kestrin" >>"$game_log" 2>&1 </dev/null
    fi
    main=$(wait_for_window "^Kestrin - Playing as $player$" 30) || die "the main window did not open ($look)"
    focus "$main"
    for key in alt+s Prior Next Prior Prior; do
        xdotool key "$key"
        sleep 0.4
    done
    shot "$main" "$docs/main-$look.png"
    stop_pid "$game"
    forget_pid "$game"
done

note "done: screenshots in ${docs#"$root"/}/ - look at each before committing"
