#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The search before and after: builds build/search_bench of this checkout and
# the search_bench of an older commit (in a git worktree and a build folder
# of its own, outside the repository), then runs the two in turn on one
# generated tree, warm and cold, and prints their figures side by side.
#
#   bench/compare_search.sh [--base COMMIT] [--work FOLDER] [--rounds N] [--runs N]
#                           [--max-load L] [--load-wait S] [--warm-only] [FILES...]
#
# FILES: tree sizes, each compared in turn (default 200000).  --base: the
# older commit (default 5e977d3, the last with the search on the window's
# thread).  --work: where the older checkout, its build, the trees and every
# run's output are kept (default /tmp/quenmoor-compare; the outputs and the
# table of each call in a folder out/DATE-TIME there).
# --rounds: runs of each binary per size (default 2), before first in odd
# rounds and after first in even ones, so a drift of the machine's load
# falls on both.  --runs: search_bench's RUNS, timed runs of each command
# per call, the best kept (default 3).  Before each call the script waits,
# at most --load-wait seconds (default 300), for the one-minute load average
# to fall under --max-load (default 1), and prints it.  Cold figures need
# root, as search_bench drops the page cache.
#
# The table gives every round's figure, in the order run.  The older
# benchmark stops its clock when the click handler returns; the newer one
# when the result list has painted the rows (the paint is printed apart,
# typically under a millisecond).
#
# Remove the older checkout with `git worktree remove --force FOLDER/src-<commit>`.
set -euo pipefail

base=5e977d3
work=/tmp/quenmoor-compare
rounds=2
runs=3
max_load=1
load_wait=300
warm_only=
sizes=()
while [ $# -gt 0 ]; do
  case "$1" in
    --base) base=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --max-load) max_load=$2; shift 2 ;;
    --load-wait) load_wait=$2; shift 2 ;;
    --warm-only) warm_only=--warm-only; shift ;;
    -h|--help) awk 'NR > 2 && /^#/ { sub(/^# ?/, ""); print; next } NR > 2 { exit }' "$0"; exit 0 ;;
    -*) echo "compare_search.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
    *) sizes+=("$1"); shift ;;
  esac
done
[ ${#sizes[@]} -gt 0 ] || sizes=(200000)

repo=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$work"
work=$(cd "$work" && pwd)
# Every call's outputs and table in a folder of its own.
out_dir=$work/out/$(date +%Y%m%d-%H%M%S)
mkdir -p "$out_dir"
exec > >(tee "$out_dir/table.txt")

# This checkout's benchmark.
"$repo/scripts/setup.sh" search_bench >/dev/null
new_bin=$repo/build/search_bench
new_name="after ($(git -C "$repo" rev-parse --short HEAD)$(git -C "$repo" diff --quiet HEAD -- src bench || echo '+changes'))"

# The older commit's, in a worktree of its own.
base_sha=$(git -C "$repo" rev-parse --verify "$base^{commit}")
short=$(git -C "$repo" rev-parse --short "$base_sha")
old_src=$work/src-$short
old_build=$work/build-$short
if [ ! -e "$old_src/.git" ]; then
  git -C "$repo" worktree add --detach "$old_src" "$base_sha" >/dev/null
fi
cmake -S "$old_src" -B "$old_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C "$old_build" search_bench >/dev/null
old_bin=$old_build/search_bench
old_name="before ($short)"

# Both generate the same tree when their generators agree; otherwise each
# makes its own, of the same shape, from its own generator.
same_tree=1
if ! git -C "$repo" diff --quiet "$base_sha" -- bench/tree_gen.h; then
  same_tree=
  echo "bench/tree_gen.h differs from $short's: each benchmark generates its own tree" >&2
fi

one_minute_load() { cut -d' ' -f1 /proc/loadavg; }

# Waits for a quiet moment, at most $load_wait seconds.
wait_for_quiet() {
  local waited=0
  while awk -v l="$(one_minute_load)" -v m="$max_load" 'BEGIN { exit !(l >= m) }' &&
        [ "$waited" -lt "$load_wait" ]; do
    sleep 10
    waited=$((waited + 10))
  done
}

# A figure from a table row of search_bench's output: file, row label,
# column header.
cell() {
  awk -F'|' -v label="$2" -v head="$3" '
    function trim(s) { gsub(/^ +| +$/, "", s); return s }
    /^\| command / { for (i = 2; i < NF; i++) col[trim($i)] = i; next }
    /^\|/ && trim($2) == label && (head in col) { print trim($(col[head])); exit }' "$1"
}
# The number after `prefix` on the line that starts with it (the n-th).
after_prefix() {
  awk -v p="$2" -v n="${3:-1}" 'index($0, p) == 1 {
    split(substr($0, length(p) + 1), f, /[ ,]+/); k = 0
    for (i = 1; i in f; i++) if (f[i] ~ /^[0-9.]+$/ && ++k == n) { print f[i]; exit } }' "$1"
}
# The most workers of each window run of a kind ("warm", "cold"), joined
# by "/" (empty for a benchmark that does not name them).
workers() {
  awk -v k="$2" 'index($0, k " run ") == 1 && match($0, /at most [0-9]+ workers/) {
    w = substr($0, RSTART + 8, RLENGTH - 16); out = out (out == "" ? "" : "/") w }
    END { print out }' "$1"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "" || b == "" || b + 0 == 0) print "-"; else printf "%.2f", a / b }'; }

declare -A fig  # fig[size,side,round,metric]

record() {  # size side round file load-before load-after
  local s=$1 side=$2 r=$3 f=$4
  local k="$s,$side,$r"
  fig[$k,load]=$5
  fig[$k,load_after]=$6
  fig[$k,warm]=$(cell "$f" "search run" "warm (s)")
  fig[$k,cold]=$(cell "$f" "search run" "cold (s)")
  fig[$k,cpu]=$(cell "$f" "search run" "warm CPU s")
  fig[$k,engine_warm]=$(cell "$f" "search engine alone" "warm (s)")
  fig[$k,engine_cold]=$(cell "$f" "search engine alone" "cold (s)")
  fig[$k,engine_cpu]=$(cell "$f" "search engine alone" "warm CPU s")
  fig[$k,find_warm]=$(cell "$f" "find -type f -newerat" "warm (s)")
  fig[$k,find_cold]=$(cell "$f" "find -type f -newerat" "cold (s)")
  fig[$k,find_cpu]=$(cell "$f" "find -type f -newerat" "warm CPU s")
  fig[$k,fd16_warm]=$(cell "$f" "fdfind -j 16" "warm (s)")
  fig[$k,fd16_cold]=$(cell "$f" "fdfind -j 16" "cold (s)")
  fig[$k,window_cpu]=$(after_prefix "$f" "window thread CPU, best warm run:")
  fig[$k,bytes]=$(after_prefix "$f" "peak bytes per file:")
  fig[$k,workers_warm]=$(workers "$f" warm)
  fig[$k,workers_cold]=$(workers "$f" cold)
  fig[$k,gap_warm]=$(after_prefix "$f" "longest gap (ms):" 1)
  fig[$k,gap_cold]=$(after_prefix "$f" "longest gap (ms):" 2)
  fig[$k,clear_warm]=$(after_prefix "$f" "longest gap without the host's steal in it (ms):" 1)
  fig[$k,clear_cold]=$(after_prefix "$f" "longest gap without the host's steal in it (ms):" 2)
  fig[$k,r_warm]=$(ratio "${fig[$k,warm]}" "${fig[$k,find_warm]}")
  fig[$k,r_cold]=$(ratio "${fig[$k,cold]}" "${fig[$k,find_cold]}")
  fig[$k,r_fd16]=$(ratio "${fig[$k,cold]}" "${fig[$k,fd16_cold]}")
  fig[$k,r_cpu]=$(ratio "${fig[$k,cpu]}" "${fig[$k,find_cpu]}")
  fig[$k,r_engine_warm]=$(ratio "${fig[$k,engine_warm]}" "${fig[$k,find_warm]}")
  fig[$k,r_engine_fd16]=$(ratio "${fig[$k,engine_cold]}" "${fig[$k,fd16_cold]}")
  grep -q '^counts agree' "$f" || echo "WARNING: $f: the counts differ or the run failed" >&2
}

run_one() {  # size side round
  local s=$1 side=$2 r=$3 bin keep out load
  if [ "$side" = old ]; then bin=$old_bin; else bin=$new_bin; fi
  keep=$work/tree-$s
  [ -n "$same_tree" ] || keep=$work/tree-$s-$side
  out=$out_dir/$s-$side-r$r.txt
  wait_for_quiet
  load=$(cut -d' ' -f1-3 /proc/loadavg)
  echo "[$(date +%H:%M:%S)] $s files, $side, round $r, load $load" >&2
  # Each run starts with settings of its own.
  rm -rf "$keep/home"
  QT_QPA_PLATFORM=offscreen "$bin" "$s" "$keep" "$runs" $warm_only >"$out" 2>&1 || true
  record "$s" "$side" "$r" "$out" "${load%% *}" "$(one_minute_load)"
}

for s in "${sizes[@]}"; do
  for r in $(seq 1 "$rounds"); do
    if [ $((r % 2)) -eq 1 ]; then order=(old new); else order=(new old); fi
    for side in "${order[@]}"; do run_one "$s" "$side" "$r"; done
  done
done

# Every round's figure of one side, joined.
values() {  # size side metric
  local out="" v r
  for r in $(seq 1 "$rounds"); do
    v=${fig[$1,$2,$r,$3]:-}
    [ -n "$v" ] || v=-
    out+="${out:+, }$v"
  done
  echo "$out"
}
# How many rounds of the newer side meet `test` (an awk condition on v, and
# b, the older side's figure of the same round).
met() {  # size metric test
  local n=0 r v b
  for r in $(seq 1 "$rounds"); do
    v=${fig[$1,new,$r,$2]:-}
    b=${fig[$1,old,$r,$2]:-}
    [ -n "$v" ] && [ "$v" != - ] || continue
    awk -v v="$v" -v b="${b:-0}" "BEGIN { exit !($3) }" && n=$((n + 1))
  done
  echo "$n of $rounds"
}

rows=(
  "load average (1 min) before / after the run|load|"
  "|load_after|"
  "search, warm (s)|warm|"
  "search, cold (s)|cold|"
  "engine alone, warm (s)|engine_warm|"
  "engine alone, cold (s)|engine_cold|"
  "find, warm / cold (s)|find_warm|"
  "|find_cold|"
  "fdfind -j 16, warm / cold (s)|fd16_warm|"
  "|fd16_cold|"
  "ratio search / find, warm|r_warm|<= 0.60"
  "ratio engine alone / find, warm|r_engine_warm|"
  "ratio search / find, cold|r_cold|"
  "ratio search / fdfind -j 16, cold|r_fd16|<= 1.00"
  "ratio engine alone / fdfind -j 16, cold|r_engine_fd16|"
  "CPU of the search, warm (s)|cpu|"
  "CPU of the engine alone, warm (s)|engine_cpu|"
  "CPU of find, warm (s)|find_cpu|"
  "ratio CPU search / find, warm|r_cpu|<= 1.00"
  "window thread CPU, warm (s)|window_cpu|"
  "peak bytes per file found|bytes|<= before"
  "longest window gap without steal, warm (ms)|clear_warm|< 16"
  "longest window gap without steal, cold (ms)|clear_cold|< 16"
  "walk workers at most, each warm run|workers_warm|"
  "walk workers at most, each cold run|workers_cold|"
  "longest window gap, warm (ms)|gap_warm|"
  "longest window gap, cold (ms)|gap_cold|"
)

for s in "${sizes[@]}"; do
  printf '\ncompare_search: %s files, %s round(s) of search_bench %s each, best of %s\n' \
    "$s" "$rounds" "$([ -n "$warm_only" ] && echo 'warm only' || echo 'warm and cold')" "$runs"
  printf '| %-45s | %-36s | %-36s | %-9s |\n' "" "$old_name" "$new_name" "target"
  printf '|%s|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..47})" "$(printf -- '-%.0s' {1..38})" \
    "$(printf -- '-%.0s' {1..38})" "$(printf -- '-%.0s' {1..11})"
  label_pending=
  for row in "${rows[@]}"; do
    IFS='|' read -r label metric target <<<"$row"
    if [ -z "$label" ]; then
      # The second half of a "warm / cold" row.
      printf '| %-45s | %-36s | %-36s | %-9s |\n' "$label_pending" \
        "$pending_old / $(values "$s" old "$metric")" "$pending_new / $(values "$s" new "$metric")" ""
      label_pending=
      continue
    fi
    if [[ "$label" == *" / cold (s)" || "$label" == *" / after the run" ]]; then
      label_pending=$label
      pending_old=$(values "$s" old "$metric")
      pending_new=$(values "$s" new "$metric")
      continue
    fi
    printf '| %-45s | %-36s | %-36s | %-9s |\n' "$label" "$(values "$s" old "$metric")" \
      "$(values "$s" new "$metric")" "$target"
  done
  echo
  echo "targets, rounds of the newer search that meet them:"
  echo "  warm <= 0.6 x find:                 $(met "$s" r_warm 'v <= 0.6')"
  if [ -z "$warm_only" ]; then
    echo "  cold no slower than fdfind -j 16:   $(met "$s" r_fd16 'v <= 1.0')"
  fi
  echo "  warm CPU no more than find's:       $(met "$s" r_cpu 'v <= 1.0')"
  echo "  peak bytes per file <= before's:    $(met "$s" bytes 'v <= b')"
  echo "  window gap without steal < 16 ms:   $(met "$s" clear_warm 'v < 16') warm$(
    [ -n "$warm_only" ] || echo ", $(met "$s" clear_cold 'v < 16') cold")"
done
echo
echo "every run's output: $out_dir/"
