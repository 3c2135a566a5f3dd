#!/usr/bin/env bash
# End to end: a network game between two real programs on this machine, each with its own
# settings folder and its own screen (two X servers, as on two computers), one hosting and one
# joining; straight, then through the lag proxy. At each crash both fields must be equal pixel for
# pixel, and at the game's end both panels.
# Usage: e2e-network.sh path/to/zandrix2 path/to/zandrix2-lagproxy [screenshot-directory]
# Sends packets: run it only in a network namespace of its own (tests/support/in-netns.sh).
set -uo pipefail
PROGRAM=$(realpath "$1")
PROXY=$(realpath "$2")
SHOTS=${3:-}
here=$(dirname "$(realpath "$0")")
# shellcheck source=lib.sh
. "$here/lib.sh"

PORT=7717
PIDS=()
cleanup() {
    local pid
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    e2e_stop_display
}
trap cleanup EXIT

# The guest's screen first, then the host's (lib.sh's, which the cleanup takes down).
e2e_start_display
GUEST_DISPLAY=$DISPLAY
PIDS+=("$E2E_XVFB")
[ -n "${E2E_WM:-}" ] && PIDS+=("$E2E_WM")
e2e_start_display
HOST_DISPLAY=$DISPLAY

shot() { [ -n "$SHOTS" ] && DISPLAY=$1 e2e_screenshot "$SHOTS/$2.png"; }

# Starts the program on a screen with a fresh settings folder and the arguments given; sets PID.
start() { # display, arguments...
    local display=$1 config
    shift
    config=$(mktemp -d)
    DISPLAY=$display XDG_CONFIG_HOME="$config" XDG_DATA_HOME="$config/data" "$PROGRAM" "$@" \
        >"$config/output.log" 2>&1 &
    PID=$!
    PIDS+=("$PID")
}

# The visible window of a program whose name matches, waiting up to $4 seconds.
window_of() { # display pid pattern seconds
    local id
    for _ in $(seq $(($4 * 10))); do
        id=$(DISPLAY=$1 xdotool search --all --onlyvisible --pid "$2" --name "$3" 2>/dev/null | head -1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

menu_height() { DISPLAY=$1 E2E_WINDOW=$2 e2e_menu_height; }
field_of() { DISPLAY=$1 import -window "$2" -crop "603x553+0+$3" +repage "$4" 2>/dev/null; }
# The side panel without its bottom line, where the round trip shows during the game.
panel_of() { DISPLAY=$1 import -window "$2" -crop "92x520+603+$3" +repage "$4" 2>/dev/null; }
same_picture() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }
has_red() {
    DISPLAY=$1 import -window "$2" -crop "603x553+0+$3" -depth 8 -format %c histogram:info:- 2>/dev/null |
        grep -qi "#FF0000"
}
window_name() { DISPLAY=$1 xdotool getwindowname "$2" 2>/dev/null; }
watching() { window_name "$1" "$2" | grep -q '^Zandrix II - Replay'; }
# Keys typed into a window, as a player would (each screen has its own keyboard).
keys_on() { # display window keys...
    local display=$1 window=$2
    shift 2
    DISPLAY=$display timeout 5 xdotool windowactivate --sync "$window" 2>/dev/null || true
    DISPLAY=$display xdotool key --delay 40 "$@"
}

# One game: the host's program and a guest joining at the address given. In each round both speed
# up, the host with player 1's key and the guest with player 2's (each steers its own cycle), and
# ride on until one meets an edge, round after round until the game is over.
play() { # label, address the guest joins
    local label=$1 address=$2 host guest hostwin guestwin hmenu gmenu dir round crash_h crash_g caption last=""
    dir=$(mktemp -d)
    echo "# A network game, $label"
    start "$HOST_DISPLAY" --host "$PORT"
    host=$PID
    hostwin=$(window_of "$HOST_DISPLAY" "$host" '^Zandrix II$' 10) ||
        { e2e_check "$label: the host's window opens" false; return; }
    start "$GUEST_DISPLAY" --join "$address"
    guest=$PID
    guestwin=$(window_of "$GUEST_DISPLAY" "$guest" '^Zandrix II$' 10) ||
        { e2e_check "$label: the guest's window opens" false; return; }
    sleep 0.5
    hmenu=$(menu_height "$HOST_DISPLAY" "$hostwin")
    gmenu=$(menu_height "$GUEST_DISPLAY" "$guestwin")
    e2e_check "$label: the game starts on the host" e2e_eventually 20 has_red "$HOST_DISPLAY" "$hostwin" "$hmenu"
    e2e_check "$label: the game starts on the guest" e2e_eventually 20 has_red "$GUEST_DISPLAY" "$guestwin" "$gmenu"
    shot "$HOST_DISPLAY" "network-$label-host-playing"
    shot "$GUEST_DISPLAY" "network-$label-guest-playing"
    for round in 1 2 3 4 5 6; do
        keys_on "$HOST_DISPLAY" "$hostwin" w w w w
        keys_on "$GUEST_DISPLAY" "$guestwin" 8 8 8 8
        crash_h=$(window_of "$HOST_DISPLAY" "$host" 'crashed!' 40) || break
        crash_g=$(window_of "$GUEST_DISPLAY" "$guest" 'crashed!' 20)
        caption=$(window_name "$HOST_DISPLAY" "$crash_h")
        e2e_check "$label, round $round: both show the crash window \"$caption\"" \
            test -n "$crash_g" -a "$caption" = "$(window_name "$GUEST_DISPLAY" "$crash_g")"
        [ -n "$crash_g" ] || break
        # The crash windows out of the way, off the screens, to read the whole fields.
        DISPLAY=$HOST_DISPLAY xdotool windowmove "$crash_h" 1010 750 2>/dev/null
        DISPLAY=$GUEST_DISPLAY xdotool windowmove "$crash_g" 1010 750 2>/dev/null
        sleep 0.7
        field_of "$HOST_DISPLAY" "$hostwin" "$hmenu" "$dir/host$round.png"
        field_of "$GUEST_DISPLAY" "$guestwin" "$gmenu" "$dir/guest$round.png"
        e2e_check "$label, round $round: both fields are equal, pixel for pixel" \
            same_picture "$dir/host$round.png" "$dir/guest$round.png"
        [ "$round" = 1 ] && shot "$GUEST_DISPLAY" "network-$label-guest-crash"
        keys_on "$GUEST_DISPLAY" "$crash_g" Return
        keys_on "$HOST_DISPLAY" "$crash_h" Return
        last=$caption
        # A player's last cycle ends the game.
        case "$caption" in *" 0 Cycles left..."*) break ;; esac
        sleep 0.5
    done
    e2e_check "$label: the game ends with a player's last cycle" test "${last#* crashed! }" = "0 Cycles left..."
    sleep 2
    panel_of "$HOST_DISPLAY" "$hostwin" "$hmenu" "$dir/host-panel.png"
    panel_of "$GUEST_DISPLAY" "$guestwin" "$gmenu" "$dir/guest-panel.png"
    e2e_check "$label: both show the same scores at the game's end" \
        same_picture "$dir/host-panel.png" "$dir/guest-panel.png"
    shot "$HOST_DISPLAY" "network-$label-host-over"
    shot "$GUEST_DISPLAY" "network-$label-guest-over"
    # Both sides keep the game to watch again.
    keys_on "$HOST_DISPLAY" "$hostwin" F6
    keys_on "$GUEST_DISPLAY" "$guestwin" F6
    e2e_check "$label: F6 watches the game again on the host" e2e_eventually 5 watching "$HOST_DISPLAY" "$hostwin"
    e2e_check "$label: F6 watches the game again on the guest" e2e_eventually 5 watching "$GUEST_DISPLAY" "$guestwin"
    kill "$guest" "$host" 2>/dev/null
    wait "$guest" "$host" 2>/dev/null
    rm -rf "$dir"
}

play straight "127.0.0.1:$PORT"

"$PROXY" "$PORT" 60 10 0.03 >"/tmp/zandrix2-proxy.$$" &
PIDS+=("$!")
for _ in $(seq 50); do [ -s "/tmp/zandrix2-proxy.$$" ] && break; sleep 0.1; done
through=$(head -1 "/tmp/zandrix2-proxy.$$")
rm -f "/tmp/zandrix2-proxy.$$"
play "through the proxy" "127.0.0.1:$through"

echo "$E2E_PASSED passed, $E2E_FAILURES failed"
[ "$E2E_FAILURES" -eq 0 ]
