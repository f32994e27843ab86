#!/bin/bash
# Kills a program answering a protected set (kill -9) at random moments, again and again. After each kill: no file
# in the set's folder holds plain text, and the next program to open the set finds every answer the killed one
# acknowledged, with the sealed database sound by SQLite's integrity check.
# usage: kill_protected.sh STUDY_KILL_DRIVER [ROUNDS]
set -euo pipefail
driver=$1
rounds=${2:-10}
folder=$(mktemp -d)
notes=$(mktemp -d)
trap 'rm -rf "$folder" "$notes"' EXIT
set_file=$folder/kill.SDB
password=kill-test

fail() {
    echo "round $round: $*" >&2
    exit 1
}

"$driver" make "$set_file" <<<"$password"
total=0
for round in $(seq 1 "$rounds"); do
    "$driver" answer "$set_file" <<<"$password" >"$notes/acknowledged" 2>"$notes/errors" &
    pid=$!
    # Anywhere from the start-up (before the first answer) to well past a few seals of 20 answers.
    sleep "$(printf '0.%03d' $((RANDOM % 1000)))"
    sleep $((RANDOM % 2))
    kill -9 "$pid"
    wait "$pid" 2>/dev/null || true
    [[ -s "$notes/errors" ]] && fail "the program failed: $(cat "$notes/errors")"

    for file in "$folder"/* "$folder"/.*; do
        [[ -f "$file" ]] || continue
        if grep -q -a -e 'SQLite format 3' -e 'plainword' -e 'karte_study' -e 'λόγος' "$file"; then
            fail "plain text on disk in $(basename "$file")"
        fi
    done

    "$driver" check "$set_file" <<<"$password" >"$notes/held" 2>"$notes/errors" || fail "$(cat "$notes/errors")"
    grep -qx 'integrity ok' "$notes/held" || fail "integrity check: $(grep integrity "$notes/held")"
    # Every acknowledged answer, as many times as it was given, is among those the set holds.
    # A kill before the first answer leaves nothing acknowledged: grep finding nothing is no failure.
    missing=$({ grep '^answered ' "$notes/acknowledged" || true; } | sort | uniq -c |
        while read -r count line; do
            held=$(grep -cxF "$line" "$notes/held" || true)
            ((held >= count)) || echo "$line"
        done)
    [[ -z "$missing" ]] || fail "acknowledged answers lost: $missing"
    acknowledged=$(grep -c '^answered ' "$notes/acknowledged" || true)
    total=$((total + acknowledged))
done
echo "$rounds kills, $total acknowledged answers, none lost"
