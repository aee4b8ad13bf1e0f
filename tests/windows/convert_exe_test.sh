#!/usr/bin/env bash
# zev-convert.exe run as on Windows: a motion whose name is not ASCII, in a folder with blanks and
# named with a backslash; wildcards; its message on a console and through a pipe; the pose file
# through a pipe; Ctrl-C during a batch; --graphs, which this build lacks.
#   convert_exe_test.sh ZEV_CONVERT_WINE SAMPLE.bvh
set -u
convert=$1
sample=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

title='Bewegung-ü-日本'
mkdir 'Take one'
cp "$sample" "Take one/$title.bvh"
cp "$sample" walk.bvh
"$convert" walk.bvh >/dev/null 2>err.txt || fail "the plain name does not convert: $(cat err.txt)"

# -o -: the pose file through a pipe, byte for byte, its status line on standard error.
"$convert" -o - walk.bvh >piped.pz2 2>err.txt || fail "-o -: rc $?: $(cat err.txt)"
cmp -s piped.pz2 walk.pz2 || fail "-o -: the pose file differs from the saved one"

# Through a pipe: the name's UTF-8 bytes as given, lines that end in a line feed alone, and the pose
# file beside the motion with the bytes of the plain name's.
"$convert" "Take one\\$title.bvh" >out.txt 2>err.txt || fail "rc $?: $(cat err.txt)"
expected="Take one\\$title.bvh: 150 frames, 30 fps, still mode -> Take one\\$title.pz2"
[ "$(cat out.txt)" = "$expected" ] || fail "through a pipe: [$(cat out.txt)], want [$expected]"
if grep -q $'\r' out.txt; then fail "a carriage return through a pipe"; fi
cmp -s "Take one/$title.pz2" walk.pz2 || fail "the pose file beside the motion differs or is missing"

# Wildcards, which no shell expands on Windows, name the files they match.
rm -f "Take one/$title.pz2" walk.pz2
"$convert" '*.bvh' 'Take one/*.bvh' >out.txt 2>err.txt || fail "wildcards: rc $?: $(cat err.txt)"
[ -e walk.pz2 ] && [ -e "Take one/$title.pz2" ] || fail "wildcards: [$(cat out.txt)]"

# On a console (a terminal that wine turns into one): the name shows as it is.
rm -f "Take one/$title.pz2"
script -qec "'$convert' 'Take one/$title.bvh'" /dev/null >console.txt
grep -q "Take one/$title.bvh: 150 frames" console.txt || fail "on a console: [$(cat console.txt)]"

# Ctrl-C (which wine turns into the console's event) while a batch is saved, sent once a temporary
# file shows a save under way: the run removes its temporary files and ends with 130. Job control
# keeps the background run from being started with Ctrl-C ignored.
mkdir batch
for i in $(seq 40); do cp walk.bvh "batch/take-$i.bvh"; done
set -m
"$convert" --movie -j 2 batch/*.bvh >/dev/null 2>&1 &
run=$!
until compgen -G 'batch/.zev-save-*' >/dev/null || ! kill -0 $run 2>/dev/null; do :; done
kill -INT $run
wait $run
status=$?
set +m
[ $status = 130 ] || fail "Ctrl-C: rc $status"
! compgen -G 'batch/.zev-save-*' >/dev/null || fail "Ctrl-C left temporary files"

# No pictures in this build: a usage error that writes nothing.
rm -f walk.pz2
"$convert" --graphs pictures walk.bvh >/dev/null 2>err.txt
status=$?
[ $status = 2 ] || fail "--graphs: rc $status"
grep -q -- '--graphs is not available in this build' err.txt || fail "--graphs: [$(cat err.txt)]"
[ ! -e pictures ] && [ ! -e walk.pz2 ] || fail "--graphs wrote something"

[ $failures = 0 ] && echo "zev-convert.exe: every case as on Windows"
exit $failures
