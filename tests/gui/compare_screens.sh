#!/bin/bash
# Compares two recordings of the screens (ScreenPictures in console_tests):
#   compare_screens.sh BASELINE_DIR NEW_DIR PNGDIFF
# Every .png and .txt must be in both folders; a .txt must be equal line for
# line, a .png pixel for pixel (the differences are drawn into NEW_DIR/diff).
# Exit 0 only when every view is identical.
set -u
if [ $# -ne 3 ]; then
    echo "usage: compare_screens.sh BASELINE_DIR NEW_DIR PNGDIFF" >&2
    exit 2
fi
base=$1
new=$2
pngdiff=$3
for d in "$base" "$new"; do
    if [ ! -d "$d" ]; then
        echo "no folder $d" >&2
        exit 2
    fi
done

names=$( (cd "$base" && ls -1 -- *.png *.txt 2>/dev/null; cd "$new" && ls -1 -- *.png *.txt 2>/dev/null) | sort -u)
if [ -z "$names" ]; then
    echo "no pictures in $base or $new" >&2
    exit 2
fi
mkdir -p "$new/diff"
differ=()
views=0
while IFS= read -r name; do
    [[ $name == *.png ]] && views=$((views + 1))
    if [ ! -f "$base/$name" ]; then
        differ+=("$name: not in the baseline")
        continue
    fi
    if [ ! -f "$new/$name" ]; then
        differ+=("$name: missing")
        continue
    fi
    if [[ $name == *.txt ]]; then
        if ! diff -u "$base/$name" "$new/$name" >"$new/diff/${name%.txt}.diff"; then
            differ+=("$name: see diff/${name%.txt}.diff")
        else
            rm -f "$new/diff/${name%.txt}.diff"
        fi
    else
        if ! said=$("$pngdiff" "$base/$name" "$new/$name" "$new/diff/$name"); then
            differ+=("$name: ${said:-unreadable}")
        fi
    fi
done <<<"$names"

if [ ${#differ[@]} -eq 0 ]; then
    rmdir "$new/diff" 2>/dev/null
    echo "identical: $views views"
    exit 0
fi
echo "${#differ[@]} of the files differ:"
printf '  %s\n' "${differ[@]}"
exit 1
