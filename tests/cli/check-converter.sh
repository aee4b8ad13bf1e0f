#!/usr/bin/env bash
# One converter against the two tables that every build must meet alike: the bad-input corpus
# (tests/bad-input/expected-messages.txt), all files in one run, and the hostile paths of
# hostile-paths.txt, a run each. Prints a line for each case that fails and exits 1 if any does.
#   check-converter.sh native|node|windows COMMAND...
#   check-converter.sh native build/src/cli/zev-convert
#   check-converter.sh node node build-web/zev-convert.js
#   check-converter.sh windows build-windows/zev-convert-wine
set -uo pipefail
name=${1:-}
case $name in
  native) build=n ;;
  node) build=j ;;
  windows) build=w ;;
  *) echo "usage: $0 native|node|windows COMMAND..." >&2; exit 2 ;;
esac
shift
# Each case runs in a folder of its own: the command's files by their full paths.
convert=()
for word in "$@"; do
  [ -e "$word" ] && word=$(realpath "$word")
  convert+=("$word")
done
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
sample=$root/examples/walk.bvh
corpus=$root/tests/bad-input
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
passed=0
skipped=0

zc() { "${convert[@]}" "$@"; }
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Whether text is what the pattern says, where "*" stands for any text and all else for itself.
matches() {
  local rest=$2 glob=""
  while [[ $rest == *'*'* ]]; do
    glob+=$(printf '%q' "${rest%%'*'*}")'*'
    rest=${rest#*'*'}
  done
  glob+=$(printf '%q' "$rest")
  eval "[[ \$1 == $glob ]]"
}

# The still-mode pose file of the sample, as this build writes it, for the checks to compare.
ref=$tmp/reference.pz2
mkdir "$tmp/reference"
cp "$sample" "$tmp/reference/walk.bvh"
(cd "$tmp/reference" && zc walk.bvh >/dev/null) && mv "$tmp/reference/walk.pz2" "$ref" ||
  { echo "FAIL: the sample does not convert"; exit 1; }

# A pipe whose reader has gone.
exec {gone}> >(:)
wait $!

# The corpus: each file's message and detail, in input order, and no file left beside any.
mkdir "$tmp/corpus"
expected=""
inputs=()
while IFS= read -r line; do
  case $line in
    '#'* | '') ;;
    '  '*) expected+="${line}"$'\n' ;;
    *)
      inputs+=("${line%% *}")
      expected+="${line%% *}: ${line#* }"$'\n'
      cp "$corpus/${line%% *}" "$tmp/corpus/"
      ;;
  esac
done <"$corpus/expected-messages.txt"
mkdir "$tmp/corpus/folder.bvh"
expected+=$'missing.bvh: BVH FILE CAN NOT OPEN!\n  No such file or directory\n'
expected+=$'folder.bvh: BVH FILE CAN NOT OPEN!\n  Is a directory\n'
before=$(ls -a "$tmp/corpus")
for mode in "" --movie; do
  (cd "$tmp/corpus" && zc $mode "${inputs[@]}" missing.bvh folder.bvh >"$tmp/out" 2>"$tmp/err")
  status=$?
  if [ $status != 1 ] || [ -s "$tmp/out" ] || [ "$(cat "$tmp/err"; echo .)" != "$expected." ] ||
    [ "$(ls -a "$tmp/corpus")" != "$before" ]; then
    fail "bad-input corpus $mode: status $status, standard error:"
    diff <(printf %s "$expected") "$tmp/err" | head -n 20
  else
    passed=$((passed + 1))
  fi
done

# The hostile paths: a case's lines joined, then its columns.
run_case() {
  local name=$1 builds=$2 setup=$3 arguments=$4 want_status=$5 want_err=$6 check=$7
  [[ $builds == *$build* ]] || return
  local dir=$tmp/case
  rm -rf "$dir" && mkdir "$dir" && cp "$sample" "$dir/walk.bvh"
  (
    cd "$dir" || exit 90
    need_root() { [ "$(id -u)" = 0 ] || exit 91; }
    same() { cmp -s "$1" "$ref"; }
    out=$tmp/out
    eval "$setup" || exit 92
    eval "zc $arguments" >"$tmp/out" 2>"$tmp/err"
    echo $? >"$tmp/status"
    eval "$check" || exit 93
  )
  local result=$?
  local status err
  status=$(cat "$tmp/status" 2>/dev/null)
  err=$(cat "$tmp/err" 2>/dev/null; echo .)
  err=${err%.}
  case $result in
    91) skipped=$((skipped + 1)); return ;;
    92) fail "$name: the setup failed"; return ;;
  esac
  if [ "$status" != "$want_status" ]; then
    fail "$name: exit status $status, want $want_status; standard error: $err"
  elif printf -v want_err '%b' "$want_err" && ! matches "$err" "$want_err"; then
    fail "$name: standard error [$err], want [$want_err]"
  elif [ $result != 0 ]; then
    fail "$name: the check failed: $check"
  else
    passed=$((passed + 1))
  fi
}

table=()
while IFS= read -r line; do
  case $line in
    '#'* | '') ;;
    ' '*) table[-1]+=" ${line#"${line%%[! ]*}"}" ;;
    *) table+=("$line") ;;
  esac
done <"$here/hostile-paths.txt"
# Every "|" but an escaped one ("\|", a pipe in a command) ends a column.
for row in "${table[@]}"; do
  row=${row//'\|'/$'\x01'}
  IFS=$'\x02' read -r -a columns <<<"${row//|/$'\x02'}"
  for i in "${!columns[@]}"; do
    column=${columns[$i]//$'\x01'/|}
    column=${column#"${column%%[! ]*}"}
    columns[$i]=${column%"${column##*[! ]}"}
  done
  if [ ${#columns[@]} != 7 ]; then
    fail "a case of ${#columns[@]} columns: ${columns[0]}"
    continue
  fi
  run_case "${columns[@]}"
done

echo "check-converter $name: $passed cases as they must be, $failures failed, $skipped skipped"
[ $failures = 0 ]
