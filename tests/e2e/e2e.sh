#!/usr/bin/env bash
# End-to-end scenarios of the real program: started under a private Xvfb with its own
# XDG_CONFIG_HOME, driven with xdotool, checked on the screen and in the settings file.
# Usage: e2e.sh path/to/zandrix2 [screenshot-directory]
set -uo pipefail
PROGRAM=$(realpath "$1")
SHOTS=${2:-}
here=$(dirname "$(realpath "$0")")
# shellcheck source=lib.sh
. "$here/lib.sh"

trap e2e_stop_display EXIT
e2e_start_display

shot() { [ -n "$SHOTS" ] && e2e_screenshot "$SHOTS/$1.png"; }

is_red() { [ "$(e2e_client_pixel "$1" "$2")" = "FF0000" ]; }
is_black() { [ "$(e2e_client_pixel "$1" "$2")" = "000000" ]; }
name_is() { [ "$(e2e_window_name)" = "$1" ]; }

# The brightest value of one colour channel (r, g or b, 0 to 255) in a rectangle of the client area.
client_region_brightest() { # x y width height channel
    import -window "$E2E_WINDOW" -crop "${3}x${4}+${1}+$(($2 + E2E_MENU))" -depth 8 \
        -format "%[fx:int(255 * maxima.$5)]" info:- 2>/dev/null
}

# How many pixels of a rectangle of the client area are golden yellow.
client_region_golden() { # x y width height
    import -window "$E2E_WINDOW" -crop "${3}x${4}+${1}+$(($2 + E2E_MENU))" -depth 8 txt:- 2>/dev/null |
        awk -F'[(),]' 'NR > 1 && $3 > 230 && $4 > 190 && $5 < 140 { n++ } END { print n + 0 }'
}

# The keys that start a game, drawn over the middle of the field before the first game.
start_hint_shown() { test "$(client_region_brightest 160 227 290 88 r)" -ge 200; }
start_hint_gone() { test "$(client_region_brightest 160 227 290 88 r)" -lt 60; }

# Game -> End Game, with the mouse on the menu bar and the keys in the menu: during a game the
# first enabled item is Pause, the second End Game.
end_game() {
    timeout 5 xdotool windowactivate --sync "$E2E_WINDOW" 2>/dev/null || true
    xdotool mousemove --window "$E2E_WINDOW" 24 $((E2E_MENU / 2)) click 1
    sleep 0.5
    xdotool key --delay 100 Down Down Return
}

# Where Qt asks for it, the window manager puts the frame's top-left corner: at the place that
# centres the window (menu bar and client area) on the screen. (xdotool's window position counts
# the frame twice; xwininfo's is the window's own.)
window_centred() {
    local x y w h top
    x=$(xwininfo -id "$E2E_WINDOW" | sed -n 's/.*Absolute upper-left X: *//p')
    y=$(xwininfo -id "$E2E_WINDOW" | sed -n 's/.*Absolute upper-left Y: *//p')
    w=$(xwininfo -id "$E2E_WINDOW" | sed -n 's/.*Width: *//p')
    h=$(xwininfo -id "$E2E_WINDOW" | sed -n 's/.*Height: *//p')
    top=$(xprop -id "$E2E_WINDOW" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *[0-9]*, *[0-9]*, *\([0-9]*\),.*/\1/p')
    local dx=$(((1024 - w) / 2 - x)) dy=$(((768 - h) / 2 - (y - ${top:-0})))
    echo "# window at $x,$y, $w x $h, frame top ${top:-0}: off centre by $dx,$dy"
    [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ]
}

scenario_window() {
    echo "# The main window"
    e2e_start_program || { e2e_check "the main window opens" false; return; }
    E2E_MENU=$(e2e_menu_height)
    local width height
    eval "$(xdotool getwindowgeometry --shell "$E2E_WINDOW")"
    width=$WIDTH
    height=$((HEIGHT - E2E_MENU))
    e2e_check "caption is \"Zandrix II\"" name_is "Zandrix II"
    e2e_check "client area is 695 x 553 (got ${width} x ${height})" test "$width" -eq 695 -a "$height" -eq 553
    e2e_check "the window is centred on the 1024 x 768 screen" window_centred
    e2e_check "the field is black around the start hint" is_black 100 100
    e2e_check "the field is black below the start hint" is_black 300 450
    e2e_check "before the first game the field shows the keys that start one" start_hint_shown
    e2e_check "the side panel is not black" test "$(e2e_client_pixel 650 520)" != "000000"
    shot window
    e2e_stop_program
}

# Without a window manager nothing moves the window from where the program puts it.
scenario_window_alone() {
    echo "# The main window on a screen without a window manager"
    e2e_stop_wm
    if e2e_start_program; then
        e2e_check "the window is centred on the screen without a window manager" window_centred
    else
        e2e_check "the main window opens without a window manager" false
    fi
    e2e_stop_program
    e2e_start_wm
}

scenario_play() {
    echo "# Playing: start, trail, pause, steering"
    e2e_start_program || { e2e_check "the main window opens" false; return; }
    E2E_MENU=$(e2e_menu_height)
    e2e_key F1
    e2e_check "F1 starts a game: the red trail leaves the start position" e2e_eventually 5 is_red 199 199
    e2e_check "the start hint is gone during the game" start_hint_gone
    e2e_check "the trail grows up and to the left" e2e_eventually 5 is_red 190 190

    e2e_key F5
    e2e_check "F5 pauses" e2e_eventually 3 name_is "Game paused - F5 to resume..."
    e2e_key F5
    e2e_check "F5 again resumes" e2e_eventually 3 name_is "Zandrix II"

    # Turn right twice (s): from up-left to up-right. Going up-left the trail never gets right of
    # column 200; after the turns it does, above the start row.
    e2e_key s s
    e2e_check "the default keys steer (s turns right)" e2e_eventually 5 e2e_client_region_has 201 0 100 199 FF0000
    shot play

    end_game
    e2e_check "Game -> End Game ends the game: the start hint is back" e2e_eventually 3 start_hint_shown
    e2e_check "the field is black again" is_black 199 199
    e2e_check "F1 is enabled again" test "$(e2e_window_name)" = "Zandrix II"
    e2e_check "the hall of fame is untouched (no settings file written)" test ! -e "$E2E_CONFIG/zandrix2.ini"
    shot end-game
    e2e_key F1
    e2e_check "a new game starts after End Game" e2e_eventually 5 is_red 199 199
    e2e_stop_program
}

# Answers the crash windows of one game with Enter and types a name at the end.
scenario_game_over() {
    echo "# A one-player game left alone ends in the hall of fame"
    e2e_start_program || { e2e_check "the main window opens" false; return; }
    E2E_MENU=$(e2e_menu_height)
    local main=$E2E_WINDOW crash left
    e2e_key F1
    for left in 2 1 0; do
        # Full speed, so that the cycle reaches the edge quickly.
        e2e_key w w w w w
        crash=$(e2e_wait_window "^Player 1 crashed! $left Cycles left...\$" 30)
        e2e_check "crash window \"Player 1 crashed! $left Cycles left...\"" test -n "$crash"
        [ -n "$crash" ] || break
        [ "$left" = 1 ] && shot crash
        timeout 5 xdotool windowactivate --sync "$crash" 2>/dev/null || true
        xdotool key Return
        sleep 0.3
        E2E_WINDOW=$main
    done
    local entry
    entry=$(e2e_wait_window "^Enter your Name!$")
    e2e_check "the name entry asks \"Enter your Name!\"" test -n "$entry"
    if [ -n "$entry" ]; then
        timeout 5 xdotool windowactivate --sync "$entry" 2>/dev/null || true
        xdotool type --delay 50 "Tester"
        shot name-entry
        xdotool key Return
    fi
    E2E_WINDOW=$main
    sleep 1
    local ini="$E2E_CONFIG/zandrix2.ini"
    e2e_check "the settings file holds the score under [OnePlayer]" grep -q '^1=[1-9][0-9]*' "$ini"
    e2e_check "the settings file holds the name" grep -q '^1n=Tester' "$ini"
    e2e_check "the game-over picture shows" test "$(e2e_client_pixel 300 300)" != "000000" -o \
        "$(e2e_client_pixel 150 250)" != "000000"
    shot game-over
    e2e_stop_program
}

# Another program taking the keyboard in the middle of a round pauses it, as F5 would; coming
# back leaves it paused, and F5 resumes. The game's own windows (help, here) are no such program.
scenario_leaving() {
    echo "# Leaving the game for another program"
    e2e_start_program || { e2e_check "the main window opens" false; return; }
    e2e_key F1
    e2e_key F12
    local help
    help=$(e2e_wait_window "^Help / How to play$" 5)
    e2e_check "opening the help window keeps the round going" name_is "Zandrix II"
    [ -n "$help" ] && timeout 5 xdotool windowactivate --sync "$help" key Escape 2>/dev/null
    sleep 0.3
    xmessage -name other-program "Another program" >/dev/null 2>&1 &
    local other=$!
    local window
    window=$(e2e_wait_window "^other-program$" 5)
    [ -n "$window" ] && timeout 5 xdotool windowactivate --sync "$window" 2>/dev/null
    e2e_check "another program taking the keyboard pauses the round" \
        e2e_eventually 3 name_is "Game paused - F5 to resume..."
    shot leaving
    kill "$other" 2>/dev/null
    wait "$other" 2>/dev/null
    timeout 5 xdotool windowactivate --sync "$E2E_WINDOW" 2>/dev/null
    sleep 0.5
    e2e_check "coming back leaves it paused" name_is "Game paused - F5 to resume..."
    e2e_key F5
    e2e_check "F5 resumes" e2e_eventually 3 name_is "Zandrix II"
    e2e_stop_program
}

# Whether any blue trail pixel of the field lies off the diagonal on which the blue cycle starts
# (down and left from 200,200, where column + row stays 400): the cycle has turned. (awk reads to
# the end: leaving early would fail the pipe.)
blue_has_turned() {
    import -window "$E2E_WINDOW" -crop "603x553+0+$E2E_MENU" -depth 8 txt:- 2>/dev/null |
        awk -F'[,: ]+' '/#0000FF/ && $1 + $2 != 400 { found = 1 } END { exit !found }'
}

# The same, where a crash window may already stand over the start (a computer that boxes player 1
# in ends the round within a second or two): the window is moved off the screen to read the field.
computer_has_turned() {
    local crash
    crash=$(xdotool search --onlyvisible --name "crashed!" 2>/dev/null | head -1)
    [ -n "$crash" ] && xdotool windowmove "$crash" 1010 750 2>/dev/null && sleep 0.3
    blue_has_turned
}

# F3: the computer steers the blue cycle. Player 1 is left alone and runs into the edge three
# times; the computer's crashes, if any, are its own.
scenario_computer() {
    echo "# Against the computer"
    e2e_start_program || { e2e_check "the main window opens" false; return; }
    E2E_MENU=$(e2e_menu_height)
    local main=$E2E_WINDOW
    e2e_key F3
    # (Straight on, the blue cycle would meet the edge after some 10 s: it turns before.)
    e2e_check "F3 starts a game: the blue trail turns by itself" e2e_eventually 12 computer_has_turned
    shot computer
    local crash title red_crashes=0 named_right=true
    for _ in 1 2 3 4 5 6; do
        e2e_key w w w w w
        crash=$(e2e_wait_window "crashed!" 40) || break
        title=$(xdotool getwindowname "$crash")
        echo "# crash window \"$title\""
        case $title in
        "Player 1 crashed! "[0-2]" Cycles left...") red_crashes=$((red_crashes + 1)) ;;
        "Computer crashed! "[0-2]" Cycles left...") ;;
        *) named_right=false ;;
        esac
        timeout 5 xdotool windowactivate --sync "$crash" 2>/dev/null || true
        xdotool key Return
        sleep 0.3
        E2E_WINDOW=$main
        case $title in *" 0 Cycles left...") break ;; esac
    done
    e2e_check "the crash windows name player 1 or the computer" $named_right
    e2e_check "the game ends" e2e_eventually 5 test "$(e2e_window_name)" = "Zandrix II"
    sleep 1
    e2e_check "the game over asks no name" test -z "$(xdotool search --onlyvisible --name '^Enter your' 2>/dev/null)"
    e2e_check "no score goes to the hall of fame" test ! -e "$E2E_CONFIG/zandrix2.ini"
    # The score displays sit at (12,80) and (12,256) of the side panel, which begins at column 603.
    e2e_check "the game over shows player 1's score (orange digits)" \
        test "$(client_region_brightest 616 81 65 23 r)" -ge 200
    e2e_check "the game over shows the computer's score (cyan digits)" \
        test "$(client_region_brightest 616 257 65 23 b)" -ge 200
    # Who won, in chrome letters over the floor of the game-over picture: their golden faces are
    # the only yellow there (about 550 pixels; none without the title).
    e2e_check "the game over names the winner" test "$(client_region_golden 100 420 400 50)" -ge 200
    shot computer-game-over
    e2e_stop_program
}

# The field alone (603 x 553 pixels of the client area) into a file.
field_to() { import -window "$E2E_WINDOW" -crop "603x553+0+$E2E_MENU" +repage "$1" 2>/dev/null; }
same_picture() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }
field_has() { e2e_client_region_has 0 0 603 553 "$1"; }

# A two-player game of three rounds with keys, a bonus and a jump, watched again: each round's
# last field in the replay is the field seen while its crash window was open; the game is kept in
# the replays folder, and a second program started with that file plays it.
scenario_replay() {
    echo "# A game watched again"
    e2e_start_program || { e2e_check "the main window opens" false; return; }
    E2E_MENU=$(e2e_menu_height)
    local main=$E2E_WINDOW crash left round dir
    dir=$(mktemp -d)
    e2e_key F2
    for round in 1 2 3; do
        # Blue turns left twice, away from the edges; red rides on a little faster and meets the
        # top edge first. A bonus shows after a second: in the first round red waits for it at the
        # start speed (a slow machine must not see red crash first), then jumps.
        e2e_key 4 4
        if [ "$round" = 1 ]; then
            e2e_check "a bonus shows" e2e_eventually 6 field_has FFFF00
            e2e_key d
        fi
        e2e_key w
        left=$((3 - round))
        crash=$(e2e_wait_window "^Player 1 crashed! $left Cycles left...\$" 30)
        e2e_check "round $round: crash window \"Player 1 crashed! $left Cycles left...\"" test -n "$crash"
        [ -n "$crash" ] || break
        # The crash window out of the way, off the screen, to read the whole field.
        xdotool windowmove "$crash" 1010 750 2>/dev/null
        sleep 0.5
        E2E_WINDOW=$main
        field_to "$dir/crash$round.png"
        [ "$round" = 1 ] && shot replay-played-crash
        timeout 5 xdotool windowactivate --sync "$crash" 2>/dev/null || true
        xdotool key Return
        sleep 0.5
    done
    # The name entries of the game's end, if any score earns a place.
    local entry
    for _ in 1 2; do
        entry=$(e2e_wait_window "^Enter your" 5) || break
        timeout 5 xdotool windowactivate --sync "$entry" 2>/dev/null || true
        xdotool key Return
        sleep 0.5
    done
    E2E_WINDOW=$main
    e2e_check "the game ends" e2e_eventually 5 name_is "Zandrix II"
    local kept
    kept=$(find "$E2E_CONFIG/data/zandrix2/replays" -name '*.zxreplay' 2>/dev/null | head -1)
    e2e_check "the game is kept in the replays folder (${kept##*/})" test -n "$kept"

    e2e_key F6
    e2e_check "F6 watches the last game: the caption says Replay" \
        e2e_eventually 3 sh -c "xdotool getwindowname $main | grep -q '^Zandrix II - Replay'"
    sleep 1
    shot replay-start
    e2e_key space
    for round in 1 2 3; do
        e2e_key End
        sleep 0.5
        field_to "$dir/end$round.png"
        e2e_check "round $round: End shows the field of its crash window, pixel for pixel" \
            same_picture "$dir/crash$round.png" "$dir/end$round.png"
        [ "$round" = 1 ] && shot replay-crash
        e2e_key Next
        sleep 0.3
    done
    e2e_key Home
    e2e_key Right Right Right
    sleep 0.3
    shot replay-step
    e2e_key Escape
    e2e_check "Escape leaves the replay" e2e_eventually 3 name_is "Zandrix II"
    e2e_stop_program

    if [ -n "$kept" ]; then
        cp "$kept" "$dir/game.zxreplay"
        E2E_TITLE="^Zandrix II - Replay" e2e_start_program "$dir/game.zxreplay"
        local started=$?
        e2e_check "a second program started with the file watches it" test "$started" = 0
        if [ "$started" = 0 ]; then
            E2E_MENU=$(e2e_menu_height)
            e2e_check "it plays the game: the trails appear" e2e_eventually 10 field_has FF0000
            shot replay-opened
        fi
        e2e_stop_program
    fi
    rm -rf "$dir"
}

scenario_window
scenario_window_alone
scenario_play
scenario_leaving
scenario_computer
scenario_game_over
scenario_replay

echo "$E2E_PASSED passed, $E2E_FAILURES failed"
[ "$E2E_FAILURES" -eq 0 ]
