#!/usr/bin/env bash
# reproduce.sh SOURCE_DIR: runs the sample generator into a fresh folder and
# compares every file it writes with the committed one, byte for byte.
set -u
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 "$source_dir/tools/gensample.py" "$work" || { echo "the generator failed"; exit 1; }
status=0
count=0
while IFS= read -r file; do
  count=$((count + 1))
  if ! cmp -s "$work/$file" "$source_dir/examples/sample/$file"; then
    echo "differs from the committed file: $file"
    status=1
  fi
done < <(cd "$work" && find . -type f | sed 's|^\./||' | sort)
# the generator must write the whole set: five themes, slope image and header, project
if [ "$count" -ne 8 ]; then
  echo "the generator wrote $count files, expected 8"
  status=1
fi
[ "$status" -eq 0 ] && echo "all $count files reproduced"
exit $status
