# Helpers for the end-to-end scenarios: a private X server with a window manager, the program
# with its own settings directory, and ways to read the screen.

E2E_FAILURES=0
E2E_PASSED=0

# A display number is free when no lock file names it and no server answers on it: a server in
# another root (a chroot, a container) leaves no file here, but shares the abstract socket that X
# clients try first.
e2e_start_display() {
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || xdpyinfo -display ":$n" >/dev/null 2>&1 || break
    done
    export DISPLAY=":$n"
    # -noreset: with its last client gone the server would reset, and a program starting in
    # that moment could not connect.
    Xvfb "$DISPLAY" -screen 0 "${E2E_SCREEN:-1024x768x24}" -nolisten tcp -noreset >/dev/null 2>&1 &
    E2E_XVFB=$!
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    e2e_start_wm
}

# Starts openbox, if there is one, and waits until it manages the screen.
e2e_start_wm() {
    E2E_WM=""
    command -v openbox >/dev/null || return 0
    openbox >/dev/null 2>&1 &
    E2E_WM=$!
    for _ in $(seq 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.1
    done
    sleep 0.2
}

e2e_stop_wm() {
    [ -n "${E2E_WM:-}" ] || return 0
    kill "$E2E_WM" 2>/dev/null
    wait "$E2E_WM" 2>/dev/null
    E2E_WM=""
    # A window manager that ends leaves its mark on the root window behind.
    xprop -root -remove _NET_SUPPORTING_WM_CHECK 2>/dev/null || true
}

e2e_stop_display() {
    e2e_stop_program
    [ -n "${E2E_WM:-}" ] && kill "$E2E_WM" 2>/dev/null
    [ -n "${E2E_XVFB:-}" ] && kill "$E2E_XVFB" 2>/dev/null
    wait 2>/dev/null || true
}

# Starts the program (with the arguments given) with a fresh settings directory, its games kept
# in $E2E_CONFIG/data/zandrix2/replays, and waits for its main window (a caption matching
# $E2E_TITLE, "Zandrix II" by default).
e2e_start_program() {
    E2E_CONFIG=$(mktemp -d)
    XDG_CONFIG_HOME="$E2E_CONFIG" XDG_DATA_HOME="$E2E_CONFIG/data" "$PROGRAM" "$@" >"$E2E_CONFIG/output.log" 2>&1 &
    E2E_PID=$!
    E2E_WINDOW=$(e2e_wait_window "${E2E_TITLE:-^Zandrix II$}") || return 1
    # Bounded: --sync waits for ever for a window that the window manager will not activate.
    timeout 5 xdotool windowactivate --sync "$E2E_WINDOW" 2>/dev/null || true
    sleep 0.3
}

e2e_stop_program() {
    if [ -n "${E2E_PID:-}" ] && kill -0 "$E2E_PID" 2>/dev/null; then
        kill "$E2E_PID" 2>/dev/null
        wait "$E2E_PID" 2>/dev/null || true
    fi
    E2E_PID=""
}

# Prints the id of the visible window whose name matches the pattern, waiting up to $2 seconds
# (10 by default).
e2e_wait_window() {
    local pattern=$1 seconds=${2:-10} id
    for _ in $(seq $((seconds * 10))); do
        id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

e2e_window_name() { xdotool getwindowname "$E2E_WINDOW" 2>/dev/null; }

e2e_key() { # key names as xdotool takes them
    timeout 5 xdotool windowactivate --sync "$E2E_WINDOW" 2>/dev/null || true
    xdotool key --delay 30 "$@"
}

# Height of the menu bar above the client area: the first black row in the window's column 300.
e2e_menu_height() {
    local y colour
    for y in $(seq 0 60); do
        colour=$(e2e_window_pixel 300 "$y")
        [ "$colour" = "000000" ] && { echo "$y"; return; }
    done
    echo 0
}

# Colour (RRGGBB) of a pixel at window coordinates.
e2e_window_pixel() {
    import -window "$E2E_WINDOW" -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null |
        sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | head -1 | tr a-f A-F
}

# Colour of a pixel of the client area (field coordinates).
e2e_client_pixel() { e2e_window_pixel "$1" $(($2 + E2E_MENU)); }

e2e_screenshot() { import -window root "$1" 2>/dev/null || true; }

e2e_check() { # description, then a command that must succeed
    local what=$1
    shift
    if "$@"; then
        echo "ok - $what"
        E2E_PASSED=$((E2E_PASSED + 1))
    else
        echo "FAIL - $what"
        E2E_FAILURES=$((E2E_FAILURES + 1))
    fi
}

# Waits up to $1 seconds for a command to succeed.
e2e_eventually() {
    local seconds=$1
    shift
    for _ in $(seq $((seconds * 10))); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# Whether a rectangle of the client area (x y width height) holds a pixel of colour RRGGBB.
e2e_client_region_has() {
    local x=$1 y=$2 w=$3 h=$4 colour=$5
    import -window "$E2E_WINDOW" -crop "${w}x${h}+${x}+$((y + E2E_MENU))" -depth 8 \
        -format %c histogram:info:- 2>/dev/null | grep -qi "#$colour"
}
