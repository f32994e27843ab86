#!/usr/bin/env bash
# check_install.sh CMAKE BUILD_DIR: installs BUILD_DIR into a temporary prefix and checks the installed layout.
set -uo pipefail

unset DESTDIR
cmake=$1
build=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/karte-install.XXXXXX")
program=
cleanup() {
    if [[ -n $program ]]; then
        kill "$program" 2>/dev/null
        wait "$program" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

prefix=$work/prefix
if ! "$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    echo "FAIL: cmake --install did not succeed"
    exit 1
fi

# Every file a desktop and the program look for.
for file in \
    bin/karte bin/karte-protect bin/karte-inspect bin/karte-cards bin/karte-progress bin/karte-text \
    share/karte/cardsfrq.db share/karte/nttext.dat share/karte/ntreading.dat share/karte/help/index.html \
    share/applications/karte.desktop share/icons/hicolor/scalable/apps/karte.svg \
    share/doc/karte/SOURCES.md share/doc/karte/LICENSE; do
    [[ -f $prefix/$file ]] || fail "missing $file"
done
for file in bin/karte bin/karte-protect bin/karte-inspect bin/karte-cards bin/karte-progress bin/karte-text; do
    [[ -x $prefix/$file ]] || fail "$file is not executable"
done

# Only what a user runs goes to bin: no test, benchmark or build tool.
installed=$(cd "$prefix/bin" && ls | sort | tr '\n' ' ')
[[ $installed == "karte karte-cards karte-inspect karte-progress karte-protect karte-text " ]] || fail "bin holds: $installed"

# Each themed PNG really has the size its folder promises (the width and height of the PNG header).
for size in 16 24 32 48 64 128 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/karte.png
    if [[ ! -f $png ]]; then
        fail "missing icon ${size}x${size}"
        continue
    fi
    dimensions=$(od -An -tu1 -j16 -N8 "$png" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4 "x" $5*16777216 + $6*65536 + $7*256 + $8 }')
    [[ $dimensions == "${size}x${size}" ]] || fail "icon ${size}x${size} is $dimensions"
done
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/karte.svg" || fail "karte.svg is not an SVG image"

# The desktop entry starts the installed program by name and shows the installed icon.
desktop=$prefix/share/applications/karte.desktop
grep -qx 'Exec=karte' "$desktop" || fail "desktop entry does not run karte"
grep -qx 'Icon=karte' "$desktop" || fail "desktop entry does not name the icon karte"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects karte.desktop"
else
    echo "desktop-file-validate not found: the desktop entry's syntax is not checked"
fi

# The installed tool reads the installed set.
if ! out=$("$prefix/bin/karte-inspect" "$prefix/share/karte/cardsfrq.db" 2>&1); then
    fail "karte-inspect cannot read the installed set: $out"
fi
grep -qx '1125 cards' <<<"$out" || fail "the installed set does not hold 1125 cards: $out"
# karte-progress finds the installed companion file: with it, a never studied set has 1,125 new cards and no
# complaint about books or lemmas.
if ! out=$("$prefix/bin/karte-progress" "$prefix/share/karte/cardsfrq.db" 2>&1); then
    fail "karte-progress cannot read the installed set: $out"
fi
grep -q '^1,125 cards: 1,125 new' <<<"$out" || fail "karte-progress on the installed set: $out"
grep -q 'no books or lemmas' <<<"$out" && fail "karte-progress does not find the installed text: $out"

# karte-text finds the installed companion file and reads a lemma's words from it.
if ! out=$("$prefix/bin/karte-text" λόγος 2>&1); then
    fail "karte-text cannot read the installed text: $out"
fi
grep -qx 'lexical form: λόγος, -ου, ὁ' <<<"$out" || fail "karte-text on the installed text: $out"

# A user's first run seeds the per-user built-in set from <prefix>/share/karte. The installed tool opens the
# built-in set as the program does; the seeded copy must be the installed pristine one, byte for byte.
data=$work/data-tool
if ! out=$(XDG_DATA_HOME=$data "$prefix/bin/karte-inspect" 2>&1); then
    fail "the installed karte-inspect cannot open the built-in set: $out"
fi
[[ $(head -n1 <<<"$out") == "$data/karte32/cardsfrq.db" ]] || fail "built-in set opened at: $(head -n1 <<<"$out")"
cmp -s "$data/karte32/cardsfrq.db" "$prefix/share/karte/cardsfrq.db" || fail "the seeded set differs from the installed one"

# The installed program does the same when it starts: it runs on the offscreen platform until the seeded set
# appears, without having reported an error, and is then stopped.
data=$work/data-program
messages=$work/messages.log
: >"$messages"
mkdir -m 700 "$work/runtime"
XDG_DATA_HOME=$data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime KARTE_MESSAGE_LOG=$messages \
    QT_QPA_PLATFORM=offscreen \
    "$prefix/bin/karte" >"$work/program.log" 2>&1 &
program=$!
for ((i = 0; i < 600; i++)); do
    [[ -f $data/karte32/cardsfrq.db ]] && break
    kill -0 "$program" 2>/dev/null || break
    sleep 0.05
done
if [[ -f $data/karte32/cardsfrq.db ]]; then
    kill -0 "$program" 2>/dev/null || fail "the installed program exited after seeding: $(cat "$work/program.log")"
else
    fail "the installed program did not seed $data/karte32/cardsfrq.db: $(cat "$work/program.log")"
fi
[[ ! -s $messages ]] || fail "the installed program reported: $(cat "$messages")"

if ((failures)); then
    find "$prefix" | sort
    exit 1
fi
echo "install layout: $(find "$prefix" -type f | wc -l) files under the prefix, all in place"
