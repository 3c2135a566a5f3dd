#!/usr/bin/env bash
# The game as a user gets it: installed into a temporary prefix with `cmake --install`, started
# by its command name from outside the build tree under a private Xvfb, with its sounds beside
# the real binary and its desktop entry, AppStream data, icons and manual page in place and
# accepted by the desktop's own validators.
# Usage: install-test.sh build-directory version [cmake]
set -uo pipefail
BUILD=$(realpath "$1")
VERSION=$2
CMAKE=${3:-cmake}
here=$(dirname "$(realpath "$0")")
SOURCE=$(realpath "$here/../..")
# shellcheck source=tests/e2e/lib.sh
. "$here/../e2e/lib.sh"

PREFIX=$(mktemp -d)
cleanup() {
    e2e_stop_display
    rm -rf "$PREFIX" "${E2E_CONFIG:-}"
}
trap cleanup EXIT

check() { e2e_check "$@"; }
# Runs a command and shows its output only when it fails.
quietly() {
    local output
    output=$("$@" 2>&1) && return 0
    echo "$output"
    return 1
}

echo "# cmake --install into $PREFIX"
if ! "$CMAKE" --install "$BUILD" --prefix "$PREFIX" >"$PREFIX/install.log" 2>&1; then
    cat "$PREFIX/install.log"
    echo "0 passed, 1 failed"
    exit 1
fi
ID=org.zandrix.Zandrix2
DESKTOP=$PREFIX/share/applications/$ID.desktop
METAINFO=$PREFIX/share/metainfo/$ID.metainfo.xml

echo "# The command and its files"
export PATH="$PREFIX/games:$PREFIX/bin:$PATH"
command_path=$(command -v zandrix2 || true)
real=$(readlink -f "$command_path")
real_dir=$(dirname "$real")
check "zandrix2 is on PATH from the prefix (got '$command_path')" \
    test "${command_path#"$PREFIX"/}" != "$command_path"
link=$(readlink "$command_path")
check "the command is a relative symlink (got '$link')" \
    test -L "$command_path" -a "${link#/}" = "$link"
check "the real binary is installed and executable" test -x "$real" -a ! -L "$real"
for sound in explode.wav applaus.wav; do
    check "$sound lies beside the real binary" \
        cmp -s "$real_dir/$sound" "$SOURCE/resources/sounds/$sound"
done

echo "# The installed program starts from outside the build tree"
e2e_start_display
cd / || exit 1
PROGRAM=zandrix2 # started by e2e_start_program, found on PATH
export PROGRAM
if e2e_start_program; then
    check "the window \"Zandrix II\" opens" true
    check "the running program is the installed binary" \
        test "$(readlink -f "/proc/$E2E_PID/exe")" = "$real"
    check "it runs outside the build tree" test "$(readlink -f "/proc/$E2E_PID/cwd")" = /
else
    check "the window \"Zandrix II\" opens" false
    cat "$E2E_CONFIG/output.log"
fi
e2e_stop_program

# At twice the scale every field pixel must be a 2x2 square of its exact colour: a smoothing
# painter would blend trail pixels into their black neighbours.
crisp_at_scale_2() {
    local crop=$PREFIX/scale2.png
    # Field pixels 140..209 x 140..259 hold both trails soon after the start; their device pixels
    # start at even offsets from the field's corner, so each 2x2 block is one field pixel.
    import -window "$E2E_WINDOW" -crop "140x240+280+$((280 + E2E_MENU))" +repage "$crop" \
        2>/dev/null || return 1
    local colours
    colours=$(convert "$crop" -format %c histogram:info:- | grep -o '#[0-9A-F]\{6\}' |
        sort | tr '\n' ' ')
    echo "    colours: $colours"
    # Black, the two trails and perhaps a bonus label; nothing in between.
    case "$colours" in
        "#000000 #0000FF #FF0000 " | "#000000 #0000FF #FF0000 #FFFF00 ") ;;
        *) return 1 ;;
    esac
    # Sampling every second device pixel and doubling it again gives back the same picture.
    convert "$crop" -filter point -resize 50% -filter point -resize 200% "$PREFIX/resampled.png"
    [ "$(compare -metric AE "$crop" "$PREFIX/resampled.png" null: 2>&1)" = 0 ]
}

echo "# With QT_SCALE_FACTOR=2 the window doubles and the field stays crisp"
if QT_SCALE_FACTOR=2 e2e_start_program; then
    # The doubled window is larger than the screen and is centred: its top-left corner goes
    # on screen so that the trails can be read.
    xdotool windowmove --sync "$E2E_WINDOW" 0 0 2>/dev/null
    sleep 0.3
    E2E_MENU=$(e2e_menu_height)
    eval "$(xdotool getwindowgeometry --shell "$E2E_WINDOW")"
    check "the window is twice as wide (got $WIDTH)" test "$WIDTH" -eq 1390
    e2e_key F2
    sleep 2
    check "the trails are 2x2 squares of pure colour" crisp_at_scale_2
else
    check "the window \"Zandrix II\" opens at scale 2" false
fi
e2e_stop_program

echo "# Desktop entry"
check "desktop-file-validate accepts $ID.desktop" quietly desktop-file-validate "$DESKTOP"
exec_command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$DESKTOP")
check "its Exec ($exec_command) is the installed command" \
    test "$(command -v "$exec_command")" = "$command_path"
check "it is an arcade game" grep -qx 'Categories=Game;ArcadeGame;' "$DESKTOP"
icon=$(sed -n 's/^Icon=//p' "$DESKTOP")
check "its Icon is the application id (got '$icon')" test "$icon" = "$ID"

check "it opens replay files" grep -qx 'MimeType=application/x-zandrix2-replay;' "$DESKTOP"

echo "# The replay files' type"
mime=$PREFIX/share/mime/packages/$ID.xml
check "the MIME type is installed" test -f "$mime"
if command -v update-mime-database >/dev/null; then
    update-mime-database "$PREFIX/share/mime" >/dev/null 2>&1
    check "the desktop's MIME database takes application/x-zandrix2-replay" \
        grep -q '\*\.zxreplay' "$PREFIX/share/mime/application/x-zandrix2-replay.xml"
else
    echo "skip - the MIME database (update-mime-database is not installed)"
fi

echo "# Icons"
for size in 16 32 48 64 128 256; do
    png=$PREFIX/share/icons/hicolor/${size}x${size}/apps/$icon.png
    check "a ${size}x${size} icon is installed" test -f "$png"
done
for png in "$PREFIX"/share/icons/hicolor/*/apps/"$icon".png; do
    [ -f "$png" ] || continue
    dir_size=$(basename "$(dirname "$(dirname "$png")")")
    check "$dir_size/apps/$icon.png is a ${dir_size} PNG" \
        test "$(identify -format '%m %wx%h' "$png" 2>/dev/null)" = "PNG $dir_size"
done

echo "# AppStream data"
check "appstreamcli validate --no-net accepts $ID.metainfo.xml" \
    quietly appstreamcli validate --no-net "$METAINFO"
check "appstreamcli validate-tree --no-net accepts the installed tree" \
    quietly appstreamcli validate-tree --no-net "$PREFIX"
check "it launches the desktop entry" \
    grep -q "<launchable type=\"desktop-id\">$ID.desktop<" "$METAINFO"
newest=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$METAINFO" | head -1)
check "its newest release is this version ($VERSION, got '$newest')" test "$newest" = "$VERSION"

echo "# Manual page"
page=$(find "$PREFIX/share/man/man6" -name 'zandrix2.6*' 2>/dev/null | head -1)
check "zandrix2(6) is installed" test -n "$page"
if [ -n "$page" ] && ! command -v man >/dev/null; then
    echo "skip - formatting the manual page (man is not installed)"
elif [ -n "$page" ]; then
    warnings=$(man --warnings -l "$page" 2>&1 >/dev/null)
    check "it formats without warnings${warnings:+: $warnings}" test -z "$warnings"
    check "it names the keys and the settings file" \
        sh -c "man -l '$page' 2>/dev/null | col -b | grep -q F12 &&
               man -l '$page' 2>/dev/null | col -b | grep -q zandrix2.ini"
fi

echo "$E2E_PASSED passed, $E2E_FAILURES failed"
[ "$E2E_FAILURES" -eq 0 ]
