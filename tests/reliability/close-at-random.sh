#!/usr/bin/env bash
# Closes the real program at random moments of a game, run after run: start it under Xvfb with
# its own settings directory, start a one- or two-player game (F1 or F2), now and then at top
# speed so that crash windows come and go, wait 0 to 3 s, and close the main window the way its
# close button does (WM_DELETE_WINDOW). The program must be gone within 2 s, with status 0.
#
# What closing means while a modal window (a crash window, a name entry) is open: the main window
# is blocked then and ignores its close button, as every blocked Qt window does (checked here: the
# program must still run half a second later). The player then closes the open window, which
# lets the game go on, and the main window again; so does this script, and the 2 s count from
# that last close. At the end it prints how long the program took to go after its last close.
# Usage: close-at-random.sh path/to/zandrix2 path/to/wm_close [runs] [seconds]
set -uo pipefail
# shellcheck disable=SC2034 # read by e2e_start_program
PROGRAM=$(realpath "$1")
WM_CLOSE=$(realpath "$2")
runs=${3:-30}
budget=${4:-90}
here=$(dirname "$(realpath "$0")")
# shellcheck source=../e2e/lib.sh
. "$here/../e2e/lib.sh"

gone_times=$(mktemp)
trap 'e2e_stop_display; rm -f "$gone_times"' EXIT
e2e_start_display
crash_messages='terminate called|segmentation|aborted|runtime error|sanitizer'

# Ids of the program's visible windows other than the main window.
other_windows() {
    xdotool search --onlyvisible --pid "$E2E_PID" 2>/dev/null | grep -vx "$main" || true
}

now_ms() { date +%s%3N; }

# Waits up to $1 hundredths of a second for the program to end; succeeds when it has, and then
# adds how long after the last close ($closed_at) it was gone to the file $gone_times.
ended_within() {
    local _
    for _ in $(seq "$1"); do
        if ! kill -0 "$E2E_PID" 2>/dev/null; then
            echo $(($(now_ms) - closed_at)) >>"$gone_times"
            return 0
        fi
        sleep 0.01
    done
    ! kill -0 "$E2E_PID" 2>/dev/null && echo $(($(now_ms) - closed_at)) >>"$gone_times"
}

# Presses Enter on every crash window that opens and speeds the next round up, for as long as the
# file $answering exists. (Stopped that way, not killed, so that no key of it arrives later.) An
# activation waits at most a second: the window manager will not activate the main window while
# the next crash window is open.
answering=$(mktemp -u)
answer_crashes() {
    local window
    while [ -e "$answering" ]; do
        for window in $(xdotool search --onlyvisible --name 'crashed!' 2>/dev/null); do
            timeout 1 xdotool windowactivate --sync "$window" key Return 2>/dev/null
            sleep 0.1
            timeout 1 xdotool windowactivate --sync "$main" key w w w w w 8 8 8 8 8 2>/dev/null
        done
        sleep 0.05
    done
}

done_runs=0
refused=0
modal_closed=0
failures=0
started=$SECONDS
for ((run = 1; run <= runs; run++)); do
    ((SECONDS - started >= budget)) && break
    if ! e2e_start_program; then
        echo "FAIL - run $run: the main window does not open"
        failures=$((failures + 1))
        e2e_stop_program
        continue
    fi
    main=$E2E_WINDOW
    game=F$((RANDOM % 2 + 1))
    e2e_key "$game"
    # Every other run at top speed, so that the close often meets a crash window; in every third
    # the player also dismisses the crash windows as they come, so that it may meet the next
    # round, the name entry or the game over.
    ((RANDOM % 2)) && e2e_key w w w w w 8 8 8 8 8
    answerer=""
    if ((RANDOM % 3 == 0)); then
        touch "$answering"
        answer_crashes &
        answerer=$!
    fi
    wait_ms=$((RANDOM % 3001))
    sleep "$((wait_ms / 1000)).$(printf '%03d' $((wait_ms % 1000)))"
    if [ -n "$answerer" ]; then
        rm -f "$answering"
        wait "$answerer"
    fi

    ended=false
    open_windows=""
    for _ in 1 2 3 4 5; do
        closed_at=$(now_ms)
        "$WM_CLOSE" "$main" 2>/dev/null
        # A blocked main window ignores the close; give it a moment to show whether it is.
        if ended_within 50; then
            ended=true
            break
        fi
        windows=$(other_windows)
        if [ -z "$windows" ]; then
            ended_within 150 && ended=true
            break
        fi
        refused=$((refused + 1))
        for window in $windows; do
            open_windows+="\"$(xdotool getwindowname "$window" 2>/dev/null)\" "
            "$WM_CLOSE" "$window" && modal_closed=$((modal_closed + 1))
        done
    done

    if $ended; then
        wait "$E2E_PID"
        status=$?
        if [ "$status" -ne 0 ]; then
            echo "FAIL - run $run ($game, closed after $wait_ms ms): exit status $status"
            failures=$((failures + 1))
        fi
    else
        echo "FAIL - run $run ($game, closed after $wait_ms ms, windows $open_windows):" \
            "still running 2 s after the close"
        e2e_screenshot "/tmp/zandrix2-close-failure-$run.png"
        # Where it is stuck, when a debugger is at hand.
        if command -v gdb >/dev/null; then
            gdb -p "$E2E_PID" -batch -ex "thread apply all bt" 2>&1 | grep -E '^(Thread|#)' | sed 's/^/# /'
        fi
        failures=$((failures + 1))
        kill -KILL "$E2E_PID" 2>/dev/null
        wait "$E2E_PID" 2>/dev/null
    fi
    if grep -Eiq "$crash_messages" "$E2E_CONFIG/output.log"; then
        echo "FAIL - run $run: $(grep -Ei "$crash_messages" "$E2E_CONFIG/output.log" | head -3)"
        failures=$((failures + 1))
    fi
    [ -n "$open_windows" ] && echo "# run $run: the main window waited for $open_windows"
    E2E_PID=""
    rm -rf "$E2E_CONFIG"
    done_runs=$((done_runs + 1))
done

echo "$done_runs runs in $((SECONDS - started)) s; $refused closes of the main window refused while a" \
    "modal window was open, $modal_closed modal windows closed; $failures failures"
if [ -s "$gone_times" ]; then
    sort -n "$gone_times" | awk '{ t[NR] = $1; if ($1 <= 500) fast++ }
        END { p99 = t[int((NR * 99 + 99) / 100)]
              printf "gone after the last close: median %d ms, p99 %d ms, max %d ms; %d of %d within 500 ms\n",
                     t[int((NR + 1) / 2)], p99, t[NR], fast, NR }'
fi
[ "$done_runs" -ge 10 ] || { echo "FAIL - too few runs in the time allowed"; exit 1; }
[ "$failures" -eq 0 ]
