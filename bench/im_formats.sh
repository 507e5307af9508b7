#!/usr/bin/env bash
# im_formats.sh [build-dir] [repetitions]: times loading and saving the same
# 4000 x 4000 map and RGB pictures with our codecs (bench_im_formats) and
# with Pillow (/usr/bin/python3), each the minimum of the repetitions at
# low priority, and prints Pillow's time over ours per format and direction
# (above 1: we are faster).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
repeat=${2:-5}
bench=$build/bench/bench_im_formats
[ -x "$bench" ] || { echo "build $bench first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/raw"
"$bench" --raw-dir="$work/raw"
VARKO_BENCH_TMP=$work nice -n 19 "$bench" --benchmark_repetitions="$repeat" \
  --benchmark_report_aggregates_only=true --benchmark_format=json >"$work/ours.json"
nice -n 19 /usr/bin/python3 "$top/bench/im_formats_pillow.py" "$work/raw" "$work" "$repeat" \
  >"$work/pillow.txt"
/usr/bin/python3 - "$work/ours.json" "$work/pillow.txt" <<'PY'
import json, sys
ours = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name") == "min":
        ours[b["run_name"].replace("/iterations:1", "")] = b["real_time"] / 1000.0  # reported in ms
pillow = dict((k, float(v)) for k, v in (l.split() for l in open(sys.argv[2])))
print("%-22s %10s %10s %7s" % ("case", "ours s", "Pillow s", "ratio"))
for case in sorted(pillow, key=lambda c: (c.split("/")[1], c.split("/")[2], c.split("/")[0])):
    if case in ours:
        print("%-22s %10.3f %10.3f %7.2f" % (case, ours[case], pillow[case], pillow[case] / ours[case]))
PY
