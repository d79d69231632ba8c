#!/usr/bin/env bash
# Installs a built Kestrin into a temporary prefix and checks it as a player's desktop meets it:
#   1. the files land where they belong (program folder, command, menu entry, icons, metainfo,
#      manual page, copyright), and the command is a link to the program;
#   2. the menu entry, the metainfo and the manual page pass their validators;
#   3. the installed command starts the game offscreen and paints its first window;
#   4. on a display of our own (Xvfb), the installed game started through its command opens the
#      read-me page beside the real program (a stand-in xdg-open records what it is asked to
#      open) and writes the recent names to the per-user data folder, never to the program
#      folder: even root, who could write there, must not.
#
# Usage: tests/install/check_install.sh BUILD_FOLDER
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=bench/common.sh
source "$root/bench/common.sh"

build=$(cd "${1:?usage: $0 BUILD_FOLDER}" && pwd)
need_tool desktop-file-validate desktop-file-utils
need_tool appstreamcli appstream
need_tool xdotool xdotool

trap cleanup EXIT
trap 'exit 130' INT TERM
make_sandbox
prefix=$SANDBOX/prefix
cmake --install "$build" --prefix "$prefix" >"$SANDBOX/install.log"

# ---- 1. Layout -------------------------------------------------------------------------------
expected="etc/ufw/applications.d/kestrin
games/kestrin -> ../lib/kestrin/Kestrin
lib/kestrin/Kestrin
lib/kestrin/Read Me.html
lib/kestrin/bank.wav
lib/kestrin/cross.png
lib/kestrin/installed
lib/kestrin/kestrin-64.png
lib/kestrin/kestrin.png
lib/kestrin/lose.wav
lib/kestrin/tick.png
lib/kestrin/win.wav
share/applications/example.vellam.Kestrin.desktop
share/doc/kestrin/changelog.gz
share/doc/kestrin/copyright
share/icons/hicolor/32x32/apps/kestrin.png
share/icons/hicolor/64x64/apps/kestrin.png
share/icons/hicolor/scalable/apps/kestrin.svg
share/man/man6/kestrin.6.gz
share/metainfo/example.vellam.Kestrin.metainfo.xml"
layout() {
    (cd "$prefix" && find . \( -type f -o -type l \) -printf '%P\n' | LC_ALL=C sort | while IFS= read -r file; do
        if [[ -L $file ]]; then printf '%s -> %s\n' "$file" "$(readlink "$file")"; else printf '%s\n' "$file"; fi
    done)
}
actual=$(layout)
if [[ $actual != "$expected" ]]; then
    diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") >&2 || true
    die "the installed files differ from the expected layout (< expected, > installed)"
fi
[[ -x $prefix/lib/kestrin/Kestrin ]] || die "the installed program is not executable"
note "layout: $(wc -l <<<"$actual") files where they belong"

# ---- 2. Validators ---------------------------------------------------------------------------
desktop-file-validate "$prefix/share/applications/example.vellam.Kestrin.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/example.vellam.Kestrin.metainfo.xml" >"$SANDBOX/appstream.log" 2>&1 ||
    { cat "$SANDBOX/appstream.log" >&2; die "the metainfo file does not validate"; }
grep -q 'release version="[0-9.]*"' "$prefix/share/metainfo/example.vellam.Kestrin.metainfo.xml" ||
    die "the metainfo file has no release version"
if command -v man >/dev/null 2>&1; then
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/man6/kestrin.6.gz" 2>&1 >/dev/null || true)
    [[ -z $warnings ]] || die "the manual page has warnings: $warnings"
fi
# The firewall profile as ufw reads it: one section, its title, description and ports, the
# ports a list of port numbers (1-65535) and ranges with a protocol, joined by "|".
profile=$prefix/etc/ufw/applications.d/kestrin
[[ $(grep -c '^\[' "$profile") == 1 && $(head -n 1 "$profile") == "[Kestrin]" ]] || die "the firewall profile is not one [Kestrin] section"
for key in title description ports; do
    [[ $(grep -c "^$key=." "$profile") == 1 ]] || die "the firewall profile needs exactly one $key"
done
[[ $(grep -cv -E '^(\[Kestrin\]|(title|description|ports)=.*)$' "$profile") == 0 ]] || die "the firewall profile has other lines"
port='([1-9][0-9]{0,4})'
entry="$port(:$port)?(,$port(:$port)?)*/(tcp|udp)"
ports=$(sed -n 's/^ports=//p' "$profile")
[[ $ports =~ ^$entry(\|$entry)*$ ]] || die "the firewall profile's ports are not in ufw's form: $ports"
for number in $(grep -oE '[0-9]+' <<<"$ports"); do ((number <= 65535)) || die "no port $number"; done
[[ $ports == "600,10600/tcp|10600/udp" ]] || die "the firewall profile does not open the game's ports: $ports"
note "validators: menu entry, metainfo and manual page pass; the firewall profile is well formed"

# ---- 3. Offscreen start from the installed command ------------------------------------------
painted=$(QT_QPA_PLATFORM=offscreen KESTRIN_BENCH_FIRST_PAINT=1 timeout 60 "$prefix/games/kestrin" 2>"$SANDBOX/offscreen.log") ||
    { cat "$SANDBOX/offscreen.log" >&2; die "the installed game did not start offscreen"; }
grep -q '^first-paint ' <<<"$painted" || die "the installed game painted no window offscreen: $painted"
note "offscreen: the installed command starts the game and paints its first window"

# ---- 4. On a display: the read-me beside the program, files in the per-user folder ----------
program_files_before=$(ls -A "$prefix/lib/kestrin")
mkdir -p "$SANDBOX/fakebin"
opened=$SANDBOX/opened.txt
# The desktop's opener, standing in for xdg-open: it notes what it is asked to open.
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s"\n' "$opened" >"$SANDBOX/fakebin/xdg-open"
chmod +x "$SANDBOX/fakebin/xdg-open"
start_xvfb
game_log=$SANDBOX/game.log
PATH="$SANDBOX/fakebin:$PATH" XDG_CURRENT_DESKTOP="" launch game "$prefix/games/kestrin" >"$game_log" 2>&1 </dev/null
setup=$(wait_for_window "^Kestrin - Game Setup$" 30) ||
    die "the installed game's set-up dialog did not appear (log: $(tail -n 5 "$game_log" | tr '\n' ' '))"
xdotool windowfocus --sync "$setup" 2>/dev/null || xdotool windowfocus "$setup" || true
sleep 0.3
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 40 "Installer"
xdotool key Return
main=$(wait_for_window "^Kestrin - Playing as Installer$" 20) || die "the main window did not open"

names=$XDG_DATA_HOME/Kestrin/Kestrin/PlayerName.dat
for ((i = 0; i < 50; i++)); do [[ -f $names ]] && break; sleep 0.1; done
[[ -f $names ]] || die "the recent names were not written to the per-user data folder ($names)"
grep -q "Installer" "$names" || die "the per-user names file lacks the player: $(cat "$names")"

# Help -> Read Me: the Help menu is the second of the menu bar; its first entry is Read Me.
xdotool windowfocus "$main" 2>/dev/null || true
for x in 70 75 80 85; do
    xdotool mousemove --window "$main" "$x" 10 click 1
    sleep 0.5
    xdotool key Down Return
    for ((i = 0; i < 20; i++)); do [[ -s $opened ]] && break; sleep 0.1; done
    [[ -s $opened ]] && break
    xdotool key Escape Escape
done
[[ -s $opened ]] || die "Help -> Read Me opened nothing"
readme="file://$prefix/lib/kestrin/Read%20Me.html"
[[ $(head -n 1 "$opened") == "$readme" ]] || die "Read Me opened '$(head -n 1 "$opened")', not $readme"

stop_pid "$game"
forget_pid "$game"
[[ $(ls -A "$prefix/lib/kestrin") == "$program_files_before" ]] ||
    die "the game wrote into its program folder: $(ls -A "$prefix/lib/kestrin" | tr '\n' ' ')"
note "display: the installed game opens its read-me and writes only to $XDG_DATA_HOME/Kestrin/Kestrin"
echo "install check passed"
