#!/usr/bin/env bash
# route_table.sh BUILD_DIR [OTHER_BUILD_DIR]: the 4000 x 4000 search cases of
# bench_route, each in a process of its own so that its peak memory is its
# own, with CPU time and the ratio to r=1 i=1 of the same build; with a
# second build (say, one of an older commit) the two alternate case by case,
# so that a busy spell of the machine falls on both.
set -eu
builds=("$1")
[ $# -gt 1 ] && builds+=("$2")
printf "%-28s %-22s %9s %9s %9s %8s\n" build case cpu_ms wall_ms peak_MiB "/(1,1)"
declare -A base
for c in 4000/1/1 4000/1/2 4000/2/3 4000/5/3 4000/5/3/1; do
  for b in "${builds[@]}"; do
    out=$( { /usr/bin/time -f "peak %M" "$b/bench/bench_route" --benchmark_filter="^BM_MinimumPath/$c(/0)?/iter" ; } 2>&1 )
    line=$(grep '^BM_MinimumPath' <<<"$out" || true)
    if [ -z "$line" ]; then
      printf "%-28s %-22s %9s\n" "$b" "$c" "(no such case)"
      continue
    fi
    wall=$(awk '{print $2}' <<<"$line"); cpu=$(awk '{print $4}' <<<"$line")
    peak=$(grep -o 'peak [0-9]*' <<<"$out" | awk '{printf "%.0f", $2 / 1024}')
    [ "$c" = 4000/1/1 ] && base[$b]=$cpu
    printf "%-28s %-22s %9s %9s %9s %8.2f\n" "$b" "$c" "$cpu" "$wall" "$peak" \
      "$(echo "$cpu / ${base[$b]}" | bc -l)"
  done
done
