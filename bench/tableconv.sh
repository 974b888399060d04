#!/bin/sh
# Compares tableconv with the yardstick `limit` on a large flat file, side by
# side in one run, and checks the targets:
#   wall time      at most 1.5 times limit's (median of the per-round ratios)
#   peak memory    below 1.3 x (8 bytes x number of values) + 16 MiB
#   output         byte-identical to limit's
#
#   bench/tableconv.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR holds a Release build of tableconv (default: build); RUNS counted
# rounds (default 5). The yardsticks are built from ../shared/bench (or
# $NUXA_YARDSTICKS) into a temporary folder, which also holds the 100 MB input
# (1,000,000 rows of 8 inputs and 2 outputs) and the outputs; it is removed at
# the end. Ends with status 1 when a target is missed.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
runs=${2:-5}
yard=${NUXA_YARDSTICKS:-$here/../../shared/bench}
tableconv=$(cd "$build" && pwd)/tableconv
rows=1000000
inputs=8
outputs=2

[ -x "$tableconv" ] || { echo "no tableconv in $build (build it with -DCMAKE_BUILD_TYPE=Release)" >&2; exit 1; }
[ -f "$yard/limit.cpp" ] || { echo "no yardsticks in $yard (set NUXA_YARDSTICKS)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tableconv-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

g++ -O2 -std=c++17 "$yard/limit.cpp" -o "$work/limit"
g++ -O2 "$yard/runone.cpp" -o "$work/runone"
python3 "$yard/gen.py" flat "$work/in.flat" --rows $rows --inputs $inputs --outputs $outputs
bytes=$(wc -c < "$work/in.flat")

python3 "$yard/timeit.py" --runner "$work/runone" --runs "$runs" --bytes "$bytes" \
  --ref limit --summary "$work/summary" \
  --cmd limit "$work/limit table $work/in.flat $work/limit.nuxa $rows $inputs $outputs" \
  --out limit "$work/limit.nuxa" \
  --cmd tableconv "$tableconv $work/in.flat $work/tableconv.nuxa $rows $inputs $outputs" \
  --out tableconv "$work/tableconv.nuxa"

# Both outputs of the last round are still there.
status=0
if cmp -s "$work/limit.nuxa" "$work/tableconv.nuxa"; then
  echo "output: byte-identical to limit ($(wc -c < "$work/tableconv.nuxa") bytes)"
else
  echo "output: DIFFERS from limit"
  status=1
fi

awk -v values=$((rows * (inputs + outputs))) '
  $1 == "tableconv" {
    budget = (1.3 * 8 * values) / 1024 + 16 * 1024
    printf "ratio: %.2f x limit (target <= 1.5)\n", $6
    printf "peak memory: %.1f MiB (target < %.1f MiB)\n", $5 / 1024, budget / 1024
    if ($7 != 0 || $6 > 1.5 || $5 >= budget) exit 1
  }' "$work/summary" || status=1

[ $status -eq 0 ] && echo "targets met" || echo "TARGETS MISSED"
exit $status
