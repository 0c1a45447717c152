#!/bin/sh
# utm-pngdiff on pictures it can tell apart: equal gives 0, one pixel
# changed gives 1, a file that is no picture gives 2.
set -u
PNGDIFF=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
# Two 2x1 greyscale PNGs, white-white and white-black, and a broken one.
printf '%b' '\0211PNG\0015\0012\0032\0012\0000\0000\0000\0015IHDR\0000\0000\0000\0002\0000\0000\0000\0001\0010\0000\0000\0000\0000\0321I\0040V\0000\0000\0000\0013IDATx\0234c\0370\0377\0037\0000\0003\0000\0001\0377\0374\0045\0334Q\0000\0000\0000\0000IEND\0256B\0140\0202' >"$dir/a.png"
cp "$dir/a.png" "$dir/same.png"
printf '%b' '\0211PNG\0015\0012\0032\0012\0000\0000\0000\0015IHDR\0000\0000\0000\0002\0000\0000\0000\0001\0010\0000\0000\0000\0000\0321I\0040V\0000\0000\0000\0013IDATx\0234c\0370\0317\0000\0000\0002\0001\0001\00002\0272\0053\0222\0000\0000\0000\0000IEND\0256B\0140\0202' >"$dir/b.png"
echo "not a picture" >"$dir/bad.png"
fail=0
check() {
    want=$1
    shift
    "$PNGDIFF" "$@" >/dev/null 2>&1
    got=$?
    if [ "$got" -ne "$want" ]; then
        echo "utm-pngdiff $*: exit $got, expected $want"
        fail=1
    fi
}
check 0 "$dir/a.png" "$dir/same.png"
check 1 "$dir/a.png" "$dir/b.png" "$dir/diff.png"
check 2 "$dir/a.png" "$dir/bad.png"
check 2 "$dir/missing.png" "$dir/a.png"
if [ "$fail" -eq 0 ] && [ ! -s "$dir/diff.png" ]; then
    echo "utm-pngdiff wrote no difference picture"
    fail=1
fi
exit $fail

