#!/usr/bin/env bash
# The real program on bad settings files: for each, a one-player game at top speed is played to
# its end under Xvfb, the name typed, and the program closed. Where the file can be written it
# holds the new score after the old bytes, untouched; where it cannot, the error box comes up
# (answered with Enter) and everything in the settings directory is as it was. The program must
# never hang, crash or end with a status other than 0.
# Usage: bad-settings-e2e.sh path/to/zandrix2 path/to/wm_close
set -uo pipefail
PROGRAM=$(realpath "$1")
WM_CLOSE=$(realpath "$2")
here=$(dirname "$(realpath "$0")")
# shellcheck source=../e2e/lib.sh
. "$here/../e2e/lib.sh"

trap 'e2e_stop_display; rm -rf "$work"' EXIT
e2e_start_display
work=$(mktemp -d)
chmod 755 "$work"
# Nobody must reach the program: a build below a private home (root's own, mode 700) is out of
# its reach, and then nobody runs a copy, with the sounds beside it.
AS_NOBODY=$PROGRAM
if ! setpriv --reuid 65534 --regid 65534 --clear-groups test -x "$PROGRAM" 2>/dev/null; then
    mkdir "$work/program"
    cp "$PROGRAM" "$(dirname "$PROGRAM")"/*.wav "$work/program/"
    chmod -R a+rX "$work/program"
    AS_NOBODY=$work/program/$(basename "$PROGRAM")
fi

# Everything below a directory: name, type, permissions, size and contents of regular files. The
# sound library keeps a "pulse" directory of its own in the configuration directory; it is no
# part of the settings.
snapshot() {
    (cd "$1" && find . -name pulse -prune -o -printf '%p %y %m %s\n' | sort &&
        find . -name pulse -prune -o -type f -exec sha256sum {} + 2>/dev/null | sort)
}

# Starts the program on the settings directory $config, as root or as nobody; the games it keeps
# go to a fresh folder of the case's own that either may write.
start() {
    local as=$1
    rm -rf "$work/data" && mkdir -m 1777 "$work/data"
    export XDG_DATA_HOME="$work/data"
    if [ "$as" = nobody ]; then
        XDG_CONFIG_HOME="$config" setpriv --reuid 65534 --regid 65534 --clear-groups \
            "$AS_NOBODY" >"$work/output.log" 2>&1 &
    else
        XDG_CONFIG_HOME="$config" "$PROGRAM" >"$work/output.log" 2>&1 &
    fi
    E2E_PID=$!
    E2E_WINDOW=$(e2e_wait_window "^Zandrix II$") || return 1
    timeout 5 xdotool windowactivate --sync "$E2E_WINDOW" 2>/dev/null || true
    sleep 0.3
}

# The id of a visible window named "Zandrix II" other than the main window: the error box.
error_box() {
    xdotool search --onlyvisible --name '^Zandrix II$' 2>/dev/null | grep -vx "$main" | head -1
}
has_error_box() { [ -n "$(error_box)" ]; }
no_error_box() { [ -z "$(error_box)" ]; }
# Whether the name entry's "Tester" stands in the settings file, whichever line ends the file
# keeps (its own, those the garbage began with).
recorded() { grep -aq '^1n=Tester$' <(tail -c 2000 "$config/zandrix2.ini" 2>/dev/null | tr '\r' '\n'); }

# Plays a one-player game to its end and types the name; prints the milliseconds from the last
# crash window to the name entry (the hall of fame reads the file then).
play_to_the_end() {
    local left crash entry t0
    e2e_key F1
    for left in 2 1 0; do
        e2e_key w w w w w
        crash=$(e2e_wait_window "^Player 1 crashed! $left Cycles left...\$" 30) || return 1
        timeout 5 xdotool windowactivate --sync "$crash" 2>/dev/null || true
        t0=$(date +%s%N)
        xdotool key Return
        [ "$left" = 0 ] || sleep 0.3
        E2E_WINDOW=$main
    done
    entry=$(e2e_wait_window "^Enter your Name!$" 30) || return 1
    echo $((($(date +%s%N) - t0) / 1000000))
    timeout 5 xdotool windowactivate --sync "$entry" 2>/dev/null || true
    xdotool type --delay 20 Tester
    xdotool key Return
}

# Closes the main window as its close button does; succeeds when the program ends within 2 s
# with status 0.
close_program() {
    "$WM_CLOSE" "$main" 2>/dev/null
    for _ in $(seq 40); do
        kill -0 "$E2E_PID" 2>/dev/null || break
        sleep 0.05
    done
    if kill -0 "$E2E_PID" 2>/dev/null; then
        kill -KILL "$E2E_PID"
        wait "$E2E_PID" 2>/dev/null
        E2E_PID=""
        return 1
    fi
    wait "$E2E_PID"
    local status=$?
    E2E_PID=""
    return $status
}

# One case: name, "writable" or "unwritable", root or nobody; $config and $old are prepared.
run_case() {
    local name=$1 expect=$2 as=$3 before box ms t0
    echo "# $name"
    before=$(snapshot "$work/case")
    if ! start "$as"; then
        e2e_check "$name: the main window opens" false
        e2e_stop_program
        return
    fi
    main=$E2E_WINDOW
    t0=$(date +%s%N)
    ms=$(play_to_the_end)
    e2e_check "$name: the game plays to the name entry" test -n "$ms"
    if [ "$expect" = unwritable ]; then
        e2e_eventually 10 has_error_box
        box=$(error_box)
        e2e_check "$name: the error box comes up" test -n "$box"
        if [ -n "$box" ]; then
            timeout 5 xdotool windowactivate --sync "$box" 2>/dev/null || true
            xdotool key Return
            e2e_check "$name: Enter closes the error box" e2e_eventually 5 no_error_box
        fi
        diff <(echo "$before") <(snapshot "$work/case") | sed 's/^/#   /'
        e2e_check "$name: the settings directory is as it was" test "$(snapshot "$work/case")" = "$before"
    else
        # Rewriting 50 MB takes a while on a busy machine: wait for the write, not a fixed time.
        e2e_check "$name: the score and name are recorded" e2e_eventually 10 recorded
        e2e_check "$name: no error box" no_error_box
        e2e_check "$name: the old bytes are kept" cmp -s -n "$(stat -c %s "$old")" "$old" "$config/zandrix2.ini"
    fi
    if [ "$E2E_FAILURES" -gt 0 ] && [ -f "$config/zandrix2.ini" ]; then
        kept=$(mktemp /tmp/zandrix2-bad-settings-XXXXXX)
        cp "$old" "$kept.old" && cp "$config/zandrix2.ini" "$kept.new" && echo "# files kept as $kept.*"
    fi
    e2e_check "$name: the program is still there" kill -0 "$E2E_PID"
    e2e_check "$name: closing ends it at once with status 0" close_program
    echo "# $name: the game took $((($(date +%s%N) - t0) / 1000000)) ms," \
        "the hall of fame ${ms:-?} ms after the last crash"
    grep -Eiq 'terminate called|segmentation|aborted|runtime error' "$work/output.log" &&
        e2e_check "$name: no crash in the output" false
    rm -rf "$work/case"
}

# Prepares $work/case with the settings directory $config in it; $old is a copy of the file.
prepare() {
    rm -rf "$work/case"
    mkdir -p "$work/case/config"
    chmod -R 777 "$work/case"
    config=$work/case/config
    old=$work/old.ini
    : >"$old"
}

prepare
run_case "missing" writable root

prepare
head -c 65536 /dev/urandom >"$config/zandrix2.ini"
cp "$config/zandrix2.ini" "$old"
run_case "binary garbage" writable root

prepare
printf '[Controls]\r\nleftkeya=a\0z\r\n\0\0\0\r\n[Other\0Section]\r\nkey\0=\0value' >"$config/zandrix2.ini"
cp "$config/zandrix2.ini" "$old"
run_case "NUL bytes, no final line break" writable root

prepare
{
    echo "[Filler]"
    yes 'key=the quick brown fox jumps over the lazy dog' | head -c $((50 * 1024 * 1024))
} >"$config/zandrix2.ini"
cp "$config/zandrix2.ini" "$old"
run_case "50 MB" writable root

prepare
mkdir "$config/zandrix2.ini"
run_case "a directory" unwritable root

prepare
rmdir "$config"
printf '[Controls]\nfasta=w\n' >"$config"
run_case "parent is a regular file" unwritable root

prepare
mkfifo "$config/zandrix2.ini"
run_case "a FIFO" unwritable root

prepare
printf '[Controls]\nfasta=w\n[OnePlayer]\n1=5000\n1n=Old\n' >"$config/zandrix2.ini"
chmod 000 "$config/zandrix2.ini"
run_case "unreadable (chmod 000), as nobody" unwritable nobody

prepare
printf '[Controls]\nfasta=w\n' >"$config/zandrix2.ini"
chmod 666 "$config/zandrix2.ini"
chmod 555 "$config"
run_case "read-only directory, as nobody" unwritable nobody

echo "$E2E_PASSED passed, $E2E_FAILURES failed"
[ "$E2E_FAILURES" -eq 0 ]
