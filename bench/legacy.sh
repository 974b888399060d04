#!/bin/sh
# Measures dataconv and labelconv against the yardstick `limit` on a 100 MB
# legacy BP data file and a 100 MB label file, each side by side with limit in
# one run, and checks the targets:
#   wall time    at most 2.0 times limit's (median of the per-round ratios)
#   peak memory  below 1.3 x (8 bytes x number of values) + 16 MiB; for the
#                label file plus the bytes of its label words
#   output       byte-identical to limit's
#
#   bench/legacy.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR holds a Release build of dataconv and labelconv (default: build);
# RUNS counted rounds (default 5). The yardsticks come from ../shared/bench (or
# $NUXA_YARDSTICKS) and are built into a temporary folder, which also holds
# the generated inputs (1,000,000 rows of 8 inputs and 2 outputs, and of 8
# inputs and a label) and the outputs; it is removed at the end. Ends with
# status 1 when a target is missed.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
runs=${2:-5}
yard=${NUXA_YARDSTICKS:-$here/../../shared/bench}
rows=1000000
inputs=8
outputs=2
ratio_target=2.0

for prog in dataconv labelconv; do
  [ -x "$build/$prog" ] || { echo "no $prog in $build (build it with -DCMAKE_BUILD_TYPE=Release)" >&2; exit 1; }
done
[ -f "$yard/limit.cpp" ] || { echo "no yardsticks in $yard (set NUXA_YARDSTICKS)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/legacy-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

g++ -O2 -std=c++17 "$yard/limit.cpp" -o "$work/limit"
g++ -O2 "$yard/runone.cpp" -o "$work/runone"
python3 "$yard/gen.py" data "$work/in.dat" --rows $rows --inputs $inputs --outputs $outputs
python3 "$yard/gen.py" label "$work/in.lab" --rows $rows --inputs $inputs

status=0

# compare NAME PROGRAM INPUT EXTRA_ARG VALUES EXTRA_BYTES
compare() {
  name=$1 prog=$2 input=$3 extra=$4 values=$5 extra_bytes=$6
  echo "== $name: $(wc -c < "$input") bytes"
  python3 "$yard/timeit.py" --runner "$work/runone" --runs "$runs" --bytes "$(wc -c < "$input")" \
    --ref limit --summary "$work/$name.summary" \
    --cmd limit "$work/limit $name $input $work/limit.nuxa $extra" --out limit "$work/limit.nuxa" \
    --cmd "$prog" "$build/$prog $input $work/$prog.nuxa $extra" --out "$prog" "$work/$prog.nuxa"
  # The outputs of the last round are still there.
  if cmp -s "$work/limit.nuxa" "$work/$prog.nuxa"; then
    echo "output: byte-identical to limit ($(wc -c < "$work/$prog.nuxa") bytes)"
  else
    echo "output: DIFFERS from limit"
    status=1
  fi
  awk -v prog="$prog" -v values="$values" -v extra="$extra_bytes" -v target="$ratio_target" '
    $1 == prog {
      budget = (1.3 * 8 * values + extra) / 1024 + 16 * 1024
      printf "ratio: %.2f x limit (target <= %.1f)\n", $6, target
      printf "peak memory: %.1f MiB (target < %.1f MiB)\n", $5 / 1024, budget / 1024
      if ($7 != 0 || $6 > target || $5 >= budget) exit 1
    }' "$work/$name.summary" || status=1
  rm -f "$work/limit.nuxa" "$work/$prog.nuxa"
}

compare data dataconv "$work/in.dat" "" $((rows * (inputs + outputs))) 0
# The label words: the last word of every row after the header's empty line.
label_bytes=$(awk 'body && NF { n += length($NF) } !NF { body = 1 } END { print n + 0 }' "$work/in.lab")
compare label labelconv "$work/in.lab" x $((rows * inputs)) "$label_bytes"

[ $status -eq 0 ] && echo "targets met" || echo "TARGETS MISSED"
exit $status
