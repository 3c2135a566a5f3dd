#!/usr/bin/env bash
# Kills a writer of the settings file (profile_writer) with SIGKILL at random moments, run after
# run, and checks after every kill that the file holds one whole generation of the batch, the old
# or the new one, never a mix, with the text around it untouched. Every tenth run starts without a
# file: then there is either no file or a whole first generation. Temporary files left behind are
# counted, and must not keep the next run from writing.
# Usage: kill-during-write.sh path/to/profile_writer [runs] [seconds]   (default 200 runs, 60 s)
set -uo pipefail
writer=$1
runs=${2:-200}
budget=${3:-60}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/settings"
file=$work/settings/zandrix2.ini
log=$work/log

"$writer" init "$file" || { echo "FAIL - cannot prepare the file"; exit 1; }

failures=0
done_runs=0
commits=0
empty_starts=0
strays=0
started=$SECONDS
for ((run = 1; run <= runs; run++)); do
    ((SECONDS - started >= budget)) && break
    base=full
    if ((run % 10 == 0)); then
        rm -f "$file"
        base=empty
        empty_starts=$((empty_starts + 1))
    fi
    before=$("$writer" generation "$file")
    [ "$before" = none ] && before=0

    "$writer" write "$file" >"$log" 2>"$work/errors" &
    pid=$!
    # Up to 0.4 s: from before the first write has begun to several writes later.
    sleep "0.$(printf '%03d' $((RANDOM % 400)))"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    if [ -s "$work/errors" ]; then
        echo "FAIL - run $run: the writer failed: $(head -3 "$work/errors")"
        failures=$((failures + 1))
    fi

    last=$(sed -n 's/^committed //p' "$log" | tail -1)
    committed=$(grep -c '^committed ' "$log")
    commits=$((commits + committed))
    [ -z "$last" ] && last=$before
    if ! "$writer" check "$file" "$base" "$last"; then
        kept=$(mktemp /tmp/zandrix2-kill-failure-XXXXXX.ini)
        cp "$file" "$kept" 2>/dev/null
        echo "FAIL - run $run: after $committed commits the file is no whole generation" \
            "($base start, last $last); kept as $kept"
        failures=$((failures + 1))
    fi
    found=$(find "$work/settings" -mindepth 1 ! -name zandrix2.ini | wc -l)
    strays=$((strays > found ? strays : found))

    [ "$base" = empty ] && "$writer" init "$file"
    done_runs=$((done_runs + 1))
done

# Whatever the kills left behind, the next writer still gets its generations down.
before=$("$writer" generation "$file")
"$writer" write "$file" >"$log" 2>"$work/errors" &
pid=$!
for _ in $(seq 100); do
    grep -q '^committed ' "$log" && break
    sleep 0.05
done
kill -KILL "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
last=$(sed -n 's/^committed //p' "$log" | tail -1)
if [ -z "$last" ] || ! "$writer" check "$file" full "$last"; then
    echo "FAIL - a writer after the kills did not get a generation down (from $before)"
    failures=$((failures + 1))
fi

echo "$done_runs runs in $((SECONDS - started)) s, $empty_starts of them without a file;" \
    "$commits generations committed; at most $strays stray files at a time; $failures failures"
[ "$done_runs" -ge 20 ] || { echo "FAIL - too few runs in the time allowed"; exit 1; }
[ "$failures" -eq 0 ]
